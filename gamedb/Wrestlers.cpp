// Wrestlers and the further names under which the circuits know them.
#include <algorithm>
#include <cstdint>
#include <string>

#include "gamedb/GameReaders.h"
#include "platform/QuickHash.h"

namespace qvm {
namespace {

constexpr int kCircuitRecordLines = 18;

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

void ReadWrestlers(const RecordFiles& files, GameDatabase& db) {
  RecordReader records(files);
  int room = kWrestlerCapacity - static_cast<int>(db.wrestlers.size());
  std::int32_t count = CountWithinCapacity(db, files.dataPath, records.Count(), room, "wrestlers");
  db.wrestlers.reserve(db.wrestlers.size() + static_cast<std::size_t>(count));
  for (std::int32_t k = 0; k < count; ++k) {
    records.NextRecord();
    std::string_view name = records.Data().ReadLine();
    Wrestler& wrestler = db.wrestlers.emplace_back();
    wrestler.name = PoolString(name);
    // Alias 1 is a copy of its own: the sorted view reorders aliases, never the name.
    wrestler.aliases.push_back(Alias{PoolString(name)});
  }
  records.ReportOffsets(db);
}

const std::uint32_t* AliasHashes::Row(const GameDatabase& db, std::size_t k) {
  if (counts_.size() < db.wrestlers.size()) {
    counts_.resize(db.wrestlers.size(), 0);
    hashes_.resize(db.wrestlers.size() * kAliasCapacity, 0);
  }
  const std::vector<Alias>& aliases = db.wrestlers[k].aliases;
  std::uint32_t* row = &hashes_[k * kAliasCapacity];
  if (counts_[k] != aliases.size()) {
    std::size_t n = std::min<std::size_t>(aliases.size(), kAliasCapacity);
    for (std::size_t j = 0; j < n; ++j) row[j] = Of(aliases[j].text);
    counts_[k] = static_cast<std::uint8_t>(n);
  }
  return row;
}

void AliasHashes::Append(std::size_t k, std::uint32_t hash) {
  if (k >= counts_.size() || counts_[k] >= kAliasCapacity) return;
  hashes_[k * kAliasCapacity + counts_[k]++] = hash;
}

std::uint32_t AliasHashes::Of(std::string_view text) {
  return static_cast<std::uint32_t>(QuickHash(text));
}

void ReadCircuitAliases(std::string_view circxdb, std::string_view path, GameDatabase& db,
                        AliasHashes* hashes) {
  GameTextReader reader(circxdb);
  std::int32_t count = reader.ReadNumber();
  if (count < 0) {
    AddFinding(db, kFindingCount,
               std::string(path) + ": a record count of " + std::to_string(count) +
                   " reads as 0");
    return;
  }
  // Records beyond the wrestler count change nothing, so they are not read at all.
  std::int32_t limit = std::min<std::int32_t>(count, static_cast<std::int32_t>(db.wrestlers.size()));
  int ignored = 0;
  std::string firstIgnored;
  bool shortReported = false;
  for (std::int32_t k = 0; k < limit; ++k) {
    if (!shortReported && reader.AtEnd()) {
      shortReported = true;
      AddFinding(db, kFindingShortFile,
                 std::string(path) + " ends after " + std::to_string(k) + " of its " +
                     std::to_string(count) + " records; the rest read as empty names");
    }
    std::string_view name = reader.ReadLine();
    Wrestler& wrestler = db.wrestlers[static_cast<std::size_t>(k)];
    bool known = false;
    std::uint32_t hash = 0;
    if (hashes) {
      const std::uint32_t* row = hashes->Row(db, static_cast<std::size_t>(k));
      hash = AliasHashes::Of(name);
      for (std::size_t j = 0; j < wrestler.aliases.size() && !known; ++j)
        known = row[j] == hash && wrestler.aliases[j].text == name;
    } else {
      known = std::any_of(wrestler.aliases.begin(), wrestler.aliases.end(),
                          [&](const Alias& alias) { return alias.text == name; });
    }
    if (!known) {
      if (static_cast<int>(wrestler.aliases.size()) < kAliasCapacity) {
        wrestler.aliases.push_back(Alias{PoolString(name)});
        if (hashes) hashes->Append(static_cast<std::size_t>(k), hash);
      } else if (ignored++ == 0) {
        firstIgnored = Quoted(name) + " of wrestler " + std::to_string(k + 1) + " " +
                       Quoted(wrestler.name);
      }
    }
    reader.SkipLines(kCircuitRecordLines - 1);
  }
  if (ignored > 0) {
    AddFinding(db, kFindingCapacity,
               std::string(path) + ": " + std::to_string(ignored) +
                   " names not kept because their wrestler already has " +
                   std::to_string(kAliasCapacity) + " (first: " + firstIgnored + ")");
  }
}

}  // namespace qvm
