// The entities that have no picture yet: what the CLI's `missing` lists and what picture
// suggestions are made for.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "gamedb/GameDatabase.h"
#include "index/ImageIndex.h"
#include "index/IndexLookup.h"
#include "tree/CategoryTree.h"

namespace qvm {

// An entity of the game: its kind and its place (from 0) in the kind's table.
struct EntityRef {
  RecordKind kind = RecordKind::None;
  std::size_t index = 0;
};

// The entity an entity or alias node stands for (an alias: its wrestler); none for a root, a
// group, an unknown node or a record outside its table.
std::optional<EntityRef> EntityOfNode(const GameDatabase& db, const CategoryTree& tree,
                                      NodeHandle node);

// The entity's name as its table holds it (a nameless tag team's is "member1 and member2").
Text EntityName(const GameDatabase& db, EntityRef entity);

// Every entity, in the order the window's tree shows them.
std::vector<EntityRef> EntitiesInTreeOrder(const CategoryTree& tree);

struct MissingEntity {
  EntityRef entity;
  Text name;
  std::optional<std::string> key;  // none for a stable: its key names the members chosen
};

// Whether the entity has a picture by the rule below; `entity` must lie inside its table.
bool EntityHasPicture(const GameDatabase& db, const IndexLookup& lookup, EntityRef entity);

// The entities without a picture, in tree order. A wrestler is covered when the entry of its
// name or of any alias lists a picture, a tag team by its key, a stable when an entry whose key
// starts with its name and " (" does, managers and titles by their names. Keys are found as
// GetImages finds them; an empty picture name is no picture.
std::vector<MissingEntity> EntitiesWithoutPictures(const GameDatabase& db, const ImageIndex& index);

}  // namespace qvm
