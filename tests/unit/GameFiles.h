// Builders of the game's file formats for tests: .dat/.idx pairs, card.lgs, circxdb.dat,
// card.ttl, all CR LF.
#pragma once

#include <string>
#include <vector>

namespace qvm::test {

inline std::string Lines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

struct PairBytes {
  std::string dat;
  std::string idx;
};

// A data file with the count line and the records; the offset file lists record k's offset
// k-th. `order` (1-based record numbers) sets the order in which the records lie in the data
// file; by default they lie in record order.
inline PairBytes MakePair(const std::vector<std::string>& records, std::vector<int> order = {},
                          std::string countLine = "") {
  if (order.empty()) {
    for (size_t k = 1; k <= records.size(); ++k) order.push_back(static_cast<int>(k));
  }
  PairBytes pair;
  pair.dat = countLine.empty() ? std::to_string(records.size()) + "\r\n" : countLine;
  std::vector<size_t> offsets(records.size());
  for (int k : order) {
    offsets[static_cast<size_t>(k) - 1] = pair.dat.size();
    pair.dat += records[static_cast<size_t>(k) - 1];
  }
  for (size_t offset : offsets) pair.idx += std::to_string(offset) + "\r\n";
  return pair;
}

// One 18-line circxdb.dat record.
inline std::string CircuitRecord(const std::string& name) {
  std::string record = name + "\r\n";
  for (int i = 0; i < 17; ++i) record += std::to_string(50 + i) + "\r\n";
  return record;
}

inline std::string CircuitFile(const std::vector<std::string>& names, std::string countLine = "") {
  std::string out = countLine.empty() ? std::to_string(names.size()) + "\r\n" : countLine;
  for (const std::string& name : names) out += CircuitRecord(name);
  return out;
}

inline std::string TitleFile(const std::vector<std::string>& titles) {
  std::string out = std::to_string(titles.size()) + "\r\n";
  for (const std::string& title : titles) out += "holder\r\n" + title + "\r\n7\r\n";
  return out;
}

}  // namespace qvm::test
