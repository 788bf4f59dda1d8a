// Undo and redo in the Win32 window: Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z anywhere in it (an
// editable field with the focus, such as the find field, keeps them for its own text), and
// "Undo ..." and "Redo ..." entries naming the step in the images list's context menu (the tree's
// and the stray list's menus add them to their own).
#pragma once

#include "app/Wizard.h"
#include "app/win32/Win32Api.h"

namespace qvm {

// One message of the window's loop: true when it was one of the keys, whose command then ran.
bool OnUndoKey(Wizard& w, const MSG& message);
// Appends the two entries to `menu`, each enabled when there is a step to take back or make
// again; their identifiers lie above those of the window's other menus.
void AppendUndoEntries(HMENU menu, const Wizard& w);
// Runs the entry chosen from such a menu; false when `chosen` is none of the two.
bool RunUndoEntry(Wizard& w, UINT chosen);

}  // namespace qvm
