// detach KEY NAME: takes NAME (exact) away from KEY's entry and saves; the file stays.
#include "app/ImageOperations.h"
#include "cli/Commands.h"
#include "images/AttachPictures.h"

namespace qvm::cli {

int RunDetach(Context& ctx) {
  if (ctx.args.size() != 2) return UsageError(ctx, "detach takes a KEY and a NAME");
  auto key = ToCp1252(ctx.args[0], ctx);
  if (!key) return kExitUsage;
  auto name = ToCp1252(ctx.args[1], ctx);
  if (!name) return kExitUsage;
  return EditIndex(ctx, [&](ImageIndex& index) {
    switch (RemoveImageByName(index, *key, *name)) {
      case RemoveOutcome::NoEntry:
        PrintLine(ctx.err, kEntryNotFoundMessage);
        return IndexEdit{false, kExitNotFound};
      case RemoveOutcome::NotListed:
        PrintLine(ctx.err, kImageNotFoundMessage);
        return IndexEdit{false, kExitNotFound};
      case RemoveOutcome::Removed:
        break;
    }
    return IndexEdit{true, kExitOk};
  });
}

}  // namespace qvm::cli
