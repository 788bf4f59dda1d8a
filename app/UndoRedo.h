// Taking the window's changes back and making them again: the keys both windows bind, the texts
// of their Undo and Redo menu entries, and what the window shows afterwards.
#pragma once

#include <string>
#include <string_view>

#include "app/Wizard.h"

namespace qvm {

enum class EditCommand { None, Undo, Redo };

// The keys of the commands, each a letter pressed with Ctrl (and Shift where `shift`).
struct EditKey {
  char letter;
  bool shift;
  EditCommand command;
};
inline constexpr EditKey kEditKeys[] = {
    {'Z', false, EditCommand::Undo},
    {'Y', false, EditCommand::Redo},
    {'Z', true, EditCommand::Redo},
};
// The command of an upper-case letter pressed with these modifiers; None for any other key.
EditCommand EditCommandFor(char letter, bool ctrl, bool shift, bool alt);

// Takes the last step back (or makes it again) and shows the index as it now is. Nothing
// happens when there is nothing to do; a step the index no longer allows is told.
void RunEditCommand(Wizard& w, EditCommand command);

// The menu entries' texts: "Undo attach ace_harmon.jpg", "Redo remove x.jpg"; "Undo" or "Redo"
// alone when there is nothing to do (the entry is disabled then). CP1252, with "&" doubled,
// since menus take a single one as the mark of a mnemonic.
std::string UndoEntryText(const Wizard& w);
std::string RedoEntryText(const Wizard& w);

inline constexpr std::string_view kCannotUndoMessage =
    "The change cannot be taken back: the picture assignments are no longer as it left them. "
    "The earlier changes can no longer be undone either.";

}  // namespace qvm
