// A picture named by a list or the index, found in the game's media folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/GamePaths.h"
#include "platform/Os.h"

namespace qvm {

// The regular file in media whose name equals `name` (CP1252) without regard to case. Empty
// when the name is no plain file name (empty, "..", holding "/" or "\"), when no such file
// exists, when it is no regular file, or when it is a symbolic link that leads out of both the
// game folder and the media folder: names come from index.dat, which anyone can write, and
// must never make the wizard read elsewhere.
std::optional<std::filesystem::path> ResolveMediaFile(Os& os, const GamePaths& paths,
                                                      std::string_view name);

// Every entry of media as one listing gave it, found by name as ResolveMediaFile finds files,
// for work that looks up many names (a full index names 400,000).
class MediaListing {
 public:
  // Lists media; an unreadable or missing folder gives no entries.
  MediaListing(Os& os, const GamePaths& paths);

  const std::vector<FolderEntry>& Entries() const { return entries_; }
  // The entry a CP1252 name leads to: the one spelled exactly so, else the first of its case
  // variants in byte order of the UTF-8 names. Null when none spells it or the name is no
  // plain file name.
  const FolderEntry* Find(std::string_view name) const;
  // The file that entry is, under ResolveMediaFile's rules (a link is followed only to a
  // regular file inside the game or media folder); empty when it is none.
  std::optional<std::filesystem::path> FileOf(const FolderEntry& entry) const;

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  Os& os_;
  const GamePaths& paths_;
  std::vector<FolderEntry> entries_;
  std::vector<std::string> utf8_;   // the names of entries_, UTF-8
  std::vector<std::string> upper_;  // and CP1252 upper-cased (empty when CP1252 cannot hold them)
  // An open-addressed table of the distinct upper-cased names: the first position with each,
  // the others chained in listing order through next_. A full index looks up 400,000 names.
  std::vector<std::uint32_t> slots_;
  std::vector<std::uint32_t> next_;
};

}  // namespace qvm
