// The entity tree on a Win32 tree view over the core's tree data. A branch's children are
// inserted when it is first opened, so a full game's 71,000 nodes cost only what is shown.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/win32/Win32Api.h"
#include "app/win32/Win32Controls.h"
#include "platform/Controls.h"

namespace qvm {

// A marked node is drawn in italics and dark red, and carries state image 1 (the tree has no
// state images to draw: the state is for tests and assistive technology). Every node's tip is
// the nodes' Tip for it.
class Win32TreeView : public Win32WindowControl<TreeView> {
 public:
  explicit Win32TreeView(HWND tree);
  ~Win32TreeView() override;
  Win32TreeView(const Win32TreeView&) = delete;
  Win32TreeView& operator=(const Win32TreeView&) = delete;

  // Shows the top-level nodes, every node collapsed and none selected.
  void SetNodes(const TreeNodes& nodes) override;
  NodeHandle Selection() const override;
  void MarksChanged() override;
  // A tooltip under the selected node for a few seconds.
  void ShowNote(std::string_view text) override;
  // The tree's notifications the dialog hands on: true when handled, `*result` the answer.
  bool OnNotify(LPARAM lParam, LRESULT* result);
  // Whether the item of `node` carries the mark's state; false for a node not inserted.
  bool ShowsMarked(NodeHandle node) const;

  // TVN_ITEMEXPANDINGW of the tree: inserts the children of a branch opened for the first time.
  void OnItemExpanding(const NMTREEVIEWW& notify);
  // The item that shows `node`, inserting the branches above it; null for no node.
  HTREEITEM ItemOf(NodeHandle node);
  // Opens every branch above `node` and selects it as a click would (the tree notifies).
  void GoTo(NodeHandle node) override;
  const TreeNodes* Nodes() const { return nodes_; }

 private:
  void InsertChildren(NodeHandle parent, HTREEITEM parentItem);
  UINT MarkState(NodeHandle node) const;
  LRESULT CustomDraw(NMTVCUSTOMDRAW& draw);

  const TreeNodes* nodes_ = nullptr;
  HFONT italic_ = nullptr;
  HWND note_ = nullptr;     // the note's tooltip, made when first needed
  std::wstring noteText_;   // what it shows (it keeps a pointer)
  std::vector<HTREEITEM> items_;        // by handle; null until inserted
  std::vector<bool> childrenInserted_;  // by handle (0: the top level)
};

}  // namespace qvm
