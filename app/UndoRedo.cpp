#include "app/UndoRedo.h"

#include "app/PictureGaps.h"
#include "tree/Keys.h"

namespace qvm {
namespace {

std::string EntryText(std::string_view verb, const std::string& label) {
  std::string text(verb);
  if (!label.empty()) text += ' ';
  for (char ch : label) {
    if (ch == '&') text += '&';
    text += ch;
  }
  return text;
}

}  // namespace

EditCommand EditCommandFor(char letter, bool ctrl, bool shift, bool alt) {
  if (!ctrl || alt) return EditCommand::None;
  for (const EditKey& key : kEditKeys)
    if (key.letter == letter && key.shift == shift) return key.command;
  return EditCommand::None;
}

void RunEditCommand(Wizard& w, EditCommand command) {
  const bool undo = command == EditCommand::Undo;
  if (command == EditCommand::None || !(undo ? w.undo.CanUndo() : w.undo.CanRedo())) return;
  const bool done = undo ? w.undo.Undo() : w.undo.Redo();
  ShowCurrentIndex(w);
  if (!done) w.c.messages->Show(kCannotUndoMessage);
}

std::string UndoEntryText(const Wizard& w) { return EntryText("Undo", w.undo.UndoLabel()); }
std::string RedoEntryText(const Wizard& w) { return EntryText("Redo", w.undo.RedoLabel()); }

}  // namespace qvm
