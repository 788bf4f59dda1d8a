// Every table of one run: the game's entities (read-only from the game files), the image index
// and the sorted views. Records count from 1 in the game's files; here record k is element
// k - 1 of its vector.
#pragma once

#include <array>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "gamedb/RecordKind.h"
#include "index/ImageIndex.h"
#include "index/IndexFile.h"
#include "platform/NodePool.h"

namespace qvm {

inline constexpr int kWrestlerCapacity = 3000;
inline constexpr int kAliasCapacity = 20;
inline constexpr int kTeamCapacity = 1000;
inline constexpr int kStableCapacity = 1000;
inline constexpr int kStableMemberCapacity = 50;
inline constexpr int kManagerCapacity = 3000;
inline constexpr int kTitleCapacity = 3000;
inline constexpr int kCircuitCapacity = 50;

struct Alias {
  Text text;
};

struct Wrestler {
  Text name;
  std::vector<Alias> aliases;  // 1 to 20 once loaded; alias 1 starts as a copy of the name
};

struct Team {
  Text member1;
  Text member2;
  Text name;  // member1 + " and " + member2 when the file gave none
};

struct Stable {
  Text name;
  std::vector<int> members;  // wrestler numbers (1-based), 1 to 50
};

struct Manager {
  Text name;
};

struct Title {
  Text name;
};

// One kind's records in display order: name i with the number (1-based) of its record.
struct SortedView {
  std::vector<Text> names;
  std::vector<int> records;
};

// What loading had to leave out or could not find, for the CLI's health check.
struct LoadFinding {
  std::string kind;    // short word, e.g. "capacity", "missing-file"
  std::string detail;  // CP1252
};

struct GameDatabase {
  std::vector<Wrestler> wrestlers;
  std::vector<Team> teams;
  std::vector<Stable> stables;
  std::vector<Manager> managers;
  std::vector<Title> titles;
  ImageIndex imageIndex;
  IndexFileState indexState;
  std::array<SortedView, kKindCount> sortedViews;
  std::vector<LoadFinding> findings;
  // The StrayList's first contents when start-up works them out ahead, on a thread of its own
  // from the index as read; the first ScanStrayImages waits for them and takes them.
  std::shared_future<std::vector<std::string>> strayNamesAtStart;
};

}  // namespace qvm
