#include "platform/GamePath.h"

#include <algorithm>
#include <string>

#include "platform/Cp1252.h"
#include "platform/PathText.h"

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
      if (UpperCp1252(static_cast<unsigned char>(onDisk[i])) !=
          static_cast<unsigned char>(upper[i]))
        return false;
    }
    return true;
  }
  auto cp = Cp1252FromUtf8(onDisk);
  return cp && cp->size() == upper.size() && UpperCp1252(*cp) == upper;
}

// The index of the entry spelling `upper` first in byte order of the UTF-8 names; -1 for none.
// The names are compared in place: the media folder of a full game holds 20,000 pictures, and
// every preview of a name whose case differs on disk looks here.
long FirstCaseVariant(const std::vector<FolderEntry>& entries, std::string_view upper) {
  long best = -1;
  std::string bestName;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    WithUtf8OfPath(entries[i].name, [&](std::string_view name) {
      if (!SpellsUpper(name, upper) || (best >= 0 && name >= bestName)) return;
      best = static_cast<long>(i);
      bestName = name;
    });
  }
  return best;
}

// The on-disk spelling of `component` (CP1252) among the entries of `dir`, by the rule above;
// the component itself, with `absent` set, when nothing has the name in any letter case. Empty
// when the name reaches an entry only as another of its names (a short 8.3 name on Windows),
// which a system comparing names would not find.
std::optional<fs::path> MatchInListing(Os& os, const fs::path& dir,
                                       const std::vector<FolderEntry>& entries,
                                       std::string_view component, bool& absent) {
  fs::path wanted = PathFromCp1252(component);
  for (const FolderEntry& entry : entries) {
    if (entry.name.native() == wanted.native()) return wanted;  // spelled so on disk
  }
  long best = FirstCaseVariant(entries, UpperCp1252(component));
  if (best >= 0) return entries[static_cast<std::size_t>(best)].name;
  // No entry spells it: a second name of one, or the name to create.
  if (os.NameOnDisk(dir, wanted)) return std::nullopt;
  absent = true;
  return wanted;
}

// The same for one name alone: looked up first, the folder listed only when its letter case
// differs on disk.
std::optional<fs::path> MatchComponent(Os& os, const fs::path& dir, std::string_view component) {
  fs::path wanted = PathFromCp1252(component);
  std::optional<fs::path> onDisk = os.NameOnDisk(dir, wanted);
  if (onDisk && onDisk->native() == wanted.native()) return wanted;  // spelled so on disk
  // Where the system ignores case it found one variant; the rule picks among all of them.
  std::vector<FolderEntry> entries;
  if (os.ListFolder(dir, entries, nullptr)) {
    long best = FirstCaseVariant(entries, UpperCp1252(component));
    if (best >= 0) return entries[static_cast<std::size_t>(best)].name;
  } else if (onDisk && WithUtf8OfPath(*onDisk, [&](std::string_view name) {
               return SpellsUpper(name, UpperCp1252(component));
             })) {
    return onDisk;
  }
  if (onDisk) return std::nullopt;
  return wanted;
}

// Walks `gamePath` below `root` component by component, `match(folder, component)` spelling
// each; see ResolveGamePath.
template <class Match>
std::optional<fs::path> WalkGamePath(const fs::path& root, std::string_view gamePath, Match match) {
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
    std::optional<fs::path> spelled = match(result, component);
    if (!spelled) return std::nullopt;
    result /= *spelled;
  }
  return result;
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    if (c == '/' || c == '\\' || c == ':' || c == '\0') return false;
  }
  return true;
}

std::optional<fs::path> ResolveGamePath(Os& os, const fs::path& root, std::string_view gamePath) {
  return WalkGamePath(root, gamePath, [&](const fs::path& dir, std::string_view component) {
    return MatchComponent(os, dir, component);
  });
}

std::optional<fs::path> GamePathAsGiven(const fs::path& root, std::string_view gamePath) {
  for (char c : gamePath) {
    if (static_cast<unsigned char>(c) < 0x20 ||
        std::string_view("~:*?\"<>|").find(c) != std::string_view::npos)
      return std::nullopt;
  }
  return WalkGamePath(root, gamePath, [](const fs::path&, std::string_view component) {
    if (component.back() == '.' || component.back() == ' ') return std::optional<fs::path>();
    return std::optional<fs::path>(PathFromCp1252(component));
  });
}

std::optional<fs::path> GamePathResolver::Resolve(std::string_view gamePath) {
  bool absent = false;  // below a name nothing has, nothing has any name
  return WalkGamePath(root_, gamePath, [&](const fs::path& dir, std::string_view component) {
    if (absent) return std::optional<fs::path>(PathFromCp1252(component));
    Listing& listing = ListingOf(dir);
    if (!listing.listed) return MatchComponent(os_, dir, component);
    if (std::find(listing.absent.begin(), listing.absent.end(), component) !=
        listing.absent.end()) {
      absent = true;
      return std::optional<fs::path>(PathFromCp1252(component));
    }
    std::optional<fs::path> spelled = MatchInListing(os_, dir, listing.entries, component, absent);
    if (absent) listing.absent.emplace_back(component);
    return spelled;
  });
}

void GamePathResolver::ListFolder(std::string_view gamePath) {
  if (std::optional<fs::path> folder = Resolve(gamePath)) ListingOf(*folder);
}

GamePathResolver::Listing& GamePathResolver::ListingOf(const fs::path& folder) {
  auto [it, added] = listings_.try_emplace(folder);
  if (added) it->second.listed = os_.ListFolder(folder, it->second.entries, nullptr);
  return it->second;
}

std::optional<fs::path> ResolveNameInFolder(Os& os, const fs::path& folder, std::string_view name) {
  if (!IsPlainFileName(name)) return std::nullopt;
  std::optional<fs::path> match = MatchComponent(os, folder, name);
  if (!match) return std::nullopt;
  return folder / *match;
}

bool IsRegularFile(Os& os, const fs::path& path) {
  return os.Info(path, true).type == EntryType::Regular;
}

}  // namespace qvm
