#include "tree/TreeFind.h"

#include <algorithm>

#include "platform/ListOrder.h"

namespace qvm {

void TreeFinder::Build(const CategoryTree& tree) {
  order_.clear();
  folded_.clear();
  searchable_.clear();
  position_.assign(tree.NodeCount() + 1, 0);
  order_.reserve(tree.NodeCount());
  folded_.reserve(tree.NodeCount());
  searchable_.reserve(tree.NodeCount());

  // Depth-first, children in order: the order a user reads the fully expanded tree.
  std::vector<NodeHandle> stack;
  auto pushChildren = [&](NodeHandle node) {
    std::span<const NodeHandle> children = tree.Children(node);
    stack.insert(stack.end(), children.rbegin(), children.rend());
  };
  pushChildren(0);
  while (!stack.empty()) {
    const NodeHandle node = stack.back();
    stack.pop_back();
    position_[node] = order_.size();
    order_.push_back(node);
    const NodeRole role = tree.Find(node)->role;
    const bool entity = role == NodeRole::Entity || role == NodeRole::Alias;
    searchable_.push_back(entity);
    folded_.push_back(entity ? BaseCharacters(tree.Text(node)) : std::string());
    pushChildren(node);
  }
}

bool TreeFinder::Matches(std::size_t position, const std::string& folded) const {
  return searchable_[position] && folded_[position].find(folded) != std::string::npos;
}

NodeHandle TreeFinder::Find(std::string_view query, NodeHandle from, bool backward,
                             bool includeFrom) const {
  std::string folded = BaseCharacters(query);
  if (folded.empty() || order_.empty()) return 0;
  const std::size_t n = order_.size();
  const bool known = from >= 1 && from < position_.size();
  if (includeFrom && known && Matches(position_[from], folded)) return from;
  // Without a known start, forward searches begin at the top and backward ones at the end.
  std::size_t start = known ? position_[from] : (backward ? 0 : n - 1);
  for (std::size_t step = 1; step <= n; ++step) {
    std::size_t p = backward ? (start + n - step % n) % n : (start + step) % n;
    if (Matches(p, folded)) return order_[p];
  }
  return 0;
}

int TreeFinder::CountMatches(std::string_view query) const {
  std::string folded = BaseCharacters(query);
  if (folded.empty()) return 0;
  int count = 0;
  for (std::size_t p = 0; p < order_.size(); ++p) count += Matches(p, folded);
  return count;
}

}  // namespace qvm
