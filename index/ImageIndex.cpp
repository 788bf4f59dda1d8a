#include "index/ImageIndex.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/Cp1252.h"
#include "platform/QuickHash.h"

namespace qvm {
namespace {

constexpr char kCtrlZ = 0x1A;

// Reads one line: it ends at CR (a LF right after belongs to the line end), at Ctrl-Z, or at
// the end of the data. A lone LF is an ordinary character.
std::string_view NextLine(std::string_view data, size_t& pos) {
  const size_t start = pos, end = data.size();
  if (start >= end) return {};
  const char* base = data.data();
  const auto* cr = static_cast<const char*>(std::memchr(base + start, '\r', end - start));
  size_t stop = cr ? static_cast<size_t>(cr - base) : end;
  if (const auto* z = static_cast<const char*>(std::memchr(base + start, kCtrlZ, stop - start)))
    stop = static_cast<size_t>(z - base);
  pos = stop;
  if (pos < end && data[pos] == '\r') {
    ++pos;
    if (pos < end && data[pos] == '\n') ++pos;
  }
  return data.substr(start, stop - start);
}

constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;

// `line` lower-cased in place, and where each of its names ends (at a "|" or at the end of the
// line) into `bars`: eight bytes at a time, as fast as the line can be read.
void LowerAndSplit(char* line, size_t n, std::vector<size_t>& bars) {
  bars.clear();
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, line + i, 8);
    if ((w & kHigh) == 0) {
      // ASCII: A-Z gain 0x20.
      const std::uint64_t atLeastA = w + (0x80 - 'A') * kOnes;
      const std::uint64_t aboveZ = w + (0x80 - 'Z' - 1) * kOnes;
      w |= (atLeastA & ~aboveZ & kHigh) >> 2;
    } else {
      unsigned char b[8];
      std::memcpy(b, &w, 8);
      for (unsigned char& c : b) c = LowerCp1252(c);
      std::memcpy(&w, b, 8);
    }
    std::memcpy(line + i, &w, 8);
    // The high bit of every byte that is "|" (exact: no carry crosses a byte).
    const std::uint64_t x = w ^ ('|' * kOnes);
    const std::uint64_t bars8 = ~(((x & ~kHigh) + ~kHigh) | x | ~kHigh);
    for (std::uint64_t bar = bars8; bar != 0; bar &= bar - 1)
      bars.push_back(i + static_cast<size_t>(std::countr_zero(bar) / 8));
  }
  for (; i < n; ++i) {
    line[i] = static_cast<char>(LowerCp1252(static_cast<unsigned char>(line[i])));
    if (line[i] == '|') bars.push_back(i);
  }
  bars.push_back(n);
}

// The names of one image line kept so far, so that a repeat is found without comparing it
// with every earlier name: open addressing over their positions in the entry. Slots of
// earlier lines count as empty (their stamp is old), so nothing is cleared between lines.
class LineNames {
 public:
  // Prepares for a line of up to `fields` names.
  void Start(size_t fields) {
    size_t wanted = 16;
    while (wanted < fields * 2) wanted *= 2;
    if (slots_.size() < wanted) {
      slots_.assign(wanted, Slot{});
      stamp_ = 0;
    }
    mask_ = wanted - 1;
    if (++stamp_ == 0) {  // after four billion lines: start the stamps afresh
      slots_.assign(slots_.size(), Slot{});
      stamp_ = 1;
    }
  }

  // True when `name` (of hash `hash`) is among `images`; otherwise notes it as the entry's
  // next image, at position images.size().
  bool SeenOrAdd(std::string_view name, size_t hash, const std::vector<Text>& images) {
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (size_t i = hash & mask_;; i = (i + 1) & mask_) {
      Slot& slot = slots_[i];
      if (slot.stamp != stamp_) {
        slot = Slot{tag, static_cast<std::uint32_t>(images.size()), stamp_};
        return false;
      }
      if (slot.tag == tag && images[slot.image] == name) return true;
    }
  }

 private:
  // Twelve bytes: a line of millions of names needs a table of twice as many slots.
  struct Slot {
    std::uint32_t tag = 0;  // the hash's high half; its low bits chose the slot
    std::uint32_t image = 0;
    std::uint32_t stamp = 0;
  };
  std::vector<Slot> slots_;
  size_t mask_ = 0;
  std::uint32_t stamp_ = 0;
};

bool AtEnd(std::string_view data, size_t pos) { return pos >= data.size() || data[pos] == kCtrlZ; }

}  // namespace

int ImageIndex::FindEntry(std::string_view key) const {
  std::string upper = UpperCp1252(key);
  for (size_t i = 0; i < entries_.size(); ++i) {
    Text k = entries_[i].key;
    if (k.size() != upper.size()) continue;
    bool equal = true;
    for (size_t j = 0; j < k.size() && equal; ++j)
      equal = UpperCp1252(static_cast<unsigned char>(k[j])) == static_cast<unsigned char>(upper[j]);
    if (equal) return static_cast<int>(i) + 1;
  }
  return 0;
}

bool IsStorableKey(std::string_view key) {
  return key.find_first_of(std::string_view("\r\x1A\0", 3)) == std::string_view::npos;
}

int ImageIndex::AppendEntry(std::string_view key) {
  if (EntryCount() >= kIndexEntryCapacity || !IsStorableKey(key)) return 0;
  entries_.push_back(IndexEntry{PoolString(key), {}});
  Notify({IndexChange::Kind::NewEntry, EntryCount(), std::string(key), std::string(key)});
  return EntryCount();
}

AddImageResult ImageIndex::AddImage(int entry, std::string_view name) {
  if (entry < 1 || entry > EntryCount()) return AddImageResult::NoEntry;
  IndexEntry& e = entries_[static_cast<size_t>(entry) - 1];
  std::string lower = LowerCp1252(name);
  for (Text existing : e.images) {
    if (EqualIgnoringCaseCp1252(existing, lower)) return AddImageResult::AlreadyListed;
  }
  if (static_cast<int>(e.images.size()) >= kImagesPerEntryCapacity)
    return AddImageResult::EntryFull;
  e.images.push_back(PoolString(lower));
  Notify({IndexChange::Kind::ImageAdded, entry, std::string(e.key), lower,
          static_cast<int>(e.images.size())});
  return AddImageResult::Added;
}

void ImageIndex::RemoveImage(int entry, int position) {
  if (entry < 1 || entry > EntryCount()) return;
  IndexEntry& e = entries_[static_cast<size_t>(entry) - 1];
  auto& images = e.images;
  if (position < 1 || position > static_cast<int>(images.size())) return;
  std::string removed(images[static_cast<size_t>(position) - 1]);
  images[static_cast<size_t>(position) - 1] = images.back();
  images.pop_back();
  Notify({IndexChange::Kind::ImageRemoved, entry, std::string(e.key), removed, position});
}

AddImageResult ImageIndex::ReplaceImage(int entry, int position, std::string_view name) {
  if (entry < 1 || entry > EntryCount()) return AddImageResult::NoEntry;
  IndexEntry& e = entries_[static_cast<size_t>(entry) - 1];
  if (position < 1 || position > static_cast<int>(e.images.size())) return AddImageResult::NoEntry;
  const auto at = static_cast<size_t>(position) - 1;
  std::string lower = LowerCp1252(name);
  for (size_t i = 0; i < e.images.size(); ++i) {
    if (i != at && EqualIgnoringCaseCp1252(e.images[i], lower)) return AddImageResult::AlreadyListed;
  }
  std::string previous(e.images[at]);
  e.images[at] = PoolString(lower);
  Notify({IndexChange::Kind::ImageReplaced, entry, std::string(e.key), lower, position, previous});
  return AddImageResult::Added;
}

void ImageIndex::SetKey(int entry, std::string_view key) {
  if (entry < 1 || entry > EntryCount() || !IsStorableKey(key)) return;
  IndexEntry& e = entries_[static_cast<size_t>(entry) - 1];
  std::string previous(e.key);
  e.key = PoolString(key);
  Notify({IndexChange::Kind::EntryRekeyed, entry, previous, std::string(key)});
}

bool ImageIndex::TakeBackEntry(int entry) {
  if (entry != EntryCount() || entry < 1 || !entries_.back().images.empty()) return false;
  std::string key(entries_.back().key);
  entries_.pop_back();
  Notify({IndexChange::Kind::EntryTakenBack, entry, key, key});
  return true;
}

bool ImageIndex::RestoreImage(int entry, int position, std::string_view name) {
  if (entry < 1 || entry > EntryCount()) return false;
  IndexEntry& e = entries_[static_cast<size_t>(entry) - 1];
  auto& images = e.images;
  if (position < 1 || position > static_cast<int>(images.size()) + 1) return false;
  for (Text existing : images)
    if (EqualIgnoringCaseCp1252(existing, name)) return false;
  const auto at = static_cast<size_t>(position) - 1;
  const Text restored = PoolString(name);
  if (at == images.size()) {
    images.push_back(restored);
  } else {
    images.push_back(images[at]);
    images[at] = restored;
  }
  Notify({IndexChange::Kind::ImageRestored, entry, std::string(e.key), std::string(name), position});
  return true;
}

void ParseImageIndex(std::string_view bytes, ImageIndex& index) {
  index.Clear();
  LineNames seen;
  std::vector<size_t> bars;
  size_t pos = 0;
  while (!AtEnd(bytes, pos)) {
    IndexEntry entry;
    entry.key = PoolString(NextLine(bytes, pos));
    std::string_view line = NextLine(bytes, pos);  // past the end: an empty line
    // The names of a line are parts of one pool copy of it, lower-cased in place: a full index
    // holds 400,000 names, and one copy per line keeps loading near the speed of reading (and
    // a line of many megabytes is held twice, not three times).
    const Text copy = PoolString(line);
    if (copy.size() != line.size()) {  // no room in the pool: the line reads as empty
      entry.images.push_back(Text());
      index.AppendLoaded(std::move(entry));
      continue;
    }
    // The pool's own memory, handed out writable; no text refers to it yet.
    LowerAndSplit(const_cast<char*>(copy.data()), copy.size(), bars);
    const size_t fields = bars.size();
    entry.images.reserve(fields);
    // A few names are compared pairwise; a long line goes through the set of its names.
    const bool useSet = fields > 8;
    if (useSet) seen.Start(fields);
    size_t start = 0;
    for (size_t bar : bars) {
      Text name = copy.substr(start, bar - start);
      start = bar + 1;
      bool duplicate;
      if (useSet) {
        duplicate = seen.SeenOrAdd(name, EndsHash(name), entry.images);
      } else {
        duplicate = std::find(entry.images.begin(), entry.images.end(), name) != entry.images.end();
      }
      if (!duplicate) entry.images.push_back(name);
    }
    index.AppendLoaded(std::move(entry));
  }
}

std::string SerializeImageIndex(const ImageIndex& index) {
  std::string out;
  for (const IndexEntry& e : index.Entries()) {
    out.append(e.key);
    out += "\r\n";
    for (size_t i = 0; i < e.images.size(); ++i) {
      if (i) out += '|';
      out.append(e.images[i]);
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace qvm
