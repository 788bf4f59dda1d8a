// Finding a tree's node by the texts on the way down to it, as a user reads the tree.
#pragma once

#include <initializer_list>
#include <string_view>
#include <vector>

#include "platform/Controls.h"

namespace qvm::test {

// The node reached from the top level through these texts (CP1252), e.g. {"Wrestlers", "A",
// "Ace Harmon"}; 0 when there is none. Where siblings share a text, the last of them.
inline NodeHandle NodeAtPath(const TreeNodes& tree, const std::vector<std::string_view>& path) {
  NodeHandle node = 0;
  for (std::string_view text : path) {
    NodeHandle found = 0;
    for (NodeHandle child : tree.Children(node))
      if (tree.Text(child) == text) found = child;
    if (!found) return 0;
    node = found;
  }
  return node;
}

}  // namespace qvm::test
