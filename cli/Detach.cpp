// detach KEY NAME: takes NAME (exact) away from KEY's entry and saves; the file stays.
#include "app/ImageOperations.h"
#include "cli/Cli.h"
#include "images/AttachPictures.h"

namespace qvm::cli {
namespace {

int Run(Context& ctx) {
  if (ctx.args.size() != 2) return UsageError(ctx, "detach takes a KEY and a NAME");
  auto key = ToCp1252(ctx.args[0], ctx);
  if (!key) return kExitUsage;
  auto name = ToCp1252(ctx.args[1], ctx);
  if (!name) return kExitUsage;
  LockAttempt lock;
  if (!LockIndexForWriting(ctx, lock)) return kExitUsage;
  ImageIndex index;
  IndexFileState state;
  if (!LoadIndex(ctx, index, &state)) return kExitUsage;
  switch (RemoveImageByName(index, *key, *name)) {
    case RemoveOutcome::NoEntry:
      PrintLine(ctx.err, kEntryNotFoundMessage);
      return kExitNotFound;
    case RemoveOutcome::NotListed:
      PrintLine(ctx.err, kImageNotFoundMessage);
      return kExitNotFound;
    case RemoveOutcome::Removed:
      break;
  }
  return SaveIndex(ctx, index, state) ? kExitOk : kExitUsage;
}

const Register kRegister({"detach", "KEY NAME",
                          "take the picture NAME (exact) away from KEY; the file stays", Run});

}  // namespace
}  // namespace qvm::cli
