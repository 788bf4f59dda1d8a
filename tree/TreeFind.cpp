#include "tree/TreeFind.h"

#include <algorithm>
#include <unordered_set>

#include "platform/ListOrder.h"

namespace qvm {

void TreeFinder::Build(const TreeView& tree, const GameDatabase& db) {
  order_.clear();
  folded_.clear();
  searchable_.clear();
  position_.clear();
  std::unordered_set<NodeHandle> entities;
  for (const Wrestler& w : db.wrestlers) {
    entities.insert(w.node);
    for (const Alias& a : w.aliases) entities.insert(a.node);
  }
  for (const Team& t : db.teams) entities.insert(t.node);
  for (const Stable& s : db.stables) entities.insert(s.node);
  for (const Manager& m : db.managers) entities.insert(m.node);
  for (const Title& t : db.titles) entities.insert(t.node);
  entities.erase(0);

  // Depth-first, children in order: the order a user reads the fully expanded tree.
  std::vector<NodeHandle> stack;
  for (NodeHandle n = tree.FirstChild(0); n; n = tree.NextSibling(n)) stack.push_back(n);
  std::reverse(stack.begin(), stack.end());
  while (!stack.empty()) {
    NodeHandle node = stack.back();
    stack.pop_back();
    position_[node] = order_.size();
    order_.push_back(node);
    bool entity = entities.count(node) != 0;
    searchable_.push_back(entity);
    auto text = entity ? tree.ItemText(node) : std::nullopt;
    folded_.push_back(text ? BaseCharacters(*text) : std::string());
    std::size_t first = stack.size();
    for (NodeHandle c = tree.FirstChild(node); c; c = tree.NextSibling(c)) stack.push_back(c);
    std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(first), stack.end());
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
  auto it = position_.find(from);
  if (includeFrom && it != position_.end() && Matches(it->second, folded)) return from;
  // Without a known start, forward searches begin at the top and backward ones at the end.
  std::size_t start = it != position_.end() ? it->second : (backward ? 0 : n - 1);
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
