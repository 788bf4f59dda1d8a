// check: what loading the game had to leave out or could not find, one finding per line.
#include <ostream>

#include "cli/Cli.h"

namespace qvm::cli {
namespace {

int Run(Context& ctx);
const Register kRegister({"check", "",
                          "report what loading the game left out or could not find; exit 1 when "
                          "there is anything",
                          Run});

int Run(Context& ctx) {
  if (!ctx.args.empty()) return UsageError(ctx, "check takes no arguments");
  StderrMessageBox messages(ctx.err);
  auto game = LoadGame(ctx, messages);
  for (const LoadFinding& finding : game->db.findings) {
    ctx.out << finding.kind << ": ";
    PrintLine(ctx.out, finding.detail);
  }
  bool indexRead = game->db.indexState.loaded;
  if (!indexRead) ctx.out << "index: media\\index.dat cannot be read\n";
  return game->db.findings.empty() && indexRead ? kExitOk : kExitNotFound;
}

}  // namespace
}  // namespace qvm::cli
