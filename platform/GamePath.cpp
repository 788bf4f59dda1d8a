#include "platform/GamePath.h"

#include <dirent.h>

#include <system_error>
#include <vector>

#include "platform/Cp1252.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

// True when the on-disk name `onDisk` (UTF-8) spells `upper` (CP1252, upper-cased) in some
// letter case. ASCII names, the usual ones, are compared without a copy.
bool SpellsUpper(std::string_view onDisk, std::string_view upper) {
  bool ascii = true;
  for (char c : onDisk) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    if (onDisk.size() != upper.size()) return false;
    for (std::size_t i = 0; i < onDisk.size(); ++i) {
      if (UpperCp1252(static_cast<unsigned char>(onDisk[i])) != static_cast<unsigned char>(upper[i]))
        return false;
    }
    return true;
  }
  auto cp = Cp1252FromUtf8(onDisk);
  return cp && cp->size() == upper.size() && UpperCp1252(*cp) == upper;
}

// The on-disk spelling of `component` (CP1252) inside `dir`, or the component itself in UTF-8.
// The folder is read with readdir, names compared in place: the media folder of a full game
// holds 20,000 pictures, and every preview of a name whose case differs on disk looks here.
std::string MatchComponent(const fs::path& dir, std::string_view component) {
  std::string wanted = Utf8FromCp1252(component);
  std::error_code ec;
  if (fs::exists(fs::symlink_status(dir / wanted, ec))) return wanted;
  std::string upper = UpperCp1252(component);
  DIR* folder = ::opendir(dir.c_str());
  if (!folder) return wanted;
  std::optional<std::string> best;
  while (const dirent* entry = ::readdir(folder)) {
    std::string_view name = entry->d_name;
    if (name == "." || name == ".." || !SpellsUpper(name, upper)) continue;
    if (!best || name < *best) best = std::string(name);
  }
  ::closedir(folder);
  return best ? *best : wanted;
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
}

std::optional<fs::path> ResolveGamePath(const fs::path& root, std::string_view gamePath) {
  if (gamePath.empty() || gamePath.front() == '\\' || gamePath.front() == '/') return std::nullopt;
  if (gamePath.size() >= 2 && gamePath[1] == ':') return std::nullopt;  // drive letter
  if (gamePath.find('\0') != std::string_view::npos) return std::nullopt;
  fs::path result = root;
  size_t start = 0;
  while (start <= gamePath.size()) {
    size_t end = gamePath.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = gamePath.size();
    std::string_view component = gamePath.substr(start, end - start);
    start = end + 1;
    if (component.empty() || component == ".") continue;
    if (component == "..") return std::nullopt;
    result /= MatchComponent(result, component);
  }
  return result;
}

std::optional<fs::path> ResolveNameInFolder(const fs::path& folder, std::string_view name) {
  if (!IsPlainFileName(name)) return std::nullopt;
  return folder / MatchComponent(folder, name);
}

bool IsRegularFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(fs::status(path, ec));
}

}  // namespace qvm
