#include "platform/ConsoleProgram.h"

namespace qvm {

// The arguments are bytes as the system gives them; the streams pass bytes through (the C
// library buffers standard output).
int RunConsoleProgram(int argc, char** argv, int (*program)(int argc, char** argv)) {
  return FinishOutput(program(argc, argv));
}

}  // namespace qvm
