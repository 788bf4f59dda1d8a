// images KEY: the pictures the wizard lists for KEY, in entry order.
#include "cli/Cli.h"
#include "tree/Keys.h"

namespace qvm::cli {
namespace {

int Run(Context& ctx);
const Register kRegister({"images", "KEY", "the images of the index entry for KEY, in entry order", Run});

int Run(Context& ctx) {
  if (ctx.args.size() != 1) return UsageError(ctx, "images takes one KEY");
  auto key = ToCp1252(ctx.args[0], ctx);
  if (!key) return kExitUsage;
  StderrMessageBox messages(ctx.err);
  ImageIndex index;
  if (!LoadImageIndex(ctx.folder, index, messages).loaded) return kExitUsage;
  bool found = false;
  for (Text name : GetImages(index, *key, &found)) PrintLine(ctx.out, name);
  return found ? kExitOk : kExitNotFound;
}

}  // namespace
}  // namespace qvm::cli
