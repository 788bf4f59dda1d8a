#include "images/MediaFile.h"

#include <algorithm>

#include "platform/Cp1252.h"
#include "platform/GamePath.h"
#include "platform/PathText.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

// True when `path` lies below `folder` (both resolved).
bool IsBelow(const fs::path& path, const fs::path& folder) {
  auto [f, p] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return f == folder.end() && p != path.end();
}

// `file` as a picture to open, given what it is itself (`type`, links not followed).
std::optional<fs::path> Openable(Os& os, const GamePaths& paths, fs::path file, EntryType type) {
  if (type == EntryType::Regular) return file;
  if (type != EntryType::Link) return std::nullopt;
  const auto target = os.RealPath(file);
  if (!target) return std::nullopt;
  // A media folder that is itself a link elsewhere still holds the game's pictures.
  const auto root = os.RealPath(paths.game);
  const auto realMedia = os.RealPath(paths.media);
  if (!(root && IsBelow(*target, *root)) && !(realMedia && IsBelow(*target, *realMedia)))
    return std::nullopt;
  if (!IsRegularFile(os, file)) return std::nullopt;
  return file;
}

}  // namespace

std::optional<fs::path> ResolveMediaFile(Os& os, const GamePaths& paths, std::string_view name) {
  std::optional<fs::path> file = ResolveNameInFolder(os, paths.media, name);
  if (!file) return std::nullopt;
  const EntryType type = os.Info(*file, false).type;
  return Openable(os, paths, std::move(*file), type);
}

MediaListing::MediaListing(Os& os, const GamePaths& paths) : os_(os), paths_(paths) {
  if (!os.ListFolder(paths.media, entries_, nullptr)) entries_.clear();
  utf8_.reserve(entries_.size());
  for (std::uint32_t i = 0; i < entries_.size(); ++i) {
    utf8_.push_back(Utf8FromPath(entries_[i].name));
    // A name CP1252 cannot hold is found by no name of the index.
    if (auto name = Cp1252FromUtf8(utf8_.back())) byUpper_[UpperCp1252(*name)].push_back(i);
  }
}

const FolderEntry* MediaListing::Find(std::string_view name) const {
  if (!IsPlainFileName(name)) return nullptr;
  auto variants = byUpper_.find(UpperCp1252(name));
  if (variants == byUpper_.end()) return nullptr;
  const std::string exact = Utf8FromCp1252(name);
  std::uint32_t best = variants->second.front();
  for (std::uint32_t i : variants->second) {
    if (utf8_[i] == exact) return &entries_[i];
    if (utf8_[i] < utf8_[best]) best = i;
  }
  return &entries_[best];
}

std::optional<fs::path> MediaListing::FileOf(const FolderEntry& entry) const {
  return Openable(os_, paths_, paths_.media / entry.name, entry.type);
}

}  // namespace qvm
