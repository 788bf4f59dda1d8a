// How a console program (the CLI) starts and ends on every platform.
#pragma once

namespace qvm {

// Runs `program` with standard output and error passing its bytes through unchanged: "\n"
// stays one byte, and UTF-8 shows as text in a console window. The program takes its arguments
// from ProgramArguments (PathText.h), which on Windows reads the UTF-16 command line. Standard
// output is buffered and written in large pieces; it is flushed before the exit status is
// returned. Returns the program's exit status, or FinishOutput's.
int RunConsoleProgram(int argc, char** argv, int (*program)(int argc, char** argv));

// Flushes standard output. What a program whose output could not all be written (a full disk,
// a closed file) exits with: 2, after a line on stderr, whatever the program meant to return;
// otherwise `status`. A result that did not arrive must not read as a success.
int FinishOutput(int status);

}  // namespace qvm
