// rewrite-index: reads media/index.dat and writes it back as a run without changes would.
#include "cli/Cli.h"

namespace qvm::cli {
namespace {

int Run(Context& ctx) {
  if (!ctx.args.empty()) return UsageError(ctx, "rewrite-index takes no arguments");
  LockAttempt lock;
  if (!LockIndexForWriting(ctx, lock)) return kExitUsage;
  ImageIndex index;
  IndexFileState state;
  if (!LoadIndex(ctx, index, &state)) return kExitUsage;
  return SaveIndex(ctx, index, state) ? kExitOk : kExitUsage;
}

const Register kRegister({"rewrite-index", "", "read media/index.dat and write it back normalised",
                          Run});

}  // namespace
}  // namespace qvm::cli
