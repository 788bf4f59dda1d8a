// missing [--kind KIND]: the entities that have no picture yet, in the tree's order.
#include <optional>
#include <ostream>
#include <string>

#include "cli/Commands.h"
#include "cli/IndexLookup.h"
#include "cli/Json.h"
#include "tree/CategoryTree.h"
#include "tree/Keys.h"

namespace qvm::cli {
namespace {

struct Entity {
  RecordKind kind;
  std::size_t index;  // into the kind's table
};

void CollectBelow(const CategoryTree& tree, NodeHandle parent, std::vector<Entity>& out) {
  for (NodeHandle node : tree.Children(parent)) {
    const TreeNode& n = *tree.Find(node);
    if (n.role == NodeRole::Entity) {
      out.push_back(Entity{n.kind, static_cast<std::size_t>(n.record) - 1});
    }
    CollectBelow(tree, node, out);
  }
}

// The entities in the order the window's tree shows them.
std::vector<Entity> EntitiesInTreeOrder(const GameDatabase& db) {
  CategoryTree tree;
  BuildCategoryTree(db, tree);
  std::vector<Entity> order;
  CollectBelow(tree, 0, order);
  return order;
}

struct Described {
  Text name;
  std::optional<std::string> key;  // none for a stable: its key names the members chosen
  bool covered = false;
};

Described Describe(const GameDatabase& db, const IndexLookup& lookup, Entity e) {
  switch (e.kind) {
    case RecordKind::Wrestler: {
      const Wrestler& w = db.wrestlers[e.index];
      bool covered = lookup.HasPictures(w.name);
      for (const Alias& alias : w.aliases) covered = covered || lookup.HasPictures(alias.text);
      return {w.name, std::string(w.name), covered};
    }
    case RecordKind::TagTeam: {
      const Team& t = db.teams[e.index];
      std::string key = TeamKey(t.name, t.member1, t.member2);
      bool covered = lookup.HasPictures(key);
      return {t.name, std::move(key), covered};
    }
    case RecordKind::Stable: {
      const Stable& s = db.stables[e.index];
      return {s.name, std::nullopt, lookup.StableHasPictures(s.name)};
    }
    case RecordKind::Manager: {
      const Manager& m = db.managers[e.index];
      return {m.name, std::string(m.name), lookup.HasPictures(m.name)};
    }
    case RecordKind::Title:
    case RecordKind::None:
      break;
  }
  const Title& t = db.titles[e.index];
  return {t.name, std::string(t.name), lookup.HasPictures(t.name)};
}

}  // namespace

int RunMissing(Context& ctx) {
  std::optional<RecordKind> only;
  if (ctx.args.size() == 2 && ctx.args[0] == "--kind") {
    only = ParseKindWord(ctx.args[1]);
    if (!only) return UsageError(ctx, "KIND is wrestler, team, stable, manager or title");
  } else if (!ctx.args.empty()) {
    return UsageError(ctx, "missing takes only --kind KIND");
  }
  auto game = LoadGame(ctx);
  // Without the index every entity would read as missing, which is not true.
  if (!game->db.indexState.loaded) return kExitUsage;
  const IndexLookup lookup(game->db.imageIndex);

  std::optional<JsonWriter> json;
  if (ctx.json) {
    json.emplace(ctx.out);
    json->BeginArray();
  }
  bool any = false;
  for (Entity e : EntitiesInTreeOrder(game->db)) {
    if (only && e.kind != *only) continue;
    Described d = Describe(game->db, lookup, e);
    if (d.covered) continue;
    any = true;
    std::string_view word = KindWord(e.kind);
    if (json) {
      json->BeginObject();
      json->Member("kind", word);
      json->Cp1252Member("name", d.name);
      if (d.key) json->Cp1252Member("key", *d.key);
      json->EndObject();
    } else {
      PrintLine(ctx.out, std::string(word) + '\t' + OneLine(d.name));
    }
  }
  if (json) json->EndArray();
  return any ? kExitNotFound : kExitOk;
}

}  // namespace qvm::cli
