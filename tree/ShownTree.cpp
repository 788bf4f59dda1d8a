#include "tree/ShownTree.h"

namespace qvm {

bool ShownTree::Filter(bool onlyMissing, NodeHandle keep) {
  if (!onlyMissing) {
    const bool changed = filtered_;
    filtered_ = false;
    kept_.clear();
    children_.clear();
    childStart_.clear();
    rows_.clear();
    return changed;
  }
  const std::size_t count = tree_.NodeCount() + 1;
  std::vector<bool> kept(count, false);
  auto keepWithAncestors = [&](NodeHandle node) {
    for (; node != 0 && !kept[node]; node = tree_.Parent(node)) kept[node] = true;
  };
  for (NodeHandle entity : marks_.MissingEntities()) {
    keepWithAncestors(entity);
    for (NodeHandle alias : tree_.Children(entity)) kept[alias] = true;
  }
  if (tree_.Contains(keep)) keepWithAncestors(keep);
  if (filtered_ && kept == kept_) return false;

  filtered_ = true;
  kept_ = std::move(kept);
  childStart_.assign(count + 1, 0);
  children_.clear();
  rows_.assign(count, -1);
  for (NodeHandle node = 0; node < count; ++node) {
    childStart_[node] = static_cast<std::uint32_t>(children_.size());
    if (node != 0 && !kept_[node]) continue;
    for (NodeHandle child : tree_.Children(node)) {
      if (!kept_[child]) continue;
      rows_[child] = static_cast<int>(children_.size() - childStart_[node]);
      children_.push_back(child);
    }
  }
  childStart_[count] = static_cast<std::uint32_t>(children_.size());
  return true;
}

std::span<const NodeHandle> ShownTree::Children(NodeHandle node) const {
  if (!filtered_) return tree_.Children(node);
  if (node >= kept_.size() || (node != 0 && !kept_[node])) return {};
  return std::span<const NodeHandle>(children_).subspan(
      childStart_[node], childStart_[node + 1] - childStart_[node]);
}

int ShownTree::Row(NodeHandle node) const {
  if (!filtered_) return tree_.Row(node);
  return tree_.Contains(node) ? rows_[node] : -1;
}

std::string_view ShownTree::Mark(NodeHandle node) const {
  // Roots and groups carry no mark: the first view of the tree needs no marks worked out.
  const TreeNode* n = tree_.Find(node);
  if (!n || (n->role != NodeRole::Entity && n->role != NodeRole::Alias)) return {};
  return marks_.Missing(node) ? kMissingPictureMark : std::string_view();
}

std::string ShownTree::Tip(NodeHandle node) const {
  const TreeNode* n = tree_.Find(node);
  if (n && (n->role == NodeRole::CategoryRoot || n->role == NodeRole::LetterGroup))
    return CountTip(marks_.Below(node));
  return std::string(tree_.Text(node));
}

}  // namespace qvm
