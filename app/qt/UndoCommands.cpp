#include "app/qt/UndoCommands.h"

#include <QAbstractScrollArea>
#include <QMenu>
#include <QShortcut>

#include "app/UndoRedo.h"
#include "app/qt/QtText.h"

namespace qvm {
namespace {

QKeySequence KeysOf(const EditKey& key) {
  const auto letter = static_cast<Qt::Key>(Qt::Key_A + (key.letter - 'A'));
  return QKeySequence(key.shift ? Qt::CTRL | Qt::SHIFT | letter : Qt::CTRL | letter);
}

QList<QKeySequence> KeysFor(EditCommand command) {
  QList<QKeySequence> keys;
  for (const EditKey& key : kEditKeys)
    if (key.command == command) keys.append(KeysOf(key));
  return keys;
}

}  // namespace

void AddUndoCommands(QWidget* window, Wizard& w,
                     std::initializer_list<QAbstractScrollArea*> lists) {
  for (const EditKey& key : kEditKeys) {
    auto* shortcut = new QShortcut(KeysOf(key), window);
    const EditCommand command = key.command;
    QObject::connect(shortcut, &QShortcut::activated, window,
                     [&w, command] { RunEditCommand(w, command); });
  }
  for (QAbstractScrollArea* list : lists) {
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QWidget::customContextMenuRequested, list, [list, &w](QPoint at) {
      QMenu menu(list);
      AddUndoEntries(menu, w);
      menu.exec(list->viewport()->mapToGlobal(at));
    });
  }
}

void AddUndoEntries(QMenu& menu, Wizard& w) {
  const struct {
    EditCommand command;
    std::string text;
    bool enabled;
  } entries[] = {
      {EditCommand::Undo, UndoEntryText(w), w.undo.CanUndo()},
      {EditCommand::Redo, RedoEntryText(w), w.undo.CanRedo()},
  };
  for (const auto& entry : entries) {
    const EditCommand command = entry.command;
    QAction* action =
        menu.addAction(ToQString(entry.text), [&w, command] { RunEditCommand(w, command); });
    action->setEnabled(entry.enabled);
    // Shown beside the entry; the window's own shortcuts do the work.
    action->setShortcuts(KeysFor(command));
  }
}

}  // namespace qvm
