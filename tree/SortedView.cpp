#include "tree/SortedView.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace qvm {
namespace {

unsigned char FoldAscii(char c) {
  auto b = static_cast<unsigned char>(c);
  return (b >= 'a' && b <= 'z') ? static_cast<unsigned char>(b - 32) : b;
}

bool Before(Text a, Text b) { return CompareDisplayOrder(a, b) < 0; }

// (name, record number) of every record of one kind, in table order.
template <class Record>
std::vector<std::pair<Text, int>> NamesOf(const std::vector<Record>& records) {
  std::vector<std::pair<Text, int>> pairs;
  pairs.reserve(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    pairs.emplace_back(records[i].name, static_cast<int>(i + 1));
  }
  return pairs;
}

std::vector<std::pair<Text, int>> NamesOf(const GameDatabase& db, Kind kind) {
  switch (kind) {
    case Kind::Wrestlers: return NamesOf(db.wrestlers);
    case Kind::TagTeams: return NamesOf(db.teams);
    case Kind::Stables: return NamesOf(db.stables);
    case Kind::Managers: return NamesOf(db.managers);
    case Kind::Titles: return NamesOf(db.titles);
  }
  return {};
}

}  // namespace

int CompareDisplayOrder(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char ca = FoldAscii(a[i]), cb = FoldAscii(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

void PrepareSortedView(GameDatabase& db, Kind kind) {
  auto pairs = NamesOf(db, kind);
  std::sort(pairs.begin(), pairs.end(),
            [](const auto& x, const auto& y) { return Before(x.first, y.first); });
  SortedView& view = db.sortedViews[static_cast<int>(kind)];
  view.names.clear();
  view.records.clear();
  view.names.reserve(pairs.size());
  view.records.reserve(pairs.size());
  for (const auto& [name, record] : pairs) {
    view.names.push_back(PoolString(name));
    view.records.push_back(record);
  }
  if (kind != Kind::Wrestlers) return;
  // A single alias is the name itself; only several need ordering. The name field stays.
  for (Wrestler& w : db.wrestlers) {
    if (w.aliases.size() < 2) continue;
    std::sort(w.aliases.begin(), w.aliases.end(),
              [](const Alias& x, const Alias& y) { return Before(x.text, y.text); });
  }
}

}  // namespace qvm
