#include "tree/MissingPictures.h"

#include "index/IndexLookup.h"
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

MissingEntity Describe(const GameDatabase& db, const IndexLookup& lookup, EntityRef e,
                       bool& covered) {
  switch (e.kind) {
    case RecordKind::Wrestler: {
      const Wrestler& w = db.wrestlers[e.index];
      covered = lookup.HasPictures(w.name);
      for (const Alias& alias : w.aliases) covered = covered || lookup.HasPictures(alias.text);
      return {e, w.name, std::string(w.name)};
    }
    case RecordKind::TagTeam: {
      const Team& t = db.teams[e.index];
      std::string key = TeamKey(t.name, t.member1, t.member2);
      covered = lookup.HasPictures(key);
      return {e, t.name, std::move(key)};
    }
    case RecordKind::Stable: {
      const Stable& s = db.stables[e.index];
      covered = lookup.StableHasPictures(s.name);
      return {e, s.name, std::nullopt};
    }
    case RecordKind::Manager: {
      const Manager& m = db.managers[e.index];
      covered = lookup.HasPictures(m.name);
      return {e, m.name, std::string(m.name)};
    }
    case RecordKind::Title:
    case RecordKind::None:
      break;
  }
  const Title& t = db.titles[e.index];
  covered = lookup.HasPictures(t.name);
  return {e, t.name, std::string(t.name)};
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

std::vector<MissingEntity> EntitiesWithoutPictures(const GameDatabase& db,
                                                   const ImageIndex& index) {
  CategoryTree tree;
  BuildCategoryTree(db, tree);
  const IndexLookup lookup(index);
  std::vector<MissingEntity> missing;
  for (EntityRef e : EntitiesInTreeOrder(tree)) {
    bool covered = false;
    MissingEntity m = Describe(db, lookup, e, covered);
    if (!covered) missing.push_back(std::move(m));
  }
  return missing;
}

}  // namespace qvm
