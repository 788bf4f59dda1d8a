#pragma once

#include <filesystem>

#include "gamedb/GameDatabase.h"
#include "platform/Controls.h"

namespace qvm {

// Reads the game's database from `gameFolder` in the fixed order (circuits, wrestlers and their
// circuit aliases, tag teams, stables, managers, titles, each followed by its sorted view) and
// then media/index.dat. Game files never report errors; only the index does, through `messages`.
void LoadGameDatabase(const std::filesystem::path& gameFolder, GameDatabase& db,
                      MessageBox& messages);

}  // namespace qvm
