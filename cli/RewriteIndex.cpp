// rewrite-index: reads media/index.dat and writes it back as a run without changes would.
#include "cli/Commands.h"

namespace qvm::cli {

int RunRewriteIndex(Context& ctx) {
  if (!ctx.args.empty()) return UsageError(ctx, "rewrite-index takes no arguments");
  return EditIndex(ctx, [](ImageIndex&) { return IndexEdit{true, kExitOk}; });
}

}  // namespace qvm::cli
