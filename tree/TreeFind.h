// Finding entities and aliases in the tree by a part of their name, without regard to case or
// accents, in the order the tree shows them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tree/CategoryTree.h"

namespace qvm {

class TreeFinder {
 public:
  // Indexes every node of `tree` in display order; entity and alias nodes are the ones that
  // can match, by their full text.
  void Build(const CategoryTree& tree);

  // The first matching node after `from` in display order (before it when `backward`),
  // wrapping around; `from` itself matches only when it is the only match, or first of all
  // with `includeFrom` (a query being typed keeps a node that still matches). 0 for no match
  // or an empty query. `query` is CP1252.
  NodeHandle Find(std::string_view query, NodeHandle from, bool backward,
                  bool includeFrom = false) const;
  bool Empty() const { return order_.empty(); }
  int CountMatches(std::string_view query) const;

 private:
  bool Matches(std::size_t position, const std::string& folded) const;

  std::vector<NodeHandle> order_;    // every node, display order
  std::vector<std::string> folded_;  // base characters; empty: no match
  std::vector<bool> searchable_;
  std::vector<std::size_t> position_;  // by handle: the node's place in order_
};

}  // namespace qvm
