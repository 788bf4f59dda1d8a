// attach KEY FILE...: copies the files into media when missing there and attaches them to KEY's
// entry (created when needed), then saves the index.
#include "app/ImageOperations.h"
#include "cli/Cli.h"
#include "images/AttachPictures.h"
#include "platform/PathText.h"

namespace qvm::cli {
namespace {

int Run(Context& ctx) {
  if (ctx.args.size() < 2) return UsageError(ctx, "attach takes a KEY and at least one FILE");
  auto key = ToCp1252(ctx.args[0], ctx);
  if (!key) return kExitUsage;
  if (key->empty()) return UsageError(ctx, "KEY is empty");
  LockAttempt lock;
  if (!LockIndexForWriting(ctx, lock)) return kExitUsage;
  ImageIndex index;
  IndexFileState state;
  if (!LoadIndex(ctx, index, &state)) return kExitUsage;

  std::vector<std::filesystem::path> files;
  for (auto arg = ctx.args.begin() + 1; arg != ctx.args.end(); ++arg)
    files.push_back(PathFromArgument(*arg));
  AttachReport report = AttachPictureFiles(ctx.os, ctx.paths, index, *key, PictureFilesOf(files));
  for (const std::string& problem : report.problems) PrintLine(ctx.err, problem);
  if (!report.added.empty() && !SaveIndex(ctx, index, state)) return kExitUsage;
  return report.problems.empty() ? kExitOk : kExitNotFound;
}

const Register kRegister({"attach", "KEY FILE...",
                          "copy FILEs into media when missing and attach them to KEY", Run});

}  // namespace
}  // namespace qvm::cli
