#include "platform/PathText.h"

#include "platform/Cp1252.h"

namespace qvm {
namespace fs = std::filesystem;

fs::path PathFromUtf8(std::string_view utf8) {
  // char8_t text is UTF-8 to the path on every system (a char text would be the ANSI code
  // page on Windows).
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

fs::path PathFromCp1252(std::string_view cp1252) { return PathFromUtf8(Utf8FromCp1252(cp1252)); }

std::optional<std::string> Cp1252FromPath(const fs::path& path) {
  return Cp1252FromUtf8(Utf8FromPath(path));
}

}  // namespace qvm
