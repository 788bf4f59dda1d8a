// The find field of the tree: Ctrl+F (or F3) opens it over the bottom of the tree. It goes to
// entities and aliases whose names contain the text, regardless of case and accents; Enter or
// F3 goes to the next match, Shift+F3 to the previous, Escape closes it. Going to a match
// selects it as a click would. Typing in the tree itself stays the tree's own (the next node
// starting with the letters typed; + - * open and close branches).
#pragma once

#include "app/win32/Win32Api.h"
#include "app/win32/Win32Tree.h"
#include "tree/CategoryTree.h"
#include "tree/TreeFind.h"

namespace qvm {

class FindField {
 public:
  // `field` is an edit control of the dialog, hidden until opened.
  FindField(HWND field, Win32TreeView& tree, const CategoryTree& nodes);

  HWND Field() const { return field_; }
  bool IsOpen() const { return ::IsWindowVisible(field_) != FALSE; }
  // Shows the field with its text selected and the focus in it.
  void Open();
  // Hides it; the tree gets the focus.
  void Close();
  // From the tree's selected node: the next (or previous) match, or with `next` false the first
  // match from the selected node on (as the text is typed). False when nothing matches.
  bool Search(bool next, bool backward);
  // The text does not match: the field shows it.
  bool NotFound() const { return notFound_; }

 private:
  HWND field_;
  Win32TreeView& tree_;
  const CategoryTree& nodes_;
  TreeFinder finder_;  // built when first needed; the tree never changes afterwards
  bool notFound_ = false;
};

}  // namespace qvm
