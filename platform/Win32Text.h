// Texts at the edge of the Windows API (Windows builds only): its UTF-16 against our UTF-8, and
// its error codes as the short texts the Os interface promises.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvm {

// Malformed input (bytes that are no UTF-8, lone surrogates) becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

// The arguments of a command line, split as Windows splits them, in UTF-8.
std::vector<std::string> ArgumentsFromCommandLine(const wchar_t* commandLine);

// The length of the longest start of `utf8` that does not end inside a character, so that a
// character cut by a buffer's end is converted whole with the next part.
std::size_t WholeUtf8Length(std::string_view utf8);

// The text of a Win32 error code. The codes a file operation meets read as the C library's
// texts on Linux ("No such file or directory"), so both programs print the same messages.
std::string Win32ErrorText(unsigned long error);

}  // namespace qvm
