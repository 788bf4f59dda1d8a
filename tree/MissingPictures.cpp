#include "tree/MissingPictures.h"

#include "tree/Keys.h"

namespace qvm {
namespace {

void CollectBelow(const CategoryTree& tree, NodeHandle parent, std::vector<EntityRef>& out) {
  for (NodeHandle node : tree.Children(parent)) {
    const TreeNode& n = *tree.Find(node);
    if (n.role == NodeRole::Entity) {
      out.push_back({n.kind, static_cast<std::size_t>(n.record) - 1});
    } else if (n.role != NodeRole::Alias) {
      CollectBelow(tree, node, out);
    }
  }
}

std::size_t TableSize(const GameDatabase& db, RecordKind kind) {
  switch (kind) {
    case RecordKind::Wrestler:
      return db.wrestlers.size();
    case RecordKind::TagTeam:
      return db.teams.size();
    case RecordKind::Stable:
      return db.stables.size();
    case RecordKind::Manager:
      return db.managers.size();
    case RecordKind::Title:
      return db.titles.size();
    case RecordKind::None:
      break;
  }
  return 0;
}

// The entity with its name and key (none for a stable: its key names the members chosen).
MissingEntity Describe(const GameDatabase& db, EntityRef e) {
  switch (e.kind) {
    case RecordKind::TagTeam: {
      const Team& t = db.teams[e.index];
      return {e, t.name, TeamKey(t.name, t.member1, t.member2)};
    }
    case RecordKind::Stable:
      return {e, db.stables[e.index].name, std::nullopt};
    case RecordKind::Wrestler:
    case RecordKind::Manager:
    case RecordKind::Title:
    case RecordKind::None:
      break;
  }
  const Text name = EntityName(db, e);
  return {e, name, std::string(name)};
}

}  // namespace

std::optional<EntityRef> EntityOfNode(const GameDatabase& db, const CategoryTree& tree,
                                      NodeHandle node) {
  const TreeNode* n = tree.Find(node);
  if (!n || (n->role != NodeRole::Entity && n->role != NodeRole::Alias)) return std::nullopt;
  if (n->record < 1 || static_cast<std::size_t>(n->record) > TableSize(db, n->kind))
    return std::nullopt;
  return EntityRef{n->kind, static_cast<std::size_t>(n->record) - 1};
}

Text EntityName(const GameDatabase& db, EntityRef e) {
  switch (e.kind) {
    case RecordKind::Wrestler:
      return db.wrestlers[e.index].name;
    case RecordKind::TagTeam:
      return db.teams[e.index].name;
    case RecordKind::Stable:
      return db.stables[e.index].name;
    case RecordKind::Manager:
      return db.managers[e.index].name;
    case RecordKind::Title:
      return db.titles[e.index].name;
    case RecordKind::None:
      break;
  }
  return {};
}

std::vector<EntityRef> EntitiesInTreeOrder(const CategoryTree& tree) {
  std::vector<EntityRef> order;
  CollectBelow(tree, 0, order);
  return order;
}

bool EntityHasPicture(const GameDatabase& db, const IndexLookup& lookup, EntityRef e) {
  switch (e.kind) {
    case RecordKind::Wrestler: {
      const Wrestler& w = db.wrestlers[e.index];
      if (lookup.HasPictures(w.name)) return true;
      for (const Alias& alias : w.aliases)
        if (lookup.HasPictures(alias.text)) return true;
      return false;
    }
    case RecordKind::TagTeam: {
      const Team& t = db.teams[e.index];
      return lookup.HasPictures(TeamKey(t.name, t.member1, t.member2));
    }
    case RecordKind::Stable:
      return lookup.StableHasPictures(db.stables[e.index].name);
    case RecordKind::Manager:
    case RecordKind::Title:
      return lookup.HasPictures(EntityName(db, e));
    case RecordKind::None:
      break;
  }
  return false;
}

std::vector<MissingEntity> EntitiesWithoutPictures(const GameDatabase& db,
                                                   const ImageIndex& index) {
  CategoryTree tree;
  BuildCategoryTree(db, tree);
  const IndexLookup lookup(index);
  std::vector<MissingEntity> missing;
  for (EntityRef e : EntitiesInTreeOrder(tree)) {
    if (!EntityHasPicture(db, lookup, e)) missing.push_back(Describe(db, e));
  }
  return missing;
}

}  // namespace qvm
