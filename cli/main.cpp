// qvm-image-wizard-cli [-C GAME_FOLDER] COMMAND [ARGS]
#include <cstring>
#include <iostream>
#include <string>

#include "app/Startup.h"
#include "cli/Cli.h"

namespace {

void PrintHelp(std::ostream& out) {
  out << "usage: qvm-image-wizard-cli [-C GAME_FOLDER] COMMAND [ARGS]\n\n"
         "The command-line companion of the QVM 7 Visualizer Image Wizard. GAME_FOLDER is the\n"
         "game's main folder (the one holding qvm.vrs); default: the current folder.\n\n"
         "Commands:\n";
  for (const auto& c : qvm::cli::Commands()) {
    std::string head = std::string(c.name) + (*c.usage ? std::string(" ") + c.usage : "");
    out << "  " << head;
    for (size_t i = head.size(); i < 28; ++i) out << ' ';
    out << ' ' << c.summary << '\n';
  }
  out << "\nExit status: 0 success, 1 not found or problems found, 2 usage or environment "
         "error.\n";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace qvm::cli;
  std::filesystem::path folder = std::filesystem::current_path();
  int i = 1;
  for (; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      PrintHelp(std::cout);
      return kExitOk;
    }
    if (arg == "--version") {
      std::cout << "qvm-image-wizard-cli " << qvm::BuildNumber() << '\n';
      return kExitOk;
    }
    if (arg == "-C") {
      if (i + 1 >= argc) {
        std::cerr << "error: -C needs a folder\n";
        PrintHelp(std::cerr);
        return kExitUsage;
      }
      folder = argv[++i];
      continue;
    }
    break;
  }
  if (i >= argc) {
    PrintHelp(std::cerr);
    return kExitUsage;
  }
  std::string name = argv[i++];
  const Command* command = nullptr;
  for (const auto& c : Commands()) {
    if (name == c.name) command = &c;
  }
  if (!command) {
    std::cerr << "error: unknown command \"" << name << "\"\n";
    PrintHelp(std::cerr);
    return kExitUsage;
  }
  Context ctx{folder, {argv + i, argv + argc}, std::cout, std::cerr, command};
  for (const auto& a : ctx.args) {
    if (a == "--help") {
      std::cout << "usage: qvm-image-wizard-cli [-C GAME_FOLDER] " << command->name << ' '
                << command->usage << "\n  " << command->summary << '\n';
      return kExitOk;
    }
  }
  if (!qvm::IsGameFolder(folder)) {
    std::cerr << qvm::kNotGameFolderMessage << '\n';
    return kExitUsage;
  }
  return command->run(ctx);
}
