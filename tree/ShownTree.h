// The category tree as the window's view shows it: with its marks for entities without a
// picture and the counts of the roots and groups as tips, and on demand filtered down to the
// entities without a picture. Handles stay those of the category tree, so the selection reads
// nodes as ever; a node left out is simply no child of its parent.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tree/CategoryTree.h"
#include "tree/PictureMarks.h"

namespace qvm {

// How a marked node describes itself to assistive technology.
inline constexpr std::string_view kMissingPictureMark = "without a picture";

class ShownTree final : public TreeNodes {
 public:
  // Both must outlive the view; the tree never changes, the marks may.
  ShownTree(const CategoryTree& tree, const PictureMarks& marks) : tree_(tree), marks_(marks) {}

  // With `onlyMissing`: the entities without a picture with their aliases and the roots and
  // groups above them, and `keep` with the nodes above it (so the selection stays where it
  // is); otherwise every node. True when what is shown changed.
  bool Filter(bool onlyMissing, NodeHandle keep);
  bool Filtered() const { return filtered_; }

  std::size_t NodeCount() const override { return tree_.NodeCount(); }
  std::span<const NodeHandle> Children(NodeHandle node) const override;
  NodeHandle Parent(NodeHandle node) const override { return tree_.Parent(node); }
  int Row(NodeHandle node) const override;
  std::string_view Text(NodeHandle node) const override { return tree_.Text(node); }
  std::string_view Mark(NodeHandle node) const override;
  std::string Tip(NodeHandle node) const override;

 private:
  const CategoryTree& tree_;
  const PictureMarks& marks_;
  bool filtered_ = false;
  std::vector<bool> kept_;  // by handle, while filtered
  // While filtered, node k's shown children are children_[childStart_[k] .. childStart_[k + 1]).
  std::vector<std::uint32_t> childStart_;
  std::vector<NodeHandle> children_;
  std::vector<int> rows_;  // by handle, while filtered; -1 for a node left out
};

}  // namespace qvm
