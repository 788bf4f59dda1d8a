// The entity tree as data: built once from the sorted views, when the window is built, and
// never changed afterwards. Views (the window's tree, the CLI) show it; the selection reads a
// node's role and record from it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gamedb/GameDatabase.h"
#include "gamedb/RecordKind.h"
#include "platform/Controls.h"
#include "platform/NodePool.h"

namespace qvm {

enum class NodeRole : std::uint8_t { CategoryRoot, LetterGroup, Entity, Alias };

struct TreeNode {
  // The full text: a pool text for entities and aliases, the program's own for roots and groups.
  Text text;
  NodeHandle parent = 0;  // 0 for a category root
  NodeRole role = NodeRole::CategoryRoot;
  RecordKind kind = RecordKind::None;  // the category the node is in
  // Entity: its record's number (from 1) in the kind's table. Alias: its wrestler's number.
  // Roots and groups: 0.
  int record = 0;
  int alias = 0;  // Alias: its number (from 1) among the wrestler's aliases; otherwise 0
};

// Handles are node numbers from 1 in the order of insertion. Every node's children are kept in
// insertion order in one array, so a view reaches a branch's children at once.
class CategoryTree final : public TreeNodes {
 public:
  std::size_t NodeCount() const override { return nodes_.size() - 1; }
  std::span<const NodeHandle> Children(NodeHandle node) const override;
  NodeHandle Parent(NodeHandle node) const override;
  int Row(NodeHandle node) const override;
  std::string_view Text(NodeHandle node) const override;

  // The node's data; nullptr for 0 and for a handle that names no node.
  const TreeNode* Find(NodeHandle node) const;
  // The kind's category root.
  NodeHandle Root(RecordKind kind) const { return roots_[KindSlot(kind)]; }

 private:
  friend class CategoryTreeBuilder;

  // Node 0 stands for the top level.
  std::vector<TreeNode> nodes_ = std::vector<TreeNode>(1);
  std::vector<std::uint32_t> rows_ = std::vector<std::uint32_t>(1);
  // Node k's children are children_[childStart_[k] .. childStart_[k + 1]).
  std::vector<std::uint32_t> childStart_;
  std::vector<NodeHandle> children_;
  std::array<NodeHandle, kKindCount> roots_{};
};

// The five categories, their letter groups, entities and alias nodes, in the order the window
// shows them: every node is appended as the last child of its parent. Entities with an empty
// name go into a group with an empty text, the first group of their category; titles hang
// directly under their root; aliases only for wrestlers with more than one.
void BuildCategoryTree(const GameDatabase& db, CategoryTree& tree);

// The node's text as the selection reads it: at most 255 bytes; "" for no node.
std::string NodeText(const CategoryTree& tree, NodeHandle node);

// The number (from 1) of the `kind` record that an entity node shows; 0 when the node is no
// entity of that kind.
int RecordOf(const CategoryTree& tree, NodeHandle node, RecordKind kind);

}  // namespace qvm
