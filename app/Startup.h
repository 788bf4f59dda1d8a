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
// Told when a journal that belongs to another index was renamed to `aside` (a bare file name in
// media), or could not be renamed (`error`); it is never applied.
std::string JournalSetAsideMessage(const std::filesystem::path& aside);
std::string JournalNotSetAsideMessage(std::string_view error);
// Told when the window cannot take the game's lock (`error` says why); it ends then.
std::string LockFailedMessage(std::string_view error);
// Told when something else has the game locked; the window's own second start is told
// kAlreadyOpenMessage.
std::string LockHeldMessage(const LockAttempt& attempt);

// "QVM 7 Visualizer Image Wizard, Build " + the third "#"-field of the version marker.
const std::string& ProgramTitle();
// The build number alone, as the marker gives it ("1.514").
std::string BuildNumber();

// True when `folder`/qvm.vrs is a regular file that can be opened for reading.
bool IsGameFolder(Os& os, const std::filesystem::path& folder);

// The window's part of one run, given the run's paths and the loaded game; returns when the
// window has closed.
using MainWindowRun = std::function<void(const GamePaths& paths, GameDatabase& db)>;
// The window's part in two steps: the maker builds what needs no game (the window, hidden, and
// its controls) on the calling thread while the game loads on another; the run it returns gets
// the loaded game. The run is let go of, and the window with it, before the index is saved.
using MainWindowMaker = std::function<MainWindowRun()>;

// Runs the whole life of the wizard on `folder`: the folder check (its message, then nothing
// else), the pool, the lock (without it, its message and nothing else), loading, the crash
// journal (replayed when it belongs to the index, set aside when it does not), the window
// (made while the game loads), saving the index (asking first when another program changed it
// meanwhile), ending the journal once the run's changes are kept, releasing the pool. Returns
// the exit status.
int RunWizard(Os& os, const std::filesystem::path& folder, MessageBox& messages,
              const MainWindowMaker& makeMainWindow);
// The same with a window made once the game is loaded.
int RunWizard(Os& os, const std::filesystem::path& folder, MessageBox& messages,
              const MainWindowRun& runMainWindow);

}  // namespace qvm
