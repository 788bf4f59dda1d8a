// The readers of the game's file families. Each takes the bytes of its files, so tests feed
// bytes directly; LoadGameDatabase finds and reads the files and calls them in order.
//
// Every loop is bounded by what can still change the tables (their capacities, the end of a
// file), so a hostile count such as 2,000,000,000 records or members finishes at once. What a
// reader has to leave out is recorded in `db.findings` for the CLI's `check`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "gamedb/GameDatabase.h"
#include "gamedb/GameTextReader.h"

namespace qvm {

// Words of `LoadFinding::kind`.
inline constexpr std::string_view kFindingCapacity = "capacity";       // surplus left out
inline constexpr std::string_view kFindingMissingFile = "missing-file"; // file not found
inline constexpr std::string_view kFindingCount = "count";             // negative count
inline constexpr std::string_view kFindingOffsets = "offsets";         // record without offset
inline constexpr std::string_view kFindingShortFile = "short-file";    // ends before its count

void AddFinding(GameDatabase& db, std::string_view kind, std::string detail);

// One .dat/.idx pair in memory: the bytes of each file, or nothing when it could not be
// opened, and the data file's game path for findings ("data\wrestlrs.dat").
struct RecordFiles {
  std::string_view dataPath;
  std::optional<std::string_view> data;
  std::optional<std::string_view> offsets;
};

// Walks the records of a pair: the record count from the data file, then record k at the k-th
// offset of the offset file. A record without a usable offset (the offset file is missing or
// has run out of numbers, or the offset lies outside the data file) reads as empty lines and
// zeros: the data reader is left at the end of the file.
class RecordReader {
 public:
  explicit RecordReader(const RecordFiles& files);
  // The count at the top of the data file; 0 without a data file; negative as read.
  std::int32_t Count() const { return count_; }
  // Positions `Data()` at the next record. False when the record has no usable offset.
  bool NextRecord();
  // True once the offset file has run out: every later record reads as empty too.
  bool OffsetsExhausted() const { return offsetsExhausted_; }
  GameTextReader& Data() { return data_; }
  // Adds one "offsets" finding when some records had no usable offset.
  void ReportOffsets(GameDatabase& db) const;

 private:
  std::string_view dataPath_;
  bool haveOffsets_;
  GameTextReader data_;
  GameTextReader offsets_;
  std::int32_t count_ = 0;
  std::int32_t withoutOffset_ = 0;
  std::int32_t outside_ = 0;
  bool offsetsExhausted_ = false;
};

// The record count of a pair held to 0..`capacity`; records a finding for a negative count
// and for records beyond the capacity (`what` names the records, e.g. "wrestlers").
std::int32_t CountWithinCapacity(GameDatabase& db, std::string_view path, std::int32_t count,
                                 int capacity, std::string_view what);

// "card.lgs": groups of three lines, the second of each the circuit's folder name exactly as
// read; an incomplete last group still counts. At most 50 circuits; the views point into
// `cardLgs`.
std::vector<std::string_view> ReadCircuitList(std::string_view cardLgs, GameDatabase& db);

// Wrestlers from "data\wrestlrs.dat": name and alias 1 (its own copy of the name).
void ReadWrestlers(const RecordFiles& files, GameDatabase& db);
// Hashes of every wrestler's aliases, kept from one circuit to the next: a circuit's name is
// compared with an alias's text only when their hashes agree (50 circuits of 3000 names meet
// up to 20 aliases each). A row that no longer fits its wrestler's aliases is made again.
class AliasHashes {
 public:
  // The hashes of wrestler k's aliases (0-based), one per alias.
  const std::uint32_t* Row(const GameDatabase& db, std::size_t k);
  void Append(std::size_t k, std::uint32_t hash);
  static std::uint32_t Of(std::string_view text);

 private:
  std::vector<std::uint32_t> hashes_;  // kAliasCapacity per wrestler
  std::vector<std::uint8_t> counts_;   // aliases hashed per wrestler
};

// One circuit's "circxdb.dat": 18-line records, line 1 of record k a name of wrestler k.
// `hashes`, when given, speeds up the comparison with the known aliases.
void ReadCircuitAliases(std::string_view circxdb, std::string_view path, GameDatabase& db,
                        AliasHashes* hashes = nullptr);

// Tag teams: the main pair first, then each circuit's pair; a circuit team whose name is
// already known (byte for byte) is dropped.
class TeamReader {
 public:
  explicit TeamReader(GameDatabase& db) : db_(db) {}
  void ReadMain(const RecordFiles& files);
  void ReadCircuit(const RecordFiles& files);

 private:
  GameDatabase& db_;
  std::unordered_set<std::string_view> names_;
  std::string composed_;
};

// Stables: the main pair first, then each circuit's pair; stables without members are never
// kept, and a circuit stable named like a known one lends it its new members.
class StableReader {
 public:
  explicit StableReader(GameDatabase& db) : db_(db) {}
  void ReadMain(const RecordFiles& files);
  void ReadCircuit(const RecordFiles& files);

 private:
  GameDatabase& db_;
  std::unordered_map<std::string_view, int> firstByName_;  // name -> first stable (0-based)
};

// Managers from "data\managers.dat": the first line of each record.
void ReadManagers(const RecordFiles& files, GameDatabase& db);
// One circuit's "card.ttl": a count, then per title a dropped line, the name, a dropped number.
void ReadTitles(std::string_view cardTtl, std::string_view path, GameDatabase& db);

}  // namespace qvm
