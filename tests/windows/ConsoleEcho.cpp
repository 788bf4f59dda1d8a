// Prints each argument on a line of its own, as a console program of ours starts.
#include <iostream>

#include "platform/ConsoleProgram.h"
#include "platform/PathText.h"

namespace {

int Echo(int argc, char** argv) {
  for (const std::string& arg : qvm::ProgramArguments(argc, argv)) std::cout << arg << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return qvm::RunConsoleProgram(argc, argv, Echo); }
