// rewrite-index: reads media/index.dat and writes it back as a run without changes would.
#include "cli/Cli.h"

namespace qvm::cli {
namespace {

int Run(Context& ctx) {
  if (!ctx.args.empty()) return UsageError(ctx, "rewrite-index takes no arguments");
  FileLock lock;
  if (!LockIndexForWriting(ctx, lock)) return kExitUsage;
  StderrMessageBox messages(ctx.err);
  ImageIndex index;
  IndexFileState state = LoadImageIndex(ctx.folder, index, messages);
  if (!state.loaded) return kExitUsage;
  return SaveImageIndex(ctx.folder, index, state, messages) ? kExitOk : kExitUsage;
}

const Register kRegister({"rewrite-index", "", "read media/index.dat and write it back normalised", Run});

}  // namespace
}  // namespace qvm::cli
