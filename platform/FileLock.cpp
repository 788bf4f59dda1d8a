#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace qvm {

FileLock::~FileLock() { Unlock(); }

LockResult FileLock::TryLock(const std::filesystem::path& lockFile) {
  Unlock();
  int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return LockResult::Unavailable;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return held ? LockResult::HeldByOther : LockResult::Unavailable;
  }
  fd_ = fd;
  return LockResult::Locked;
}

void FileLock::Unlock() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }
}

std::filesystem::path IndexLockPath(const std::filesystem::path& mediaFolder) {
  return mediaFolder / "index.dat.lock";
}

}  // namespace qvm
