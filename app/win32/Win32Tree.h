// The entity tree on a Win32 tree view over the core's tree data. A branch's children are
// inserted when it is first opened, so a full game's 71,000 nodes cost only what is shown.
#pragma once

#include <vector>

#include "app/win32/Win32Api.h"
#include "app/win32/Win32Controls.h"
#include "platform/Controls.h"

namespace qvm {

class Win32TreeView : public Win32WindowControl<TreeView> {
 public:
  explicit Win32TreeView(HWND tree) : Win32WindowControl<TreeView>(tree) {}

  // Shows the top-level nodes, every node collapsed and none selected.
  void SetNodes(const TreeNodes& nodes) override;
  NodeHandle Selection() const override;

  // TVN_ITEMEXPANDINGW of the tree: inserts the children of a branch opened for the first time.
  void OnItemExpanding(const NMTREEVIEWW& notify);
  // The item that shows `node`, inserting the branches above it; null for no node.
  HTREEITEM ItemOf(NodeHandle node);
  // Opens every branch above `node` and selects it as a click would (the tree notifies).
  void GoTo(NodeHandle node);
  const TreeNodes* Nodes() const { return nodes_; }

 private:
  void InsertChildren(NodeHandle parent, HTREEITEM parentItem);

  const TreeNodes* nodes_ = nullptr;
  std::vector<HTREEITEM> items_;        // by handle; null until inserted
  std::vector<bool> childrenInserted_;  // by handle (0: the top level)
};

}  // namespace qvm
