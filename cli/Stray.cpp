// stray: the pictures in media that no index entry names, in the stray list's order.
#include "cli/Cli.h"
#include "images/StrayImages.h"

namespace qvm::cli {
namespace {

int Run(Context& ctx) {
  if (!ctx.args.empty()) return UsageError(ctx, "stray takes no arguments");
  StderrMessageBox messages(ctx.err);
  ImageIndex index;
  if (!LoadImageIndex(ctx.folder, index, messages).loaded) return kExitUsage;
  for (const std::string& name : SortedStrayNames(ctx.folder, index)) PrintLine(ctx.out, name);
  return kExitOk;
}

const Register kRegister({"stray", "", "the pictures in media that no index entry names", Run});

}  // namespace
}  // namespace qvm::cli
