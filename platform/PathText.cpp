#include "platform/PathText.h"

#include "platform/Cp1252.h"

namespace qvm {
namespace fs = std::filesystem;

fs::path PathFromUtf8(std::string_view utf8) {
#ifdef _WIN32
  // char8_t text is UTF-8 to the path (a char text would be the ANSI code page).
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
#else
  return fs::path(utf8);  // the bytes as they are
#endif
}

std::string Utf8FromPath(const fs::path& path) {
#ifdef _WIN32
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
#else
  return path.native();   // the bytes as the system holds them
#endif
}

fs::path PathFromCp1252(std::string_view cp1252) { return PathFromUtf8(Utf8FromCp1252(cp1252)); }

std::optional<std::string> Cp1252FromPath(const fs::path& path) {
  return Cp1252FromUtf8(Utf8FromPath(path));
}

}  // namespace qvm
