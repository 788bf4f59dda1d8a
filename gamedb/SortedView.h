// Display order of each kind of entity, prepared while the game database loads.
#pragma once

#include <string_view>

#include "gamedb/GameDatabase.h"

namespace qvm {

// Byte order after mapping ASCII a-z to upper case; other bytes by value; a prefix first.
int CompareDisplayOrder(std::string_view a, std::string_view b);

// Builds the kind's sorted view from its table; for wrestlers also sorts each wrestler's
// aliases (the name field is left as it is).
void PrepareSortedView(GameDatabase& db, RecordKind kind);

}  // namespace qvm
