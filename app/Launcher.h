// Starting from a desktop menu: the last game folder is remembered in a small settings file
// in the user's settings folder (XDG config folder, %APPDATA% on Windows), used for nothing
// else.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Controls.h"
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

// How the window starts, from its arguments: [GAME_FOLDER | --choose-folder], --help, --version.
struct WindowStart {
  // Set when the program ends at once, with this status, after printing `output` (on stderr
  // when the status is not 0).
  std::optional<int> exitStatus;
  std::string output;
  // The game folder, which is the working folder now.
  std::filesystem::path folder;
};

// The answer to --help, --version or wrong usage; none when the window is to open. Needs no
// display, so a program can give it before its toolkit starts.
std::optional<WindowStart> AnswerWithoutWindow(const std::vector<std::string>& args);

// The folder given, or with --choose-folder the one remembered or else the one `askForFolder`
// gives (none: the user changed their mind, and the program ends), becomes the working folder
// as if the wizard had been started there; a folder that cannot be entered is told through
// `messages` (status 1). A game folder chosen so is remembered for the next start.
WindowStart StartWindow(Os& os, const std::vector<std::string>& args, MessageBox& messages,
                        const std::function<std::optional<std::filesystem::path>()>& askForFolder);

}  // namespace qvm
