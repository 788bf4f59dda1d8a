#include "tree/CategoryTree.h"

namespace qvm {

NodeHandle AddNode(TreeView& tree, NodeHandle parent, std::string_view text) {
  if (parent) tree.SetHasChildren(parent);
  return tree.InsertItem(parent, text);
}

std::string NodeText(const TreeView& tree, NodeHandle node) {
  auto text = tree.ItemText(node);
  return text ? *text : std::string();
}

void BuildCategoryTree(GameDatabase&, TreeView&) {}

}  // namespace qvm
