// What every Os implementation promises: no file made through a link, no wait on a FIFO, a
// short write as an error, one holder of the lock at a time.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/Os.h"
#include "tests/unit/SpecialFiles.h"
#include "tests/unit/TestFolder.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace qvm {
namespace {
namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

class OsTest : public ::testing::Test {
 protected:
  // Puts something of `kind` at `name`: "file", "folder", "fifo", "link" (to a file outside),
  // "dangling" (a link to nothing), or "" for nothing. False when the system cannot have it.
  bool Make(const std::string& kind, const std::string& name) {
    fs::path p = dir / name;
    if (kind == "file") WriteBytes(p, "old");
    if (kind == "folder") fs::create_directory(p);
    if (kind == "fifo") return test::MakeFifo(p);
    if (kind == "link") {
      WriteBytes(outside / name, "outside");
      return test::MakeSymlink(outside / name, p);
    }
    if (kind == "dangling") return test::MakeSymlink(outside / ("gone-" + name), p);
    return true;
  }

  Os& os = SystemOs();
  TempFolder dir;
  TempFolder outside;
};

struct Kind {
  std::string name;
  EntryType own;       // Info without following links, and ListFolder
  EntryType followed;  // Info following links
  bool read;           // OpenForReading follows links
  bool append;         // OpenForAppending does not
};

class OsKindTest : public OsTest, public ::testing::WithParamInterface<Kind> {};

TEST_P(OsKindTest, CreatesOnlyNewFilesAndOpensOnlyRegularOnes) {
  const Kind& k = GetParam();
  if (!Make(k.name, "x")) GTEST_SKIP() << test::CannotMake(k.name);
  fs::path p = dir / "x";
  std::string error;
  OsFile f(os, os.CreateNew(p, &error));
  EXPECT_EQ(f.IsOpen(), k.name.empty());
  if (f.IsOpen()) {
    EXPECT_TRUE(os.Write(f.Handle(), "new", 3, &error));
    EXPECT_TRUE(f.Close(&error));
    EXPECT_EQ(ReadBytes(p), "new");
  } else {
    EXPECT_FALSE(error.empty());
  }
  EXPECT_FALSE(fs::exists(outside / "gone-x"));
  if (k.name == "link") {
    EXPECT_EQ(ReadBytes(outside / "x"), "outside");
  }
  if (k.name.empty()) return;  // now a file: the file case checks the rest

  OsFile r(os, os.OpenForReading(p, &error));
  EXPECT_EQ(r.IsOpen(), k.read);
  OsFile a(os, os.OpenForAppending(p, &error));
  EXPECT_EQ(a.IsOpen(), k.append);
  if (a.IsOpen()) {
    EXPECT_TRUE(os.Write(a.Handle(), "+", 1, &error));
    EXPECT_TRUE(a.Close(&error));
    EXPECT_EQ(ReadBytes(p), "old+");
  }
}

TEST_P(OsKindTest, ShowsEachEntryAsItIs) {
  const Kind& k = GetParam();
  if (!Make(k.name, "x")) GTEST_SKIP() << test::CannotMake(k.name);
#ifdef _WIN32
  if (test::UnderWine() && (k.name == "fifo" || k.own == EntryType::Link))
    GTEST_SKIP() << "Wine shows a Linux FIFO as a file, a symbolic link as its target, and a "
                    "link to nothing not at all";
#endif
  fs::path p = dir / "x";
  EXPECT_EQ(os.Info(p, false).type, k.own);
  EXPECT_EQ(os.Info(p, true).type, k.followed);
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(os.ListFolder(dir.path(), entries, nullptr));
  std::map<fs::path, EntryType> listed;
  for (const FolderEntry& e : entries) listed[e.name] = e.type;
  if (k.own == EntryType::Missing) {
    EXPECT_TRUE(listed.empty());
  } else {
    EXPECT_EQ(listed, (std::map<fs::path, EntryType>{{"x", k.own}}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, OsKindTest,
    ::testing::Values(Kind{"", EntryType::Missing, EntryType::Missing, false, false},
                      Kind{"file", EntryType::Regular, EntryType::Regular, true, true},
                      Kind{"folder", EntryType::Folder, EntryType::Folder, false, false},
                      Kind{"fifo", EntryType::Other, EntryType::Other, false, false},
                      Kind{"link", EntryType::Link, EntryType::Regular, true, false},
                      Kind{"dangling", EntryType::Link, EntryType::Missing, false, false}),
    [](const ::testing::TestParamInfo<Kind>& kind) {
      return kind.param.name.empty() ? std::string("nothing") : kind.param.name;
    });

TEST_F(OsTest, RenamesReplaceOnlyWhenAskedAndNeverFollowTheTarget) {
  ASSERT_TRUE(Make("file", "from"));
  if (!Make("link", "to")) GTEST_SKIP() << test::CannotMake("link");
  fs::path from = dir / "from";
  fs::path link = dir / "to";
  std::string error;
  EXPECT_FALSE(os.RenameNew(from, link, &error));
  EXPECT_TRUE(os.Replace(from, link, &error));
  EXPECT_EQ(os.Info(link, false).type, EntryType::Regular);
  EXPECT_EQ(ReadBytes(outside / "to"), "outside");
  EXPECT_TRUE(os.RenameNew(link, dir / "free", &error));
  EXPECT_EQ(ReadBytes(dir / "free"), "old");
}

TEST_F(OsTest, RemovesFilesAndLinksButNoFolder) {
  ASSERT_TRUE(Make("file", "f"));
  ASSERT_TRUE(Make("folder", "d"));
  bool linked = Make("link", "l");
  std::string error;
  EXPECT_TRUE(os.Remove(dir / "f", &error));
  EXPECT_FALSE(os.Remove(dir / "d", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(fs::is_directory(dir / "d"));
  // Wine would delete a Linux link's target with it: there the link stays, refused.
  bool linkStays = false;
#ifdef _WIN32
  linkStays = linked && test::UnderWine();
#endif
  if (linked) {
    EXPECT_EQ(os.Remove(dir / "l", &error), !linkStays);
    EXPECT_EQ(ReadBytes(outside / "l"), "outside");
  }
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(os.ListFolder(dir.path(), entries, nullptr));
  EXPECT_EQ(entries.size(), linkStays ? 2u : 1u);
}

#ifndef _WIN32  // Windows knows no file-size limit of a process
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
#endif

TEST_F(OsTest, TheLockHasOneHolderAndFailsClosed) {
  fs::path lockFile = dir / "index.dat.lock";
  LockAttempt first = os.TryLock(dir.path(), lockFile);
  ASSERT_EQ(first.state, LockState::Locked);
  LockAttempt second = os.TryLock(dir.path(), lockFile);
  EXPECT_EQ(second.state, LockState::HeldByOther);
  EXPECT_EQ(second.holder, "qvm-unit-tests (process " + std::to_string(os.ProcessId()) + ")");
  // Deleting the lock file does not free the game while its holder runs (Windows does not
  // even let it go).
  std::error_code ec;
  fs::remove(lockFile, ec);
#ifdef _WIN32
  EXPECT_TRUE(ec);
#endif
  EXPECT_EQ(os.TryLock(dir.path(), lockFile).state, LockState::HeldByOther);
  first.lock.reset();
  EXPECT_EQ(os.TryLock(dir.path(), lockFile).state, LockState::Locked);

  // A lock file that is a link is refused.
  fs::path linked = dir / "linked";
  fs::create_directory(linked);
  if (test::MakeSymlink(outside / "gone", linked / "index.dat.lock")) {
    LockAttempt attempt = os.TryLock(linked, linked / "index.dat.lock");
    EXPECT_EQ(attempt.state, LockState::Failed);
    EXPECT_FALSE(attempt.error.empty());
    EXPECT_FALSE(fs::exists(outside / "gone"));
  }
  // One that is a folder: the POSIX lock is on the media folder and still holds; on Windows
  // only a file can be locked, and nothing may write then.
  fs::path folder = dir / "folder";
  fs::create_directories(folder / "index.dat.lock");
  LockAttempt folderLock = os.TryLock(folder, folder / "index.dat.lock");
#ifdef _WIN32
  EXPECT_EQ(folderLock.state, LockState::Failed);
  EXPECT_NE(folderLock.error.find("it is a folder"), std::string::npos) << folderLock.error;
#else
  EXPECT_EQ(folderLock.state, LockState::Locked);
  EXPECT_EQ(os.TryLock(folder, folder / "index.dat.lock").state, LockState::HeldByOther);
#endif
}

}  // namespace
}  // namespace qvm
