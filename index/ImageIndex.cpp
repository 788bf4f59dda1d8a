#include "index/ImageIndex.h"

#include "platform/Cp1252.h"

namespace qvm {
namespace {

constexpr char kCtrlZ = 0x1A;

// Reads one line: it ends at CR (a LF right after belongs to the line end), at Ctrl-Z, or at
// the end of the data. A lone LF is an ordinary character.
std::string_view NextLine(std::string_view data, size_t& pos) {
  size_t start = pos;
  while (pos < data.size() && data[pos] != '\r' && data[pos] != kCtrlZ) ++pos;
  std::string_view line = data.substr(start, pos - start);
  if (pos < data.size() && data[pos] == '\r') {
    ++pos;
    if (pos < data.size() && data[pos] == '\n') ++pos;
  }
  return line;
}

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

int ImageIndex::AppendEntry(std::string_view key) {
  if (EntryCount() >= kIndexEntryCapacity) return 0;
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
  Notify({IndexChange::Kind::ImageAdded, entry, std::string(e.key), lower});
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

void ImageIndex::SetKey(int entry, std::string_view key) {
  if (entry < 1 || entry > EntryCount()) return;
  IndexEntry& e = entries_[static_cast<size_t>(entry) - 1];
  std::string previous(e.key);
  e.key = PoolString(key);
  Notify({IndexChange::Kind::EntryRekeyed, entry, previous, std::string(key)});
}

void ParseImageIndex(std::string_view bytes, ImageIndex& index) {
  index.Clear();
  size_t pos = 0;
  while (!AtEnd(bytes, pos)) {
    IndexEntry entry;
    entry.key = PoolString(NextLine(bytes, pos));
    std::string_view line = NextLine(bytes, pos);  // past the end: an empty line
    size_t start = 0;
    for (;;) {
      size_t bar = line.find('|', start);
      std::string_view field = line.substr(start, bar == std::string_view::npos ? line.npos : bar - start);
      std::string lower = LowerCp1252(field);
      bool duplicate = false;
      for (Text earlier : entry.images) {
        if (earlier == lower) {
          duplicate = true;
          break;
        }
      }
      if (!duplicate) entry.images.push_back(PoolString(lower));
      if (bar == std::string_view::npos) break;
      start = bar + 1;
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
