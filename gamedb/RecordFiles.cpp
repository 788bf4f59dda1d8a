// What the readers share: findings, the walk over a .dat/.idx pair, and the circuit list.
#include <string>

#include "gamedb/GameReaders.h"

namespace qvm {

void AddFinding(GameDatabase& db, std::string_view kind, std::string detail) {
  db.findings.push_back(LoadFinding{std::string(kind), std::move(detail)});
}

RecordReader::RecordReader(const RecordFiles& files)
    : dataPath_(files.dataPath),
      haveOffsets_(files.offsets.has_value()),
      data_(files.data.value_or(std::string_view())),
      offsets_(files.offsets.value_or(std::string_view())) {
  if (files.data) count_ = data_.ReadNumber();
  offsetsExhausted_ = !haveOffsets_;
}

bool RecordReader::NextRecord() {
  if (!offsetsExhausted_) {
    bool pastEnd = false;
    std::int32_t offset = offsets_.ReadNumber(&pastEnd);
    offsetsExhausted_ = pastEnd;
    if (!pastEnd) {
      if (offset >= 0 && static_cast<std::size_t>(offset) < data_.Size()) {
        data_.Seek(offset);
        return true;
      }
      ++outside_;
      data_.Seek(-1);
      return false;
    }
  }
  ++withoutOffset_;
  data_.Seek(-1);
  return false;
}

void RecordReader::ReportOffsets(GameDatabase& db) const {
  std::string path(dataPath_);
  // Without an offset file the missing-file finding already says why the records are empty.
  if (withoutOffset_ > 0 && haveOffsets_) {
    AddFinding(db, kFindingOffsets,
               path + ": its offset file holds fewer offsets than the records counted; the "
                      "records without one read as empty");
  }
  if (outside_ > 0) {
    AddFinding(db, kFindingOffsets,
               path + ": " + std::to_string(outside_) +
                   " records have offsets outside the file and read as empty");
  }
}

std::int32_t CountWithinCapacity(GameDatabase& db, std::string_view path, std::int32_t count,
                                 int capacity, std::string_view what) {
  if (count < 0) {
    AddFinding(db, kFindingCount,
               std::string(path) + ": a record count of " + std::to_string(count) +
                   " reads as 0");
    return 0;
  }
  if (count > capacity) {
    AddFinding(db, kFindingCapacity,
               std::string(path) + " counts " + std::to_string(count) + " " + std::string(what) +
                   "; only the first " + std::to_string(capacity) + " are kept");
    return capacity;
  }
  return count;
}

std::vector<std::string_view> ReadCircuitList(std::string_view cardLgs, GameDatabase& db) {
  std::vector<std::string_view> circuits;
  GameTextReader reader(cardLgs);
  long long surplus = 0;
  while (!reader.AtEnd()) {
    reader.ReadLine();
    std::string_view folder = reader.ReadLine();
    reader.ReadLine();
    if (static_cast<int>(circuits.size()) < kCircuitCapacity) {
      circuits.push_back(folder);
    } else {
      ++surplus;  // every group consumes at least one byte, so this ends with the file
    }
  }
  if (surplus > 0) {
    AddFinding(db, kFindingCapacity,
               "card.lgs lists " + std::to_string(kCircuitCapacity + surplus) +
                   " circuits; only the first " + std::to_string(kCircuitCapacity) +
                   " are read");
  }
  return circuits;
}

}  // namespace qvm
