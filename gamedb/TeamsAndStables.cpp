// Tag teams and stables: the main pair, then each circuit's pair merged into what is known.
#include <algorithm>
#include <limits>
#include <string>

#include "gamedb/GameReaders.h"

namespace qvm {
namespace {

struct TeamLines {
  std::string_view member1;
  std::string_view member2;
  std::string_view name;
};

// The three lines at the start of a team record; a name of zero characters becomes
// member 1 + " and " + member 2, built in `composed` (a line of blanks is a name).
TeamLines ReadTeamLines(GameTextReader& data, std::string& composed) {
  TeamLines lines;
  lines.member1 = data.ReadLine();
  lines.member2 = data.ReadLine();
  lines.name = data.ReadLine();
  if (lines.name.empty()) {
    composed.assign(lines.member1);
    composed += " and ";
    composed += lines.member2;
    lines.name = composed;
  }
  return lines;
}

Team PoolTeam(const TeamLines& lines) {
  return Team{PoolString(lines.member1), PoolString(lines.member2), PoolString(lines.name)};
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// A negative member count counts as none, so its stable is dropped like an empty one.
std::int32_t MemberCount(GameTextReader& data, GameDatabase& db, std::string_view path,
                         std::string_view name) {
  std::int32_t count = data.ReadNumber();
  if (count < 0) {
    AddFinding(db, kFindingCount,
               std::string(path) + ": stable " + Quoted(name) + " has a member count of " +
                   std::to_string(count) + "; it is read as 0 and the stable dropped");
    return 0;
  }
  return count;
}

// Members of a stable that is kept as read: file order, duplicates kept, at most 50. Only
// the first 50 numbers are read; nothing after them in the record is needed.
std::vector<int> ReadMembers(GameTextReader& data, std::int32_t count) {
  std::vector<int> members;
  std::int32_t kept = std::min(count, kStableMemberCapacity);
  members.reserve(static_cast<std::size_t>(kept));
  for (std::int32_t j = 0; j < kept; ++j) members.push_back(data.ReadNumber());
  return members;
}

struct Surplus {
  int count = 0;
  std::string first;
  void Add(std::string_view name) {
    if (count++ == 0) first = Quoted(name);
  }
};

}  // namespace

void TeamReader::ReadMain(const RecordFiles& files) {
  RecordReader records(files);
  int room = kTeamCapacity - static_cast<int>(db_.teams.size());
  std::int32_t count = CountWithinCapacity(db_, files.dataPath, records.Count(), room, "tag teams");
  db_.teams.reserve(db_.teams.size() + static_cast<std::size_t>(count));
  // Duplicate names within the main file are all kept.
  for (std::int32_t k = 0; k < count; ++k) {
    records.NextRecord();
    Team& team = db_.teams.emplace_back(PoolTeam(ReadTeamLines(records.Data(), composed_)));
    names_.insert(team.name);
  }
  records.ReportOffsets(db_);
}

void TeamReader::ReadCircuit(const RecordFiles& files) {
  if (!files.data || !files.offsets) return;
  RecordReader records(files);
  std::int32_t count = CountWithinCapacity(db_, files.dataPath, records.Count(),
                                           std::numeric_limits<std::int32_t>::max(), "");
  Surplus surplus;
  for (std::int32_t k = 0; k < count; ++k) {
    bool located = records.NextRecord();
    TeamLines lines = ReadTeamLines(records.Data(), composed_);
    if (!names_.contains(lines.name)) {
      if (static_cast<int>(db_.teams.size()) < kTeamCapacity) {
        names_.insert(db_.teams.emplace_back(PoolTeam(lines)).name);
      } else {
        surplus.Add(lines.name);
      }
    }
    // Once the offsets have run out every further record is this same empty one: nothing
    // more can change, whatever the count says.
    if (!located && records.OffsetsExhausted()) break;
  }
  records.ReportOffsets(db_);
  if (surplus.count > 0) {
    AddFinding(db_, kFindingCapacity,
               std::string(files.dataPath) + ": " + std::to_string(surplus.count) +
                   " new tag teams not kept, the table holds " + std::to_string(kTeamCapacity) +
                   " (first: " + surplus.first + ")");
  }
}

void StableReader::ReadMain(const RecordFiles& files) {
  RecordReader records(files);
  std::int32_t count = CountWithinCapacity(db_, files.dataPath, records.Count(),
                                           std::numeric_limits<std::int32_t>::max(), "");
  Surplus trimmed;
  for (std::int32_t k = 0; k < count; ++k) {
    bool located = records.NextRecord();
    // Records without an offset read as empty: no members, so they would all be dropped.
    if (!located && records.OffsetsExhausted()) break;
    if (static_cast<int>(db_.stables.size()) >= kStableCapacity) {
      AddFinding(db_, kFindingCapacity,
                 std::string(files.dataPath) + ": the stable table is full (" +
                     std::to_string(kStableCapacity) + "); records " + std::to_string(k + 1) +
                     " to " + std::to_string(count) + " are not read");
      break;
    }
    GameTextReader& data = records.Data();
    std::string_view name = data.ReadLine();
    std::int32_t members = MemberCount(data, db_, files.dataPath, name);
    if (members == 0) continue;  // the next record takes this slot
    if (members > kStableMemberCapacity) trimmed.Add(name);
    Stable& stable = db_.stables.emplace_back(Stable{PoolString(name), ReadMembers(data, members)});
    firstByName_.emplace(stable.name, static_cast<int>(db_.stables.size()) - 1);
  }
  records.ReportOffsets(db_);
  if (trimmed.count > 0) {
    AddFinding(db_, kFindingCapacity,
               std::string(files.dataPath) + ": " + std::to_string(trimmed.count) +
                   " stables list more than " + std::to_string(kStableMemberCapacity) +
                   " members; only the first are kept (first: " + trimmed.first + ")");
  }
}

void StableReader::ReadCircuit(const RecordFiles& files) {
  if (!files.data || !files.offsets) return;
  RecordReader records(files);
  std::int32_t count = CountWithinCapacity(db_, files.dataPath, records.Count(),
                                           std::numeric_limits<std::int32_t>::max(), "");
  Surplus newStables, trimmed, fullMerges;
  for (std::int32_t k = 0; k < count; ++k) {
    bool located = records.NextRecord();
    if (!located && records.OffsetsExhausted()) break;  // empty from here on: all dropped
    GameTextReader& data = records.Data();
    std::string_view name = data.ReadLine();
    std::int32_t members = MemberCount(data, db_, files.dataPath, name);
    if (members == 0) continue;
    auto known = firstByName_.find(name);
    if (known == firstByName_.end()) {
      if (static_cast<int>(db_.stables.size()) >= kStableCapacity) {
        newStables.Add(name);
        continue;
      }
      if (members > kStableMemberCapacity) trimmed.Add(name);
      Stable& stable =
          db_.stables.emplace_back(Stable{PoolString(name), ReadMembers(data, members)});
      firstByName_.emplace(stable.name, static_cast<int>(db_.stables.size()) - 1);
      continue;
    }
    // Merge: each member not yet in the known stable is appended, in order. The loop ends
    // when the stable is full or the file has ended (every further number would be 0).
    std::vector<int>& into = db_.stables[static_cast<std::size_t>(known->second)].members;
    for (std::int32_t j = 0; j < members; ++j) {
      bool pastEnd = false;
      int member = data.ReadNumber(&pastEnd);
      if (std::find(into.begin(), into.end(), member) == into.end()) {
        if (static_cast<int>(into.size()) >= kStableMemberCapacity) {
          fullMerges.Add(name);
          break;
        }
        into.push_back(member);
      }
      if (pastEnd) break;
    }
  }
  records.ReportOffsets(db_);
  std::string path(files.dataPath);
  if (newStables.count > 0) {
    AddFinding(db_, kFindingCapacity,
               path + ": " + std::to_string(newStables.count) +
                   " new stables not kept, the table holds " + std::to_string(kStableCapacity) +
                   " (first: " + newStables.first + ")");
  }
  if (trimmed.count > 0) {
    AddFinding(db_, kFindingCapacity,
               path + ": " + std::to_string(trimmed.count) + " stables list more than " +
                   std::to_string(kStableMemberCapacity) +
                   " members; only the first are kept (first: " + trimmed.first + ")");
  }
  if (fullMerges.count > 0) {
    AddFinding(db_, kFindingCapacity,
               path + ": " + std::to_string(fullMerges.count) + " merges would give a stable more than " +
                   std::to_string(kStableMemberCapacity) + " members; the surplus is left out (first: " +
                   fullMerges.first + ")");
  }
}

}  // namespace qvm
