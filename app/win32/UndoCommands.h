// Undo and redo in the Win32 window: Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z anywhere in it (an
// editable field with the focus, such as the find field, keeps them for its own text), and
// "Undo ..." and "Redo ..." entries naming the step in the context menu of the picture lists.
#pragma once

#include "app/Wizard.h"
#include "app/win32/Win32Api.h"

namespace qvm {

// One message of the window's loop: true when it was one of the keys, whose command then ran.
bool OnUndoKey(Wizard& w, const MSG& message);
// The menu of the two entries, each enabled when there is a step to take back or make again;
// the caller destroys it.
HMENU MakeUndoMenu(const Wizard& w);
// Shows the menu for `list` at `at` (screen pixels; -1, -1 when it was asked for with the
// keyboard) and runs the chosen entry.
void ShowUndoMenu(Wizard& w, HWND owner, HWND list, POINT at);

}  // namespace qvm
