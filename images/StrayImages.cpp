#include "images/StrayImages.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/Cp1252.h"
#include "platform/ListOrder.h"
#include "platform/PathText.h"
#include "platform/QuickHash.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

unsigned char FoldAz(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

void FoldInto(std::string_view name, std::string& out) {
  out.assign(name);
  for (char& ch : out) ch = static_cast<char>(FoldAz(static_cast<unsigned char>(ch)));
}

bool EndsWithFolded(std::string_view name, std::string_view lowerSuffix) {
  if (name.size() < lowerSuffix.size()) return false;
  std::string_view tail = name.substr(name.size() - lowerSuffix.size());
  for (std::size_t i = 0; i < tail.size(); ++i) {
    if (FoldAz(static_cast<unsigned char>(tail[i])) != static_cast<unsigned char>(lowerSuffix[i]))
      return false;
  }
  return true;
}

// A link that leads to a regular file without leaving the game folder.
bool ListableLink(Os& os, const fs::path& link, const fs::path& realGameFolder) {
  if (realGameFolder.empty()) return false;
  const auto target = os.RealPath(link);
  if (!target || os.Info(*target, true).type != EntryType::Regular) return false;
  fs::path rel = target->lexically_relative(realGameFolder);
  return !rel.empty() && *rel.begin() != "..";
}

// The first eight bytes of a name as one number, the first byte highest, a shorter name padded
// with zero bytes: when two keys differ they order their names as a byte comparison does.
std::uint64_t ByteOrderKey(std::string_view name) {
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < 8; ++i)
    key = (key << 8) | (i < name.size() ? static_cast<unsigned char>(name[i]) : 0u);
  return key;
}

}  // namespace

int PicturePattern(std::string_view name) {
  for (std::size_t i = 0; i + 3 <= name.size(); ++i) {
    if (name[i] == '.' && FoldAz(static_cast<unsigned char>(name[i + 1])) == 'j' &&
        FoldAz(static_cast<unsigned char>(name[i + 2])) == 'p')
      return 1;
  }
  return EndsWithFolded(name, ".bmp") ? 2 : 0;
}

std::vector<std::string> ListMediaPictures(Os& os, const GamePaths& paths) {
  std::vector<FolderEntry> media;
  if (!os.ListFolder(paths.media, media, nullptr)) return {};
  return ListMediaPictures(os, paths, media);
}

std::vector<std::string> ListMediaPictures(Os& os, const GamePaths& paths,
                                           const std::vector<FolderEntry>& media,
                                           std::vector<std::string>* unnamable) {
  std::vector<std::string> groups[2];
  // The listing carries each entry's type, so a plain file costs no call of its own (a full
  // media folder holds 20,000).
  std::optional<fs::path> realGameFolder;  // found when the first link needs it
  for (const FolderEntry& entry : media) {
    if (entry.type != EntryType::Regular && entry.type != EntryType::Link) continue;
    WithUtf8OfPath(entry.name, [&](std::string_view onDisk) {
      if (onDisk.empty() || onDisk.front() == '.') return;
      // The patterns are ASCII, and every byte of a UTF-8 sequence for another character is
      // above 0x7F: the UTF-8 name matches exactly when its CP1252 spelling does.
      int pattern = PicturePattern(onDisk);
      if (pattern == 0) return;
      if (entry.type == EntryType::Link) {
        if (!realGameFolder) realGameFolder = os.RealPath(paths.game).value_or(fs::path());
        if (!ListableLink(os, paths.media / entry.name, *realGameFolder)) return;
      }
      // An ASCII name is spelled alike in both.
      if (std::all_of(onDisk.begin(), onDisk.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        groups[pattern - 1].emplace_back(onDisk);
      } else if (auto name = Cp1252FromUtf8(onDisk)) {
        groups[pattern - 1].push_back(std::move(*name));
      } else if (unnamable) {
        unnamable->emplace_back(onDisk);
      }
    });
  }
  std::vector<std::string> listed;
  listed.reserve(groups[0].size() + groups[1].size());
  for (auto& group : groups) {
    // Byte order of the a-z folded names (by their first eight bytes as one number where
    // they differ), case variants of one name together, the one the preview opens for an
    // index name first (its exact, lower-case spelling, else the first in byte order): the
    // index name then blanks the very file the wizard shows for it.
    std::vector<std::string> folded(group.size());
    std::vector<std::pair<std::uint64_t, std::uint32_t>> order;
    order.reserve(group.size());
    for (std::size_t i = 0; i < group.size(); ++i) {
      FoldInto(group[i], folded[i]);
      order.emplace_back(ByteOrderKey(folded[i]), static_cast<std::uint32_t>(i));
    }
    std::sort(order.begin(), order.end(), [&](const auto& x, const auto& y) {
      if (x.first != y.first) return x.first < y.first;
      const std::string &fa = folded[x.second], &fb = folded[y.second];
      if (fa != fb) return fa < fb;
      bool upperA = fa != group[x.second], upperB = fb != group[y.second];
      if (upperA != upperB) return !upperA;
      return group[x.second] < group[y.second];
    });
    for (const auto& [key, i] : order) listed.push_back(std::move(group[i]));
  }
  return listed;
}

namespace {

// Eight bytes of a name at once, A-Z folded to a-z: bytes under 0x80 that are at least 'A'
// and not above 'Z' get 0x20 added.
std::uint64_t FoldAzWord(std::uint64_t w) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
  const std::uint64_t low7 = w & ~kHigh;
  const std::uint64_t atLeastA = low7 + (0x80 - 'A') * kOnes;
  const std::uint64_t aboveZ = low7 + (0x80 - 'Z' - 1) * kOnes;
  return w | ((atLeastA & ~aboveZ & ~w & kHigh) >> 2);
}

inline std::uint64_t FoldedWord(std::string_view name, std::size_t i) {
  return FoldAzWord(WordAt(name, i));
}

// A hash of the folded name: names equal in the stray scan's sense hash alike.
std::uint64_t HashFoldAz(std::string_view name) {
  return QuickHashWords(name.size(), [name](std::size_t i) { return FoldedWord(name, i); });
}

// `folded` is already folded.
bool EqualsFolded(std::string_view name, std::string_view folded) {
  if (name.size() != folded.size()) return false;
  for (std::size_t i = 0; i < name.size(); i += 8) {
    if (FoldedWord(name, i) != WordAt(folded, i)) return false;
  }
  return true;
}

// The listed names by folded name, for the stray scan's many look-ups (400,000 with a full
// index): one flat slot per distinct name, holding the first sixteen folded bytes of it, so a
// look-up touches one slot (or two), which a batch of look-ups fetches ahead of use.
class FoldedNames {
 public:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  explicit FoldedNames(const std::vector<std::string>& listed) : chain_(listed.size(), kNone) {
    std::size_t size = 16;
    while (size < listed.size() + listed.size() / 3) size *= 2;
    slots_.resize(size);
    mask_ = size - 1;
    std::vector<std::uint32_t> last(size, kNone);  // per slot, its last position so far
    for (std::size_t i = 0; i < listed.size(); ++i) {
      const std::string& name = listed[i];
      if (name.empty()) continue;  // an empty text counts as blank from the start
      const Probe probe(name);
      const std::size_t at = Find(name, probe);
      const auto position = static_cast<std::uint32_t>(i);
      Slot& slot = slots_[at];
      if (slot.tag == 0) {
        slot = Slot{Tag(probe.hash),
                    position,
                    static_cast<std::uint32_t>(name.size()),
                    static_cast<std::uint32_t>(rest_.size()),
                    {probe.head[0], probe.head[1]}};
        for (std::size_t j = 16; j < name.size(); j += 8) {
          std::uint64_t w = FoldedWord(name, j);
          rest_.append(reinterpret_cast<const char*>(&w),
                       std::min<std::size_t>(8, name.size() - j));
        }
      } else {
        chain_[last[at]] = position;
      }
      last[at] = position;
    }
  }

  // Each name blanks the first listed position of its folded name not blanked yet.
  void Blank(const std::vector<Text>& names, std::vector<bool>& blank) {
    constexpr std::size_t kBatch = 16;
    Probe probes[kBatch];
    for (std::size_t from = 0; from < names.size(); from += kBatch) {
      const std::size_t n = std::min(kBatch, names.size() - from);
      for (std::size_t k = 0; k < n; ++k) {
        probes[k] = Probe(names[from + k]);
        __builtin_prefetch(&slots_[probes[k].hash & mask_]);
      }
      for (std::size_t k = 0; k < n; ++k) {
        Text name = names[from + k];
        if (name.empty()) continue;  // would only meet positions that are blank already
        Slot& slot = slots_[Find(name, probes[k])];
        if (slot.tag == 0 || slot.next == kNone) continue;
        blank[slot.next] = true;
        slot.next = chain_[slot.next];
      }
    }
  }

 private:
  // A name's first sixteen folded bytes (zero-padded) and the hash of all of it.
  struct Probe {
    Probe() = default;
    explicit Probe(std::string_view name)
        : hash(HashFoldAz(name)), head{FoldedWord(name, 0), FoldedWord(name, 8)} {}
    std::uint64_t hash = 0;
    std::uint64_t head[2] = {0, 0};
  };

  struct alignas(32) Slot {
    std::uint32_t tag = 0;       // 0: empty
    std::uint32_t next = kNone;  // first listed position of the name not blanked yet
    std::uint32_t length = 0;
    std::uint32_t restAt = 0;  // where its folded bytes from the seventeenth on begin
    std::uint64_t head[2] = {0, 0};
  };
  static std::uint32_t Tag(std::uint64_t hash) {
    return static_cast<std::uint32_t>(hash >> 32) | 1u;
  }

  bool Names(const Slot& slot, std::string_view name, const Probe& probe) const {
    if (slot.length != name.size() || slot.head[0] != probe.head[0] ||
        slot.head[1] != probe.head[1])
      return false;
    if (name.size() <= 16) return true;
    return EqualsFolded(name.substr(16),
                        std::string_view(rest_).substr(slot.restAt, name.size() - 16));
  }

  // The slot of `name`, or the empty slot where it would go (the table is never full).
  std::size_t Find(std::string_view name, const Probe& probe) const {
    const std::uint32_t tag = Tag(probe.hash);
    for (std::size_t i = probe.hash & mask_;; i = (i + 1) & mask_) {
      const Slot& slot = slots_[i];
      if (slot.tag == 0) return i;
      if (slot.tag == tag && Names(slot, name, probe)) return i;
    }
  }

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  std::string rest_;                  // folded bytes of the longer names, from the seventeenth on
  std::vector<std::uint32_t> chain_;  // next listed position with the same folded name
};

}  // namespace

namespace {

// The names of `listed` that no image name blanked (`blankWith` hands every list of image
// names, in entry order, to the one it is given).
template <class BlankWith>
std::vector<std::string> Unblanked(const std::vector<std::string>& listed, BlankWith blankWith) {
  // The same result as the nested scan (every image name of every entry, in order, blanks the
  // first listed name equal to it and not blanked yet), in time proportional to the names.
  FoldedNames byName(listed);
  std::vector<bool> blank(listed.size(), false);
  blankWith([&](const std::vector<Text>& names) { byName.Blank(names, blank); });
  std::vector<std::string> stray;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    if (!blank[i] && !listed[i].empty()) stray.push_back(listed[i]);
  }
  return stray;
}

std::vector<std::string> Sorted(std::vector<std::string> stray) {
  // Stable: texts that compare equal keep table order, as the sorted list inserts them.
  std::stable_sort(stray.begin(), stray.end(), [](const std::string& a, const std::string& b) {
    return CompareListOrder(a, b) < 0;
  });
  return stray;
}

}  // namespace

std::vector<std::string> StrayNames(const std::vector<std::string>& listed,
                                    const ImageIndex& index) {
  return Unblanked(listed, [&](const auto& blank) {
    for (const IndexEntry& entry : index.Entries()) blank(entry.images);
  });
}

std::vector<std::string> SortedStrayNames(const std::vector<std::string>& listed,
                                          const ImageIndex& index) {
  return Sorted(StrayNames(listed, index));
}

std::vector<std::string> SortedStrayNames(const std::vector<std::string>& listed,
                                          const std::vector<Text>& imageNames) {
  return Sorted(Unblanked(listed, [&](const auto& blank) { blank(imageNames); }));
}

std::vector<Text> IndexImageNames(const ImageIndex& index) {
  std::size_t count = 0;
  for (const IndexEntry& entry : index.Entries()) count += entry.images.size();
  std::vector<Text> names;
  names.reserve(count);
  for (const IndexEntry& entry : index.Entries())
    names.insert(names.end(), entry.images.begin(), entry.images.end());
  return names;
}

std::vector<std::string> SortedStrayNames(Os& os, const GamePaths& paths, const ImageIndex& index) {
  return SortedStrayNames(ListMediaPictures(os, paths), index);
}

}  // namespace qvm
