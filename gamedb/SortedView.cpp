#include "gamedb/SortedView.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

namespace qvm {
namespace {

unsigned char FoldAscii(char c) {
  auto b = static_cast<unsigned char>(c);
  return (b >= 'a' && b <= 'z') ? static_cast<unsigned char>(b - 32) : b;
}

// Eight bytes at once, a-z mapped to A-Z: bytes under 0x80 from 'a' to 'z' lose 0x20.
std::uint64_t UpperAzWord(std::uint64_t w) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
  const std::uint64_t low7 = w & ~kHigh;
  const std::uint64_t atLeastA = low7 + (0x80 - 'a') * kOnes;
  const std::uint64_t aboveZ = low7 + (0x80 - 'z' - 1) * kOnes;
  return w - ((atLeastA & ~aboveZ & ~w & kHigh) >> 2);
}

// The first eight bytes of a name, folded as the display order folds them, read as one
// number with the first byte highest; a shorter name is padded with zero bytes. When two keys
// differ they order their names as CompareDisplayOrder does, so most comparisons of a sort end
// at the key.
std::uint64_t SortKey(Text name) {
  std::uint64_t w = 0;
  std::size_t n = std::min<std::size_t>(8, name.size());
  for (std::size_t i = 0; i < n; ++i)
    w |= std::uint64_t{static_cast<unsigned char>(name[i])} << (8 * i);
  w = UpperAzWord(w);
  std::uint64_t key = 0;
  for (int i = 0; i < 8; ++i) key = (key << 8) | ((w >> (8 * i)) & 0xFF);
  return key;
}

struct Keyed {
  std::uint64_t key;
  Text name;
  int item;  // record number, or place in the alias list
};

bool Before(const Keyed& x, const Keyed& y) {
  if (x.key != y.key) return x.key < y.key;
  return CompareDisplayOrder(x.name, y.name) < 0;
}

// (name, record number) of every record of one kind, in table order.
template <class Record>
std::vector<Keyed> NamesOf(const std::vector<Record>& records) {
  std::vector<Keyed> keyed;
  keyed.reserve(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    keyed.push_back(Keyed{SortKey(records[i].name), records[i].name, static_cast<int>(i + 1)});
  }
  return keyed;
}

std::vector<Keyed> NamesOf(const GameDatabase& db, RecordKind kind) {
  switch (kind) {
    case RecordKind::Wrestler:
      return NamesOf(db.wrestlers);
    case RecordKind::TagTeam:
      return NamesOf(db.teams);
    case RecordKind::Stable:
      return NamesOf(db.stables);
    case RecordKind::Manager:
      return NamesOf(db.managers);
    case RecordKind::Title:
      return NamesOf(db.titles);
    case RecordKind::None:
      break;
  }
  return {};
}

}  // namespace

int CompareDisplayOrder(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  std::size_t i = 0;
  // Eight bytes at a time while they agree: names of one kind often share long beginnings.
  for (; i + 8 <= n; i += 8) {
    std::uint64_t wa, wb;
    std::memcpy(&wa, a.data() + i, 8);
    std::memcpy(&wb, b.data() + i, 8);
    wa = UpperAzWord(wa);
    wb = UpperAzWord(wb);
    if (wa != wb) {
      // The first differing byte is the lowest one in memory order.
      int shift = std::countr_zero(wa ^ wb) & ~7;
      return ((wa >> shift) & 0xFF) < ((wb >> shift) & 0xFF) ? -1 : 1;
    }
  }
  for (; i < n; ++i) {
    unsigned char ca = FoldAscii(a[i]), cb = FoldAscii(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

void PrepareSortedView(GameDatabase& db, RecordKind kind) {
  auto keyed = NamesOf(db, kind);
  std::sort(keyed.begin(), keyed.end(),
            [](const Keyed& x, const Keyed& y) { return Before(x, y); });
  SortedView& view = db.sortedViews[KindSlot(kind)];
  view.names.clear();
  view.records.clear();
  view.names.reserve(keyed.size());
  view.records.reserve(keyed.size());
  for (const Keyed& k : keyed) {
    view.names.push_back(PoolString(k.name));
    view.records.push_back(k.item);
  }
  if (kind != RecordKind::Wrestler) return;
  // A single alias is the name itself; only several need ordering. The name field stays.
  std::vector<Keyed> aliases;
  std::vector<Alias> sorted;
  for (Wrestler& w : db.wrestlers) {
    if (w.aliases.size() < 2) continue;
    aliases.clear();
    for (std::size_t j = 0; j < w.aliases.size(); ++j)
      aliases.push_back(Keyed{SortKey(w.aliases[j].text), w.aliases[j].text, static_cast<int>(j)});
    std::sort(aliases.begin(), aliases.end(),
              [](const Keyed& x, const Keyed& y) { return Before(x, y); });
    sorted.clear();
    for (const Keyed& k : aliases) sorted.push_back(w.aliases[static_cast<std::size_t>(k.item)]);
    w.aliases.assign(sorted.begin(), sorted.end());
  }
}

}  // namespace qvm
