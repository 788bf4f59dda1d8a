// Which nodes of the category tree stand for an entity without a picture (the rule of
// EntitiesWithoutPictures), and how many there are below each root and group: what the window
// marks, walks from gap to gap and filters on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gamedb/GameDatabase.h"
#include "index/ImageIndex.h"
#include "tree/CategoryTree.h"

namespace qvm {

class PictureMarks {
 public:
  struct Count {
    int missing = 0;  // entities without a picture
    int total = 0;    // entities
    bool operator==(const Count&) const = default;
  };

  // Works every mark out anew for `tree` (built from `db`) and the index as it is now. True
  // when any mark or count changed.
  bool Update(const GameDatabase& db, const ImageIndex& index, const CategoryTree& tree);

  // An entity node, or an alias node, whose entity has no picture.
  bool Missing(NodeHandle node) const { return node < missing_.size() && missing_[node]; }
  // The entities below a category root or letter group (for an entity: itself).
  Count Below(NodeHandle node) const { return node < counts_.size() ? counts_[node] : Count{}; }
  // The entity nodes without a picture, in tree order.
  const std::vector<NodeHandle>& MissingEntities() const { return missingEntities_; }
  // The first entity node without a picture after `from` in tree order (before it when
  // `backward`), wrapping around; `from` itself only when no other is missing. 0 when none.
  NodeHandle Next(NodeHandle from, bool backward) const;

 private:
  const CategoryTree* tree_ = nullptr;  // the tree `position_` belongs to
  std::vector<std::uint32_t> position_;  // by handle: the node's place in tree order
  std::vector<bool> missing_;            // by handle
  std::vector<Count> counts_;            // by handle
  std::vector<NodeHandle> missingEntities_;
};

// A root's or group's tooltip: "3 of 40 without a picture".
std::string CountTip(const PictureMarks::Count& count);

}  // namespace qvm
