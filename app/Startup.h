// The program's life: title, folder check, pool, loading, the window, saving, release.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "gamedb/GameDatabase.h"
#include "platform/Controls.h"
#include "platform/GamePaths.h"
#include "platform/Os.h"

namespace qvm {

inline constexpr std::string_view kVersionMarker = "#PVERSION#1.514#";
inline constexpr std::string_view kNotGameFolderMessage =
    "This program needs to be run from the main QVM 7 SE folder.";
inline constexpr std::string_view kAlreadyOpenMessage =
    "This game is already open in another QVM 7 Visualizer Image Wizard window.\n"
    "Close that window first.";

// Told at start when a crash journal was replayed; "%d" is the number of changes.
std::string RestoredChangesMessage(int count);

// "QVM 7 Visualizer Image Wizard, Build " + the third "#"-field of the version marker.
const std::string& ProgramTitle();
// The build number alone, as the marker gives it ("1.514").
std::string BuildNumber();

// True when `folder`/qvm.vrs is a regular file that can be opened for reading.
bool IsGameFolder(Os& os, const std::filesystem::path& folder);

// The window's part of one run, given the run's paths and the loaded game; returns when the
// window has closed.
using MainWindowRun = std::function<void(const GamePaths& paths, GameDatabase& db)>;

// Runs the whole life of the wizard on `folder`: the folder check (its message, then nothing
// else), the pool, the lock, loading, `runMainWindow`, saving the index (asking first when
// another program changed it meanwhile), releasing the pool. Returns the process exit status.
int RunWizard(Os& os, const std::filesystem::path& folder, MessageBox& messages,
              const MainWindowRun& runMainWindow);

}  // namespace qvm
