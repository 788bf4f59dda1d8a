#include "platform/GamePaths.h"

#include "platform/GamePath.h"

namespace qvm {
namespace fs = std::filesystem;

GamePaths ResolveGamePaths(Os& os, const fs::path& game) {
  GamePaths paths;
  paths.game = game;
  // Both names are 8.3 names themselves, so neither can be a short name of another entry.
  paths.media = ResolveGamePath(os, game, "media").value_or(game / "media");
  paths.index =
      ResolveNameInFolder(os, paths.media, "index.dat").value_or(paths.media / "index.dat");
  auto beside = [&](const char* suffix) {
    fs::path p = paths.index;
    p += suffix;
    return p;
  };
  paths.backup = beside(".bak");
  paths.journal = beside(".journal");
  paths.unsaved = beside(".unsaved");
  paths.lock = paths.media / "index.dat.lock";
  return paths;
}

}  // namespace qvm
