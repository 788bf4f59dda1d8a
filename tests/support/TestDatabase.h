// Building a small game database in a test, in the pool: records as the readers make them,
// then the sorted views the tree is built from.
#pragma once

#include <string_view>
#include <vector>

#include "gamedb/GameDatabase.h"
#include "gamedb/SortedView.h"

namespace qvm::test {

// A wrestler with its circuit aliases (the first is usually the name itself).
inline void AddWrestler(GameDatabase& db, std::string_view name,
                        const std::vector<std::string_view>& aliases) {
  Wrestler wrestler;
  wrestler.name = PoolString(name);
  for (std::string_view alias : aliases) wrestler.aliases.push_back(Alias{PoolString(alias)});
  db.wrestlers.push_back(wrestler);
}

inline void PrepareSortedViews(GameDatabase& db) {
  for (RecordKind kind : kRecordKinds) PrepareSortedView(db, kind);
}

}  // namespace qvm::test
