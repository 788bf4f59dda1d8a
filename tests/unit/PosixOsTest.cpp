// What only the POSIX side of the Os does.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/Os.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {
namespace fs = std::filesystem;

// Our Windows programs under Wine lock one byte of the lock file, which Linux sees as a
// record lock on it; a Linux program and such a one keep each other out of the same game.
TEST(PosixOsTest, AWindowsHolderUnderWineAndALinuxOneKeepEachOtherOut) {
  Os& os = SystemOs();
  test::TempFolder dir;
  fs::path lockFile = dir / "index.dat.lock";
  test::WriteBytes(lockFile, "qvm-image-wizard-cli (process 32)");
  struct flock byte {};
  byte.l_type = F_WRLCK;  // what Wine's LockFileEx takes
  byte.l_whence = SEEK_SET;
  byte.l_start = static_cast<off_t>(kLockFileByte);
  byte.l_len = 1;

  int wine = ::open(lockFile.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_EQ(::fcntl(wine, F_OFD_SETLK, &byte), 0);
  LockAttempt attempt = os.TryLock(dir.path(), lockFile);
  EXPECT_EQ(attempt.state, LockState::HeldByOther);
  EXPECT_EQ(attempt.holder, "qvm-image-wizard-cli (process 32) under Wine");
  ::close(wine);

  LockAttempt ours = os.TryLock(dir.path(), lockFile);
  ASSERT_EQ(ours.state, LockState::Locked);
  wine = ::open(lockFile.c_str(), O_RDWR | O_CLOEXEC);
  EXPECT_NE(::fcntl(wine, F_OFD_SETLK, &byte), 0);
  ours.lock.reset();
  EXPECT_EQ(::fcntl(wine, F_OFD_SETLK, &byte), 0);
  ::close(wine);
}

}  // namespace
}  // namespace qvm
