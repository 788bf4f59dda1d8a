// Undo and redo in the Qt window: Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z anywhere in it (a focused
// editable text field, such as the find field, keeps them for its own text), and "Undo ..." and
// "Redo ..." entries naming the step in the images list's context menu (the tree's and the stray
// list's menus add them to their own).
#pragma once

#include <initializer_list>

#include "app/Wizard.h"

class QAbstractScrollArea;
class QMenu;
class QWidget;

namespace qvm {

// Binds the keys in `window` and gives each of `lists` the context menu.
void AddUndoCommands(QWidget* window, Wizard& w, std::initializer_list<QAbstractScrollArea*> lists);
// The two entries, each enabled when there is a step to take back or make again.
void AddUndoEntries(QMenu& menu, Wizard& w);

}  // namespace qvm
