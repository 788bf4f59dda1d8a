// An advisory lock on a game's index: while the window runs it holds the lock, and the CLI
// refuses to write the index (the window's save at close would undo the CLI's change). The
// kernel releases it on every exit, a crash included.
#pragma once

#include <filesystem>

namespace qvm {

enum class LockResult { Locked, HeldByOther, Unavailable };

class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Takes the lock on `lockFile` (created when missing) without waiting.
  LockResult TryLock(const std::filesystem::path& lockFile);
  void Unlock();
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// The lock file beside a game's index: <media folder>/index.dat.lock.
std::filesystem::path IndexLockPath(const std::filesystem::path& mediaFolder);

}  // namespace qvm
