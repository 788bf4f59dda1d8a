// The entities without a picture where the user works: the tree's marks kept up with every
// change, going from one such entity to the next, and a tree of only them.
#pragma once

#include <string_view>

#include "app/Wizard.h"

namespace qvm {

inline constexpr std::string_view kNothingMissingNote = "Every entity has a picture.";
inline constexpr std::string_view kOnlyMissingCommand = "Show only those without a picture";

// Works the tree's marks out anew from the index as it is now and has the tree show them; with
// the filter on, the tree shows the entities without a picture as they are now (the selected
// node stays shown). Every change to the index calls it.
void UpdatePictureMarks(Wizard& w);

// The next (or previous) entity without a picture after the tree's selected node, in tree
// order and wrapping around, is opened, selected and shown as a click would show it. When no
// entity is missing a picture, the tree says so in a note and nothing else happens.
void GoToNextMissing(Wizard& w, bool backward);

// Shows only the entities without a picture (with the roots and groups above them), or every
// node again. The selected node stays selected and shown.
void ShowOnlyMissing(Wizard& w, bool only);
inline void ToggleOnlyMissing(Wizard& w) { ShowOnlyMissing(w, !w.shownTree.Filtered()); }

// Has the window show the index as it now is: the pictures of the key being edited, the stray
// list with its bold, the tree's marks. For changes made past the window's own lists (a picture
// pack attached, a step undone).
void ShowCurrentIndex(Wizard& w);

}  // namespace qvm
