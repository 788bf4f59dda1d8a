// The game's lock for a run that writes the index: taken, waited for a little while another
// command holds it, and who holds it when it cannot be had. Without it nothing writes.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "platform/GamePaths.h"
#include "platform/Os.h"

namespace qvm {

// The program files of the window and of the CLI, as a lock's holder names them.
inline constexpr std::string_view kWindowProgram = "qvm-image-wizard";
inline constexpr std::string_view kCliProgram = "qvm-image-wizard-cli";

// How long a run waits for another CLI command to finish its change.
inline constexpr std::chrono::milliseconds kLockPatience{5000};

enum class LockHolderKind {
  Window,   // the wizard's window has the game open
  Cli,      // a CLI command is changing the index
  Unknown,  // another program, or one the system does not name (`text` then empty)
};
struct LockHolder {
  LockHolderKind kind = LockHolderKind::Unknown;
  std::string text;     // as the system gave it, e.g. "qvm-image-wizard-cli (process 4711)"
  std::string process;  // the process number in it, when there is one
};
LockHolder HolderOf(const LockAttempt& attempt);

// Takes the lock on media (which must exist). While it is held by anyone but the window, tries
// again every tenth of a second for up to `patience`; gives up at once when the window has it,
// or when the lock cannot be taken at all.
LockAttempt TakeGameLock(Os& os, const GamePaths& paths,
                         std::chrono::milliseconds patience = kLockPatience);

}  // namespace qvm
