// stray: the pictures in media that no index entry names, in the stray list's order.
#include "cli/Commands.h"
#include "cli/Json.h"
#include "images/StrayImages.h"
#include "platform/Background.h"

namespace qvm::cli {

int RunStray(Context& ctx) {
  if (!ctx.args.empty()) return UsageError(ctx, "stray takes no arguments");
  // Media is listed on a thread of its own while the index is read: neither needs the other.
  const auto listing = StartInBackground([&] { return ListMediaPictures(ctx.os, ctx.paths); });
  ImageIndex index;
  if (!LoadIndex(ctx, index)) return kExitUsage;
  std::vector<std::string> names = SortedStrayNames(listing.get(), index);
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
