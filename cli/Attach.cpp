// attach KEY FILE...: copies the files into media when missing there and attaches them to KEY's
// entry (created when needed), then saves the index.
#include "cli/Commands.h"
#include "images/AttachPictures.h"
#include "platform/PathText.h"

namespace qvm::cli {

int RunAttach(Context& ctx) {
  if (ctx.args.size() < 2) return UsageError(ctx, "attach takes a KEY and at least one FILE");
  auto key = ToCp1252(ctx.args[0], ctx);
  if (!key) return kExitUsage;
  if (key->empty()) return UsageError(ctx, "KEY is empty");
  // Refused before anything is locked or written, as the window refuses it.
  if (auto why = KeyProblem(*key)) {
    PrintLine(ctx.err, *why);
    return kExitNotFound;
  }
  std::vector<std::filesystem::path> files;
  for (auto arg = ctx.args.begin() + 1; arg != ctx.args.end(); ++arg)
    files.push_back(PathFromArgument(*arg));
  return EditIndex(ctx, [&](ImageIndex& index) {
    AttachReport report = AttachPictureFiles(ctx.os, ctx.paths, index, *key, PictureFilesOf(files));
    for (const std::string& problem : report.problems) PrintLine(ctx.err, problem);
    return IndexEdit{!report.added.empty(), report.problems.empty() ? kExitOk : kExitNotFound};
  });
}

}  // namespace qvm::cli
