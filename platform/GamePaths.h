// The paths of one run, resolved once when it starts and handed down: the game folder and the
// files the wizard keeps beside the picture index. The media folder and the index are spelled
// as they are on disk (a game copied from Windows may have "MEDIA\Index.DAT"); what does not
// exist yet keeps the spelling it will be created with.
#pragma once

#include <filesystem>

#include "platform/Os.h"

namespace qvm {

struct GamePaths {
  std::filesystem::path game;     // the game's main folder, the one holding qvm.vrs
  std::filesystem::path media;    // game/media
  std::filesystem::path index;    // media/index.dat
  std::filesystem::path backup;   // index.dat.bak: the file before the last save
  std::filesystem::path journal;  // index.dat.journal: the changes of a run not saved yet
  std::filesystem::path lock;     // media/index.dat.lock
  std::filesystem::path unsaved;  // index.dat.unsaved: a run's table that could not be saved
};

GamePaths ResolveGamePaths(Os& os, const std::filesystem::path& game);

}  // namespace qvm
