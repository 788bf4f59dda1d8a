// attach KEY FILE...: copies the files into media when missing there and attaches them to KEY's
// entry (created when needed), then saves the index.
#include "app/ImageOperations.h"
#include "cli/Cli.h"
#include "images/AttachPictures.h"

namespace qvm::cli {
namespace {

int Run(Context& ctx) {
  if (ctx.args.size() < 2) return UsageError(ctx, "attach takes a KEY and at least one FILE");
  auto key = ToCp1252(ctx.args[0], ctx);
  if (!key) return kExitUsage;
  if (key->empty()) return UsageError(ctx, "KEY is empty");
  FileLock lock;
  if (!LockIndexForWriting(ctx, lock)) return kExitUsage;
  StderrMessageBox messages(ctx.err);
  ImageIndex index;
  IndexFileState state = LoadImageIndex(ctx.folder, index, messages);
  if (!state.loaded) return kExitUsage;

  std::vector<std::filesystem::path> files(ctx.args.begin() + 1, ctx.args.end());
  AttachReport report = AttachPictureFiles(ctx.folder, index, *key, PictureFilesOf(files));
  for (const std::string& problem : report.problems) PrintLine(ctx.err, problem);
  if (!report.added.empty() && !SaveImageIndex(ctx.folder, index, state, messages))
    return kExitUsage;
  return report.problems.empty() ? kExitOk : kExitNotFound;
}

const Register kRegister({"attach", "KEY FILE...",
                          "copy FILEs into media when missing and attach them to KEY", Run});

}  // namespace
}  // namespace qvm::cli
