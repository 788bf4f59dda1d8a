#include "images/MediaFile.h"

#include <algorithm>
#include <functional>

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
  const auto count = static_cast<std::uint32_t>(entries_.size());
  utf8_.reserve(count);
  upper_.reserve(count);
  next_.assign(count, kNone);
  std::size_t size = 16;
  while (size < 2 * static_cast<std::size_t>(count)) size *= 2;
  slots_.assign(size, kNone);
  std::vector<std::uint32_t> last(size, kNone);  // per slot, the last position chained so far
  for (std::uint32_t i = 0; i < count; ++i) {
    utf8_.push_back(Utf8FromPath(entries_[i].name));
    // A name CP1252 cannot hold is found by no name of the index.
    auto name = Cp1252FromUtf8(utf8_.back());
    upper_.push_back(name ? UpperCp1252(*name) : std::string());
    if (!name) continue;
    std::size_t at = std::hash<std::string_view>{}(upper_[i]) & (size - 1);
    while (slots_[at] != kNone && upper_[slots_[at]] != upper_[i]) at = (at + 1) & (size - 1);
    if (slots_[at] == kNone) {
      slots_[at] = i;
    } else {
      next_[last[at]] = i;
    }
    last[at] = i;
  }
}

const FolderEntry* MediaListing::Find(std::string_view name) const {
  if (!IsPlainFileName(name)) return nullptr;
  const std::string upper = UpperCp1252(name);
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = std::hash<std::string_view>{}(upper)&mask;
  while (slots_[at] != kNone && upper_[slots_[at]] != upper) at = (at + 1) & mask;
  if (slots_[at] == kNone) return nullptr;
  // An ASCII name is spelled alike in UTF-8.
  const bool ascii = std::all_of(name.begin(), name.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  const std::string converted = ascii ? std::string() : Utf8FromCp1252(name);
  const std::string_view exact = ascii ? name : std::string_view(converted);
  std::uint32_t best = slots_[at];
  for (std::uint32_t i = best; i != kNone; i = next_[i]) {
    if (utf8_[i] == exact) return &entries_[i];
    if (utf8_[i] < utf8_[best]) best = i;
  }
  return &entries_[best];
}

std::optional<fs::path> MediaListing::FileOf(const FolderEntry& entry) const {
  return Openable(os_, paths_, paths_.media / entry.name, entry.type);
}

}  // namespace qvm
