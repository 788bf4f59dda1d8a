// Managers from their pair of files; titles from each circuit's "card.ttl".
#include <string>

#include "gamedb/GameReaders.h"

namespace qvm {

void ReadManagers(const RecordFiles& files, GameDatabase& db) {
  RecordReader records(files);
  int room = kManagerCapacity - static_cast<int>(db.managers.size());
  std::int32_t count = CountWithinCapacity(db, files.dataPath, records.Count(), room, "managers");
  db.managers.reserve(db.managers.size() + static_cast<std::size_t>(count));
  for (std::int32_t k = 0; k < count; ++k) {
    records.NextRecord();
    db.managers.push_back(Manager{PoolString(records.Data().ReadLine())});
  }
  records.ReportOffsets(db);
}

void ReadTitles(std::string_view cardTtl, std::string_view path, GameDatabase& db) {
  GameTextReader reader(cardTtl);
  std::int32_t count = reader.ReadNumber();
  if (count < 0) {
    AddFinding(db, kFindingCount,
               std::string(path) + ": a title count of " + std::to_string(count) + " reads as 0");
    return;
  }
  bool shortReported = false;
  for (std::int32_t k = 0; k < count; ++k) {
    if (static_cast<int>(db.titles.size()) >= kTitleCapacity) {
      AddFinding(db, kFindingCapacity,
                 std::string(path) + ": titles " + std::to_string(k + 1) + " to " +
                     std::to_string(count) + " not kept, the table holds " +
                     std::to_string(kTitleCapacity));
      return;
    }
    // A file that ends early still gives its remaining titles, with empty names.
    if (!shortReported && reader.AtEnd()) {
      shortReported = true;
      AddFinding(db, kFindingShortFile,
                 std::string(path) + " ends after " + std::to_string(k) + " of its " +
                     std::to_string(count) + " titles; the rest get empty names");
    }
    reader.ReadLine();
    db.titles.push_back(Title{PoolString(reader.ReadLine())});
    reader.ReadNumber();
  }
}

}  // namespace qvm
