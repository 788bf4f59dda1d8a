// images KEY: the pictures the wizard lists for KEY, in entry order.
#include "cli/Commands.h"
#include "cli/Json.h"
#include "tree/Keys.h"

namespace qvm::cli {

int RunImages(Context& ctx) {
  if (ctx.args.size() != 1) return UsageError(ctx, "images takes one KEY");
  auto key = ToCp1252(ctx.args[0], ctx);
  if (!key) return kExitUsage;
  ImageIndex index;
  if (!LoadIndex(ctx, index)) return kExitUsage;
  bool found = false;
  std::vector<Text> images = GetImages(index, *key, &found);
  if (ctx.json) {
    JsonWriter json(ctx.out);
    json.BeginObject();
    json.Cp1252Member("key", *key);
    json.Key("found");
    json.Bool(found);
    json.Key("images");
    json.BeginArray();
    for (Text name : images) json.Cp1252String(name);
    json.EndArray();
    json.EndObject();
  } else {
    for (Text name : images) PrintItem(ctx.out, name);
  }
  return found ? kExitOk : kExitNotFound;
}

}  // namespace qvm::cli
