#include "tree/PictureMarks.h"

#include <algorithm>

#include "index/IndexLookup.h"
#include "tree/MissingPictures.h"

namespace qvm {
namespace {

// Every node's place in tree order (parents before their children, siblings in order).
std::vector<std::uint32_t> TreeOrder(const CategoryTree& tree) {
  std::vector<std::uint32_t> position(tree.NodeCount() + 1, 0);
  std::uint32_t next = 0;
  std::vector<NodeHandle> stack(tree.Children(0).rbegin(), tree.Children(0).rend());
  while (!stack.empty()) {
    const NodeHandle node = stack.back();
    stack.pop_back();
    position[node] = ++next;
    const auto children = tree.Children(node);
    stack.insert(stack.end(), children.rbegin(), children.rend());
  }
  return position;
}

}  // namespace

bool PictureMarks::Update(const GameDatabase& db, const ImageIndex& index,
                          const CategoryTree& tree) {
  if (tree_ != &tree || position_.size() != tree.NodeCount() + 1) {
    tree_ = &tree;
    position_ = TreeOrder(tree);
  }
  const IndexLookup lookup(index);
  std::vector<bool> missing(tree.NodeCount() + 1, false);
  std::vector<Count> counts(tree.NodeCount() + 1);
  std::vector<NodeHandle> entities;
  for (NodeHandle node = 1; node <= tree.NodeCount(); ++node) {
    const TreeNode& n = *tree.Find(node);
    if (n.role != NodeRole::Entity) continue;
    const auto entity = EntityOfNode(db, tree, node);
    if (!entity) continue;
    const bool without = !EntityHasPicture(db, lookup, *entity);
    missing[node] = without;
    for (NodeHandle up = node; up != 0; up = tree.Parent(up)) {
      counts[up].missing += without ? 1 : 0;
      ++counts[up].total;
    }
    if (without) entities.push_back(node);
    for (NodeHandle alias : tree.Children(node)) missing[alias] = without;
  }
  std::sort(entities.begin(), entities.end(),
            [this](NodeHandle a, NodeHandle b) { return position_[a] < position_[b]; });
  const bool changed = missing != missing_ || counts != counts_;
  missing_ = std::move(missing);
  counts_ = std::move(counts);
  missingEntities_ = std::move(entities);
  return changed;
}

NodeHandle PictureMarks::Next(NodeHandle from, bool backward) const {
  if (missingEntities_.empty()) return 0;
  const std::uint32_t at = from < position_.size() ? position_[from] : 0;
  auto before = [this](NodeHandle node, std::uint32_t place) { return position_[node] < place; };
  if (!backward) {
    auto next = std::upper_bound(missingEntities_.begin(), missingEntities_.end(), at,
                                 [this](std::uint32_t place, NodeHandle node) {
                                   return place < position_[node];
                                 });
    return next == missingEntities_.end() ? missingEntities_.front() : *next;
  }
  // No node yet: backward starts from the end.
  if (at == 0) return missingEntities_.back();
  auto first = std::lower_bound(missingEntities_.begin(), missingEntities_.end(), at, before);
  return first == missingEntities_.begin() ? missingEntities_.back() : *(first - 1);
}

std::string CountTip(const PictureMarks::Count& count) {
  return std::to_string(count.missing) + " of " + std::to_string(count.total) +
         " without a picture";
}

}  // namespace qvm
