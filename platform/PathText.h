// The one place where paths and texts convert into each other. A path holds what the system
// holds (bytes on POSIX, UTF-16 on Windows); texts are UTF-8 or CP1252. Outside platform/
// nothing builds a path from a narrow string or takes a path's native bytes: on Windows a
// narrow string would be read in the ANSI code page and lose every other character.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvm {

// A path from UTF-8 text, and back. On POSIX a name that is no valid UTF-8 keeps its bytes
// both ways, so a path survives the round trip on every system. Windows names are UTF-16:
// there bytes that are no UTF-8, and half a UTF-16 pair, become U+FFFD.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);
// Calls `use` with the UTF-8 text of `path` as a string_view, valid during the call, and
// returns what it returns: for loops over the 20,000 names of a media folder, which on POSIX
// need no copy at all.
template <class Use>
auto WithUtf8OfPath(const std::filesystem::path& path, Use&& use) {
#ifdef _WIN32
  const std::string utf8 = Utf8FromPath(path);
  return use(std::string_view(utf8));
#else
  return use(std::string_view(path.native()));
#endif
}

// A path from a CP1252 text (a name out of the game's files or the index).
std::filesystem::path PathFromCp1252(std::string_view cp1252);
// The CP1252 spelling of a path's text (usually a bare file name); empty when it holds a
// character CP1252 cannot hold (or bytes that are no UTF-8).
std::optional<std::string> Cp1252FromPath(const std::filesystem::path& path);

// The program's arguments after the program name, as the system gives them: on POSIX the
// bytes (UTF-8 text in practice); on Windows the wide command line as UTF-8. Provided by the
// platform's Os file.
std::vector<std::string> ProgramArguments(int argc, char** argv);
// The path an argument names, with nothing lost on the way.
std::filesystem::path PathFromArgument(std::string_view argument);
// The path in an environment variable; empty when it is not set or empty.
std::optional<std::filesystem::path> PathFromEnvironment(const char* name);
// Makes `folder` the process's working folder (an empty path: it stays); the working folder as
// it then is, or none when `folder` cannot be entered.
std::optional<std::filesystem::path> EnterFolder(const std::filesystem::path& folder);
// The folder where the user's settings of programs live: $XDG_CONFIG_HOME when absolute, else
// ~/.config, on POSIX; %APPDATA% (the roaming application data) on Windows.
std::filesystem::path UserSettingsFolder();

}  // namespace qvm
