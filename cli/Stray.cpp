// stray: the pictures in media that no index entry names, in the stray list's order.
#include "cli/Commands.h"
#include "cli/Json.h"
#include "images/StrayImages.h"

namespace qvm::cli {

int RunStray(Context& ctx) {
  if (!ctx.args.empty()) return UsageError(ctx, "stray takes no arguments");
  ImageIndex index;
  if (!LoadIndex(ctx, index)) return kExitUsage;
  std::vector<std::string> names = SortedStrayNames(ctx.os, ctx.paths, index);
  if (ctx.json) {
    JsonWriter json(ctx.out);
    json.BeginArray();
    for (const std::string& name : names) json.Cp1252String(name);
    json.EndArray();
  } else {
    for (const std::string& name : names) PrintItem(ctx.out, name);
  }
  return kExitOk;
}

}  // namespace qvm::cli
