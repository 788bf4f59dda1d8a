// The commands of the CLI, in the order the README and --help list them. Each is one small
// file: it checks its arguments, acts, prints to stdout (problems to stderr) and returns the
// exit status.
#pragma once

#include <span>
#include <string_view>

#include "cli/Cli.h"

namespace qvm::cli {

int RunTree(Context& ctx);
int RunImages(Context& ctx);
int RunStray(Context& ctx);
int RunAttach(Context& ctx);
int RunDetach(Context& ctx);
int RunUpright(Context& ctx);
int RunRewriteIndex(Context& ctx);
int RunInfo(Context& ctx);
int RunMissing(Context& ctx);
int RunSuggest(Context& ctx);
int RunCheck(Context& ctx);

std::span<const Command> Commands();
// The command of that name; null for none.
const Command* FindCommand(std::string_view name);

}  // namespace qvm::cli
