// What every Os implementation promises: no file made through a link, no wait on a FIFO, a
// short write as an error, one holder of the lock at a time.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/Os.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {
namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

class OsTest : public ::testing::Test {
 protected:
  // Puts something of `kind` at `name`: "file", "folder", "fifo", "link" (to a file outside),
  // "dangling" (a link to nothing), or "" for nothing.
  fs::path Make(const std::string& kind, const std::string& name) {
    fs::path p = dir / name;
    if (kind == "file") WriteBytes(p, "old");
    if (kind == "folder") fs::create_directory(p);
    if (kind == "fifo") ::mkfifo(p.c_str(), 0644);
    if (kind == "link") {
      WriteBytes(outside / name, "outside");
      fs::create_symlink(outside / name, p);
    }
    if (kind == "dangling") fs::create_symlink(outside / ("gone-" + name), p);
    return p;
  }

  Os& os = SystemOs();
  TempFolder dir;
  TempFolder outside;
};

TEST_F(OsTest, CreateNewMakesOnlyNewFilesAndNeverWritesThroughALink) {
  for (std::string kind : {"", "file", "folder", "fifo", "link", "dangling"}) {
    fs::path p = Make(kind, "x-" + kind);
    std::string error;
    OsFile f(os, os.CreateNew(p, &error));
    EXPECT_EQ(f.IsOpen(), kind.empty()) << kind;
    if (f.IsOpen()) {
      EXPECT_TRUE(os.Write(f.Handle(), "new", 3, &error));
      EXPECT_TRUE(f.Close(&error));
      EXPECT_EQ(ReadBytes(p), "new");
    } else {
      EXPECT_FALSE(error.empty()) << kind;
    }
  }
  EXPECT_FALSE(fs::exists(outside / "gone-x-dangling"));
  EXPECT_EQ(ReadBytes(outside / "x-link"), "outside");
}

TEST_F(OsTest, ReadingTakesRegularFilesOnlyAndNeverWaits) {
  struct Case {
    std::string kind;
    bool read;    // OpenForReading follows links
    bool append;  // OpenForAppending does not
  };
  for (const Case& c :
       {Case{"file", true, true}, Case{"link", true, false}, Case{"fifo", false, false},
        Case{"folder", false, false}, Case{"dangling", false, false}, Case{"", false, false}}) {
    fs::path p = Make(c.kind, "r-" + c.kind);
    std::string error;
    OsFile r(os, os.OpenForReading(p, &error));
    EXPECT_EQ(r.IsOpen(), c.read) << c.kind;
    OsFile a(os, os.OpenForAppending(p, &error));
    EXPECT_EQ(a.IsOpen(), c.append) << c.kind;
  }
}

TEST_F(OsTest, RenamesReplaceOnlyWhenAskedAndNeverFollowTheTarget) {
  fs::path from = Make("file", "from");
  fs::path link = Make("link", "to");
  std::string error;
  EXPECT_FALSE(os.RenameNew(from, link, &error));
  EXPECT_TRUE(os.Replace(from, link, &error));
  EXPECT_EQ(os.Info(link, false).type, EntryType::Regular);
  EXPECT_EQ(ReadBytes(outside / "to"), "outside");
  EXPECT_TRUE(os.RenameNew(link, dir / "free", &error));
  EXPECT_EQ(ReadBytes(dir / "free"), "old");
}

TEST_F(OsTest, ListsEntriesWithTheirOwnTypes) {
  Make("file", "f");
  Make("folder", "d");
  Make("fifo", "p");
  Make("dangling", "l");
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(os.ListFolder(dir.path(), entries, nullptr));
  std::map<std::string, EntryType> types;
  for (const FolderEntry& e : entries) types[e.name.string()] = e.type;
  EXPECT_EQ(types, (std::map<std::string, EntryType>{{"d", EntryType::Folder},
                                                     {"f", EntryType::Regular},
                                                     {"l", EntryType::Link},
                                                     {"p", EntryType::Other}}));
}

TEST_F(OsTest, AWriteBeyondTheFileSizeLimitIsAnError) {
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error;
  OsFile f(os, os.CreateNew(dir / "big", &error));
  bool wrote = os.Write(f.Handle(), std::string(8192, 'x').data(), 8192, &error);
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(wrote);
  EXPECT_FALSE(error.empty());
}

TEST_F(OsTest, TheLockHasOneHolderAndFailsClosed) {
  fs::path lockFile = dir / "index.dat.lock";
  LockAttempt first = os.TryLock(dir.path(), lockFile);
  ASSERT_EQ(first.state, LockState::Locked);
  EXPECT_EQ(os.TryLock(dir.path(), lockFile).state, LockState::HeldByOther);
  // Deleting the lock file does not free the game while its holder runs.
  fs::remove(lockFile);
  EXPECT_EQ(os.TryLock(dir.path(), lockFile).state, LockState::HeldByOther);
  first.lock.reset();
  EXPECT_EQ(os.TryLock(dir.path(), lockFile).state, LockState::Locked);

  // A lock file that is a link is refused; one that is a folder still locks.
  fs::remove(lockFile);
  Make("dangling", "index.dat.lock");
  EXPECT_EQ(os.TryLock(dir.path(), lockFile).state, LockState::Failed);
  EXPECT_FALSE(fs::exists(outside / "gone-index.dat.lock"));
  fs::remove(lockFile);
  fs::create_directory(lockFile);
  LockAttempt folderLock = os.TryLock(dir.path(), lockFile);
  EXPECT_EQ(folderLock.state, LockState::Locked);
  EXPECT_EQ(os.TryLock(dir.path(), lockFile).state, LockState::HeldByOther);
}

}  // namespace
}  // namespace qvm
