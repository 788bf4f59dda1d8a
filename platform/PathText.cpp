#include "platform/PathText.h"

#include "platform/Cp1252.h"
#ifdef _WIN32
#include "platform/Win32Text.h"
#endif

namespace qvm {
namespace fs = std::filesystem;

fs::path PathFromUtf8(std::string_view utf8) {
#ifdef _WIN32
  // Never the path's own conversion: a char text would be read in the ANSI code page, and
  // UTF-8 that is no UTF-8 (a settings file, say) would throw.
  return fs::path(WideFromUtf8(utf8));
#else
  return fs::path(utf8);  // the bytes as they are
#endif
}

std::string Utf8FromPath(const fs::path& path) {
#ifdef _WIN32
  // A name holding half a UTF-16 pair (NTFS allows it) has U+FFFD there, not an exception.
  return Utf8FromWide(path.native());
#else
  return path.native();   // the bytes as the system holds them
#endif
}

fs::path PathFromCp1252(std::string_view cp1252) { return PathFromUtf8(Utf8FromCp1252(cp1252)); }

std::optional<std::string> Cp1252FromPath(const fs::path& path) {
  return Cp1252FromUtf8(Utf8FromPath(path));
}

std::optional<std::filesystem::path> EnterFolder(const std::filesystem::path& folder) {
  std::error_code error;
  if (!folder.empty()) std::filesystem::current_path(folder, error);
  if (error) return std::nullopt;
  std::filesystem::path now = std::filesystem::current_path(error);
  if (error) return std::nullopt;
  return now;
}

}  // namespace qvm
