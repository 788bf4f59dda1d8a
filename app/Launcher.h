// Starting from a desktop menu: the last game folder is remembered in a small settings file
// in the user's settings folder (XDG config folder, %APPDATA% on Windows), used for nothing
// else.
#pragma once

#include <filesystem>
#include <optional>

#include "platform/Os.h"

namespace qvm {

// $XDG_CONFIG_HOME/qvm-image-wizard/last-game-folder (XDG_CONFIG_HOME defaults to ~/.config);
// %APPDATA%\qvm-image-wizard\last-game-folder on Windows.
std::filesystem::path LastFolderSettingsPath();

// The remembered folder when one is recorded and it still is a game folder.
std::optional<std::filesystem::path> RememberedGameFolder(Os& os,
                                                          const std::filesystem::path& settings);

// Records `folder` (absolute). False when the settings file cannot be written.
bool RememberGameFolder(Os& os, const std::filesystem::path& settings,
                        const std::filesystem::path& folder);

}  // namespace qvm
