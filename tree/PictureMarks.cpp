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

void PictureMarks::Bind(const GameDatabase& db, const ImageIndex& index,
                        const CategoryTree& tree) {
  db_ = &db;
  index_ = &index;
  if (tree_ != &tree || position_.size() != tree.NodeCount() + 1) position_ = TreeOrder(tree);
  tree_ = &tree;
  marks_.reset();
}

bool PictureMarks::Update() {
  Marks now = Compute();
  const bool changed = !marks_ || now.missing != marks_->missing || now.counts != marks_->counts;
  marks_ = std::move(now);
  return changed;
}

const PictureMarks::Marks& PictureMarks::Current() const {
  if (!marks_) marks_ = Compute();
  return *marks_;
}

bool PictureMarks::Missing(NodeHandle node) const {
  const std::vector<bool>& missing = Current().missing;
  return node < missing.size() && missing[node];
}

PictureMarks::Count PictureMarks::Below(NodeHandle node) const {
  const std::vector<Count>& counts = Current().counts;
  return node < counts.size() ? counts[node] : Count{};
}

const std::vector<NodeHandle>& PictureMarks::MissingEntities() const {
  return Current().entities;
}

PictureMarks::Marks PictureMarks::Compute() const {
  Marks marks;
  if (!tree_) return marks;
  const CategoryTree& tree = *tree_;
  const IndexLookup lookup(*index_);
  marks.missing.assign(tree.NodeCount() + 1, false);
  marks.counts.assign(tree.NodeCount() + 1, Count{});
  for (NodeHandle node = 1; node <= tree.NodeCount(); ++node) {
    if (tree.Find(node)->role != NodeRole::Entity) continue;
    const auto entity = EntityOfNode(*db_, tree, node);
    if (!entity) continue;
    const bool without = !EntityHasPicture(*db_, lookup, *entity);
    marks.missing[node] = without;
    for (NodeHandle up = node; up != 0; up = tree.Parent(up)) {
      marks.counts[up].missing += without ? 1 : 0;
      ++marks.counts[up].total;
    }
    if (without) marks.entities.push_back(node);
    for (NodeHandle alias : tree.Children(node)) marks.missing[alias] = without;
  }
  std::sort(marks.entities.begin(), marks.entities.end(),
            [this](NodeHandle a, NodeHandle b) { return position_[a] < position_[b]; });
  return marks;
}

NodeHandle PictureMarks::Next(NodeHandle from, bool backward) const {
  const std::vector<NodeHandle>& entities = MissingEntities();
  if (entities.empty()) return 0;
  const std::uint32_t at = from < position_.size() ? position_[from] : 0;
  auto before = [this](NodeHandle node, std::uint32_t place) { return position_[node] < place; };
  if (!backward) {
    auto next = std::upper_bound(entities.begin(), entities.end(), at,
                                 [this](std::uint32_t place, NodeHandle node) {
                                   return place < position_[node];
                                 });
    return next == entities.end() ? entities.front() : *next;
  }
  // No node yet: backward starts from the end.
  if (at == 0) return entities.back();
  auto first = std::lower_bound(entities.begin(), entities.end(), at, before);
  return first == entities.begin() ? entities.back() : *(first - 1);
}

std::string CountTip(const PictureMarks::Count& count) {
  return std::to_string(count.missing) + " of " + std::to_string(count.total) +
         " without a picture";
}

}  // namespace qvm
