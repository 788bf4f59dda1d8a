// Prints each argument on a line of its own, as a console program of ours starts.
#include <iostream>

#include "platform/ConsoleProgram.h"

namespace {

int Echo(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) std::cout << argv[i] << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return qvm::RunConsoleProgram(argc, argv, Echo); }
