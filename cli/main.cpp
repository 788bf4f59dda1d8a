// qvm-image-wizard-cli [-C GAME_FOLDER] COMMAND [ARGS]
#include <iostream>
#include <string>

#include "app/Startup.h"
#include "cli/Commands.h"
#include "platform/ConsoleProgram.h"
#include "platform/Cp1252.h"
#include "platform/PathText.h"

namespace {

void PrintHelp(std::ostream& out) {
  out << "usage: qvm-image-wizard-cli [-C GAME_FOLDER] [--json] COMMAND [ARGS]\n\n"
         "The command-line companion of the QVM 7 Visualizer Image Wizard. GAME_FOLDER is the\n"
         "game's main folder (the one holding qvm.vrs); default: the current folder.\n\n"
         "Commands:\n";
  for (const auto& c : qvm::cli::Commands()) {
    std::string head = std::string(c.name) + (*c.usage ? std::string(" ") + c.usage : "");
    out << "  " << head;
    for (size_t i = head.size(); i < 28; ++i) out << ' ';
    out << ' ' << c.summary << '\n';
  }
  out << "\n--json (before the command or among its arguments) prints one JSON document instead\n"
         "of lines, for tree, images, stray, missing, suggest and check.\n";
  out << "\nExit status: 0 success, 1 not found or problems found, 2 usage or environment "
         "error.\n";
}

int CliMain(int argc, char** argv) {
  using namespace qvm::cli;
  qvm::Os& os = qvm::SystemOs();
  const std::vector<std::string> args = qvm::ProgramArguments(argc, argv);
  std::filesystem::path folder = std::filesystem::current_path();
  bool json = false;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      PrintHelp(std::cout);
      return kExitOk;
    }
    if (arg == "--version") {
      std::cout << "qvm-image-wizard-cli " << qvm::BuildNumber() << '\n';
      return kExitOk;
    }
    if (arg == "-C") {
      if (i + 1 >= args.size()) {
        std::cerr << "error: -C needs a folder\n";
        PrintHelp(std::cerr);
        return kExitUsage;
      }
      folder = qvm::PathFromArgument(args[++i]);
      continue;
    }
    if (arg == "--json") {
      json = true;
      continue;
    }
    break;
  }
  if (i >= args.size()) {
    PrintHelp(std::cerr);
    return kExitUsage;
  }
  const std::string& name = args[i++];
  const Command* command = FindCommand(name);
  if (!command) {
    std::cerr << "error: unknown command \"" << qvm::ShownUtf8(name) << "\"\n";
    PrintHelp(std::cerr);
    return kExitUsage;
  }
  Context ctx{os, {}, {}, std::cout, std::cerr, command, json};
  for (; i < args.size(); ++i) {
    // Only the commands that print JSON take --json among their arguments; for the others
    // it stays an argument (a file may have any name).
    if (command->json && args[i] == "--json") {
      ctx.json = true;
    } else {
      ctx.args.push_back(args[i]);
    }
  }
  if (ctx.json && !command->json) {
    std::cerr << "error: " << command->name << " has no JSON output\n";
    return kExitUsage;
  }
  for (const auto& a : ctx.args) {
    if (a == "--help") {
      std::cout << "usage: qvm-image-wizard-cli [-C GAME_FOLDER] " << command->name << ' '
                << command->usage << "\n  " << command->summary << '\n';
      return kExitOk;
    }
  }
  if (!qvm::IsGameFolder(os, folder)) {
    std::cerr << qvm::kNotGameFolderMessage << '\n';
    return kExitUsage;
  }
  ctx.paths = qvm::ResolveGamePaths(os, folder);
  return command->run(ctx);
}

}  // namespace

// The arguments as UTF-8 and the output as bytes, on Windows too.
int main(int argc, char** argv) { return qvm::RunConsoleProgram(argc, argv, CliMain); }
