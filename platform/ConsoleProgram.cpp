#include "platform/ConsoleProgram.h"

#include <iostream>

namespace qvm {

int FinishOutput(int status) {
  std::cout.flush();
  if (!std::cout.bad()) return status;
  std::cerr << "error: the output could not be written in full\n";
  std::cerr.flush();
  return 2;
}

}  // namespace qvm
