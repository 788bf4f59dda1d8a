// Builds the entity tree once, when the main window is created.
#pragma once

#include <optional>
#include <string>

#include "gamedb/GameDatabase.h"
#include "platform/Controls.h"

namespace qvm {

// Appends a node as the last child of `parent` (0: top level); marks the parent as having
// children first. Returns the new node's handle (0 on failure).
NodeHandle AddNode(TreeView& tree, NodeHandle parent, std::string_view text);
// The node's text, at most 255 characters; "" when the tree cannot give it.
std::string NodeText(const TreeView& tree, NodeHandle node);

// Fills `tree` with the five categories, their letter groups, entities and alias nodes, and
// stores every node's handle in its record (and the roots in db.categoryRoots). Entities with
// an empty name go into a group with an empty text, the first group of their category.
void BuildCategoryTree(GameDatabase& db, TreeView& tree);

}  // namespace qvm
