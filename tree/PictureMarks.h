// Which nodes of the category tree stand for an entity without a picture (the rule of
// EntitiesWithoutPictures), and how many there are below each root and group: what the window
// marks, walks from gap to gap and filters on.
#pragma once

#include <cstdint>
#include <optional>
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

  // The marks of `tree` (built from `db`) for `index`, worked out when first asked for, so that
  // a window shows its tree without waiting for them. All three must outlive the marks.
  void Bind(const GameDatabase& db, const ImageIndex& index, const CategoryTree& tree);
  // Works every mark out anew now, for the index as it is now. True when any mark or count
  // changed.
  bool Update();

  // An entity node, or an alias node, whose entity has no picture.
  bool Missing(NodeHandle node) const;
  // The entities below a category root or letter group (for an entity: itself).
  Count Below(NodeHandle node) const;
  // The entity nodes without a picture, in tree order.
  const std::vector<NodeHandle>& MissingEntities() const;
  // The first entity node without a picture after `from` in tree order (before it when
  // `backward`), wrapping around; `from` itself only when no other is missing. 0 when none.
  NodeHandle Next(NodeHandle from, bool backward) const;

 private:
  struct Marks {
    std::vector<bool> missing;  // by handle
    std::vector<Count> counts;  // by handle
    std::vector<NodeHandle> entities;
  };
  Marks Compute() const;
  const Marks& Current() const;

  const GameDatabase* db_ = nullptr;
  const ImageIndex* index_ = nullptr;
  const CategoryTree* tree_ = nullptr;
  std::vector<std::uint32_t> position_;  // by handle: the node's place in tree order
  mutable std::optional<Marks> marks_;   // none until first asked for
};

// A root's or group's tooltip: "3 of 40 without a picture".
std::string CountTip(const PictureMarks::Count& count);

}  // namespace qvm
