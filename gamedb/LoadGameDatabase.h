#pragma once

#include <filesystem>
#include <functional>

#include "gamedb/GameDatabase.h"
#include "platform/GamePaths.h"
#include "platform/Os.h"

namespace qvm {

// Work on the image index as read, done on the thread that reads it before loading hands the
// index over (start-up works out the first StrayList so).
using IndexReadWork = std::function<void(const ImageIndex& index)>;

// Reads the game's database from `paths.game` in the fixed order (circuits, wrestlers and their
// circuit aliases, tag teams, stables, managers, titles, each followed by its sorted view) and
// media/index.dat. Game files never report errors; an index that cannot be read leaves
// `db.indexState.loaded` false for the caller to tell. The index is read on a second thread
// while the game files load, and where opens are slow the game files a few ahead of their
// parsing on two more (on this thread alone when no thread can be started);
// `onIndexRead` runs there too. `onFoldersListed` runs once every folder of the game the
// loading reads from is listed (card.lgs is read first), before the files are read: from then
// on the loading searches no folder (on Windows one search of a large folder, media's for one,
// holds up every other).
void LoadGameDatabase(Os& os, const GamePaths& paths, GameDatabase& db,
                      const IndexReadWork& onIndexRead = {},
                      const std::function<void()>& onFoldersListed = {});

}  // namespace qvm
