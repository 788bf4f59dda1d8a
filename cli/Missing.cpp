// missing [--kind KIND]: the entities that have no picture yet, in the tree's order.
#include <optional>
#include <ostream>
#include <string>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "tree/MissingPictures.h"

namespace qvm::cli {

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

  std::optional<JsonWriter> json;
  if (ctx.json) {
    json.emplace(ctx.out);
    json->BeginArray();
  }
  bool any = false;
  for (const MissingEntity& m : EntitiesWithoutPictures(game->db, game->db.imageIndex)) {
    if (only && m.entity.kind != *only) continue;
    any = true;
    std::string_view word = KindWord(m.entity.kind);
    if (json) {
      json->BeginObject();
      json->Member("kind", word);
      json->Cp1252Member("name", m.name);
      if (m.key) json->Cp1252Member("key", *m.key);
      json->EndObject();
    } else {
      PrintLine(ctx.out, std::string(word) + '\t' + OneLine(m.name));
    }
  }
  if (json) json->EndArray();
  return any ? kExitNotFound : kExitOk;
}

}  // namespace qvm::cli
