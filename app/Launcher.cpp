#include "app/Launcher.h"

#include <cstdlib>
#include <system_error>

#include "app/Startup.h"
#include "platform/FileIo.h"

namespace qvm {
namespace fs = std::filesystem;

fs::path LastFolderSettingsPath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  fs::path base;
  if (xdg && *xdg && fs::path(xdg).is_absolute()) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = fs::path(home && *home ? home : "/tmp") / ".config";
  }
  return base / "qvm-image-wizard" / "last-game-folder";
}

std::optional<fs::path> RememberedGameFolder(const fs::path& settings) {
  auto text = ReadWholeFile(settings);
  if (!text) return std::nullopt;
  while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) text->pop_back();
  if (text->empty()) return std::nullopt;
  fs::path folder = *text;
  if (!folder.is_absolute() || !IsGameFolder(folder)) return std::nullopt;
  return folder;
}

bool RememberGameFolder(const fs::path& settings, const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(settings.parent_path(), ec);
  return WriteFileAtomically(settings, fs::absolute(folder).string() + "\n", nullptr);
}

}  // namespace qvm
