// How a console program (the CLI) starts on every platform.
#pragma once

namespace qvm {

// Runs `program` with the arguments as UTF-8, and standard output and error passing its bytes
// through unchanged: "\n" stays one byte, UTF-8 shows as text in a console window. On Windows
// the arguments are taken from the UTF-16 command line, because `argv` arrives in the ANSI code
// page and loses every character that page cannot hold. Returns the program's exit status.
int RunConsoleProgram(int argc, char** argv, int (*program)(int argc, char** argv));

}  // namespace qvm
