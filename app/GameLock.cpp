#include "app/GameLock.h"

#include <thread>

namespace qvm {

LockHolder HolderOf(const LockAttempt& attempt) {
  LockHolder holder;
  holder.text = attempt.holder;
  // "PROGRAM (process N)"
  constexpr std::string_view kProcess = " (process ";
  std::string_view text = holder.text;
  const std::size_t at = text.rfind(kProcess);
  if (at == std::string_view::npos || !text.ends_with(')')) return holder;
  const std::string_view program = text.substr(0, at);
  holder.process =
      std::string(text.substr(at + kProcess.size(), text.size() - 1 - at - kProcess.size()));
  if (program == kWindowProgram) holder.kind = LockHolderKind::Window;
  if (program == kCliProgram) holder.kind = LockHolderKind::Cli;
  return holder;
}

LockAttempt TakeGameLock(Os& os, const GamePaths& paths, std::chrono::milliseconds patience) {
  const auto giveUp = std::chrono::steady_clock::now() + patience;
  for (;;) {
    LockAttempt attempt = os.TryLock(paths.media, paths.lock);
    if (attempt.state != LockState::HeldByOther ||
        HolderOf(attempt).kind == LockHolderKind::Window ||
        std::chrono::steady_clock::now() >= giveUp) {
      return attempt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

}  // namespace qvm
