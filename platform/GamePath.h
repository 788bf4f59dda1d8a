// Maps the game's relative paths ("DATA\WRESTLRS.DAT", CP1252, "\" as separator) to real files
// below the game folder, matching every component without regard to letter case: game folders
// often come from Windows, where "Data" and "DATA" are the same folder.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Os.h"

namespace qvm {

// The real path of `gamePath` below `root`. Each component that exists in some letter case is
// spelled as on disk (an exact match wins; among several case variants the first in byte order
// of their UTF-8 names); components that do not exist keep the spelling given, so the result is
// also the path to create. Empty when the path would leave the game folder (an absolute path, a
// drive letter, a ".." component) or a component cannot be expressed, or reaches an entry only
// by a second name of it (a short 8.3 name on Windows: "PICTUR~1.JPG" finds no file on Linux,
// so it finds none here either).
std::optional<std::filesystem::path> ResolveGamePath(Os& os, const std::filesystem::path& root,
                                                     std::string_view gamePath);

// `gamePath` below `root` spelled as given, for a system that itself finds names in any letter
// case (Windows): empty where ResolveGamePath is empty for the form of the path (it would leave
// the game folder), and where Windows might find by the name what ResolveGamePath does not: a
// "~" (a short 8.3 name), a trailing dot or space (dropped there), a character Windows reads as
// more than a letter (":", "*", "?", "\"", "<", ">", "|", control characters).
std::optional<std::filesystem::path> GamePathAsGiven(const std::filesystem::path& root,
                                                     std::string_view gamePath);

// Resolves many paths below one root exactly as ResolveGamePath does, from one listing of each
// folder it passes through instead of a look-up per name (loading a game resolves hundreds of
// paths in a few dozen folders; on Windows each look-up is a search of its folder). Only a
// name that no entry spells needs a look-up of its own: it may be a second name of an entry.
// For one run of work: the listings are not taken again.
class GamePathResolver {
 public:
  GamePathResolver(Os& os, std::filesystem::path root) : os_(os), root_(std::move(root)) {}
  std::optional<std::filesystem::path> Resolve(std::string_view gamePath);
  // Lists the folder `gamePath` names (and every folder on the way) now, for the resolutions
  // to come.
  void ListFolder(std::string_view gamePath);

 private:
  struct Listing {
    bool listed = false;  // false: the folder could not be listed, names are looked up alone
    std::vector<FolderEntry> entries;
    std::vector<std::string> absent;  // names (CP1252) found to reach nothing
  };
  Listing& ListingOf(const std::filesystem::path& folder);

  Os& os_;
  std::filesystem::path root_;
  std::map<std::filesystem::path, Listing> listings_;
};

// One CP1252 file name inside `folder`, matched without regard to case as above. Empty when
// the name is no plain file name (empty, ".", "..", or holds "/", "\" or NUL) or is a second
// name as above.
std::optional<std::filesystem::path> ResolveNameInFolder(Os& os,
                                                         const std::filesystem::path& folder,
                                                         std::string_view name);

// True for a name that may stand for a file inside a folder: not empty, not "." or "..", and
// without "/", "\", ":" or NUL.
bool IsPlainFileName(std::string_view name);

// True when `path` is an existing regular file (symbolic links followed).
bool IsRegularFile(Os& os, const std::filesystem::path& path);

}  // namespace qvm
