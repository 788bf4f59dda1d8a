// How a console program (the CLI) starts on every platform.
#pragma once

namespace qvm {

// Runs `program` with standard output and error passing its bytes through unchanged: "\n"
// stays one byte, and UTF-8 shows as text in a console window. The program takes its arguments
// from ProgramArguments (PathText.h), which on Windows reads the UTF-16 command line. Returns
// the program's exit status.
int RunConsoleProgram(int argc, char** argv, int (*program)(int argc, char** argv));

}  // namespace qvm
