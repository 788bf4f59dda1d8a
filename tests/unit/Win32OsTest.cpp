// Where Windows behaves differently from POSIX systems, and what the Os makes of it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/GamePath.h"
#include "platform/Os.h"
#include "platform/PathText.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {
namespace fs = std::filesystem;

class Win32OsTest : public ::testing::Test {
 protected:
  Os& os = SystemOs();
  test::TempFolder dir;
};

// A device name opens the device in any folder ("nul.jpg" swallows what is written), a ":"
// names a stream of another file, a trailing dot or space is dropped ("a.jpg." is "a.jpg").
TEST_F(Win32OsTest, NamesWindowsWouldReadAsSomethingElseAreRefused) {
  struct Case {
    std::string name;
    bool allowed;
  };
  for (const Case& c :
       {Case{"nul", false},         Case{"NUL.jpg", false},    Case{"com1.txt", false},
        Case{"Lpt9", false},        Case{"con .txt", false},   Case{"CONIN$", false},
        Case{"aux/x.jpg", false},   Case{"a.jpg.", false},     Case{"a.jpg ", false},
        Case{"index.dat:x", false}, Case{"a?b", false},        Case{"a*b", false},
        Case{"a<b", false},         Case{"a|b", false},        Case{"a\"b", false},
        Case{"nul_x.jpg", true},    Case{"console.jpg", true}, Case{"com10", true},
        Case{".hidden", true},      Case{"a.b.c", true}}) {
    fs::path p = dir / c.name;
    std::string error;
    OsFile f(os, os.CreateNew(p, &error));
    EXPECT_EQ(f.IsOpen(), c.allowed) << c.name;
    if (!c.allowed) {
      EXPECT_EQ(error, "the name is not allowed on Windows") << c.name;
      EXPECT_FALSE(OsFile(os, os.OpenForReading(p, nullptr)).IsOpen()) << c.name;
      EXPECT_EQ(os.Info(p, true).type, EntryType::Missing) << c.name;
    }
  }
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(os.ListFolder(dir.path(), entries, nullptr));
  EXPECT_EQ(entries.size(), 5u);  // the allowed ones only
}

// Another program that opened the index without FILE_SHARE_DELETE (an editor, a virus
// scanner) keeps it from being replaced or removed; a save then fails and leaves both files.
// Sharing is decided per handle, so a second handle of this process stands for the program.
TEST_F(Win32OsTest, AFileOpenElsewhereIsNeitherReplacedNorRemoved) {
  fs::path index = dir / "index.dat";
  fs::path next = dir / "index.dat.new";
  test::WriteBytes(index, "old");
  test::WriteBytes(next, "new");
  HANDLE other = ::CreateFileW(index.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  std::string error;
  EXPECT_FALSE(os.Replace(next, index, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(os.Remove(index, &error));
  ::CloseHandle(other);
  EXPECT_EQ(test::ReadBytes(index), "old");
  EXPECT_EQ(test::ReadBytes(next), "new");

  // Unlike POSIX systems, any handle on the target keeps it, ours too: a save closes every
  // reader of the index first.
  OsFile reader(os, os.OpenForReading(index, &error));
  ASSERT_TRUE(reader.IsOpen());
  EXPECT_FALSE(os.Replace(next, index, &error));
  reader.Close(nullptr);
  EXPECT_TRUE(os.Replace(next, index, &error)) << error;
  EXPECT_EQ(test::ReadBytes(index), "new");
}

TEST_F(Win32OsTest, PathsBeyondMaxPathWork) {
  fs::path deep = dir.path();
  std::string error;
  for (char c : {'a', 'b', 'c'}) {
    deep /= std::string(100, c);
    ASSERT_TRUE(os.CreateFolder(deep, &error)) << error;
  }
  ASSERT_GT(deep.native().size(), 300u);
  OsFile f(os, os.CreateNew(deep / "x.tmp", &error));
  ASSERT_TRUE(f.IsOpen()) << error;
  EXPECT_TRUE(os.Write(f.Handle(), "deep", 4, &error));
  EXPECT_TRUE(f.Close(&error));
  EXPECT_TRUE(os.Replace(deep / "x.tmp", deep / "x", &error)) << error;
  EXPECT_EQ(os.Info(deep / "x", false).size, 4u);
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(os.ListFolder(deep, entries, &error)) << error;
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, fs::path("x"));
  OsFile r(os, os.OpenForReading(deep / "x", &error));
  char text[8] = {};
  EXPECT_EQ(os.Read(r.Handle(), text, sizeof text, &error), 4);
  EXPECT_EQ(std::string(text), "deep");
  r.Close(nullptr);
  EXPECT_TRUE(os.Remove(deep / "x", &error)) << error;
  // std::filesystem cannot remove what lies beyond MAX_PATH.
  for (; deep != dir.path(); deep = deep.parent_path())
    ::RemoveDirectoryW((L"\\\\?\\" + deep.native()).c_str());
}

// Windows finds a name in any letter case, and a file also by its short 8.3 name
// ("LONGPI~1.JPE"). Names are looked up as on Linux: in any case, but spelled as on disk, and
// never by a short name, which Linux has not.
TEST_F(Win32OsTest, NamesAreSpelledAsOnDiskAndNeverTakenForShortNames) {
  const fs::path file = dir / "Long Picture Name.jpeg";
  test::WriteBytes(file, "x");
  EXPECT_EQ(ResolveNameInFolder(os, dir.path(), "LONG PICTURE NAME.JPEG"), file);
  EXPECT_EQ(os.NameOnDisk(dir.path(), PathFromUtf8("long picture name.JPEG")),
            PathFromUtf8("Long Picture Name.jpeg"));
  EXPECT_EQ(os.NameOnDisk(dir.path(), PathFromUtf8("missing.jpg")), std::nullopt);

  std::wstring shortPath(MAX_PATH, L'\0');
  shortPath.resize(::GetShortPathNameW(file.c_str(), shortPath.data(), MAX_PATH));
  const fs::path shortName = fs::path(shortPath).filename();
  if (shortPath.empty() || shortName == file.filename() ||
      os.Info(dir.path() / shortName, true).type != EntryType::Regular)
    GTEST_SKIP() << "this file system keeps no short names";
  EXPECT_EQ(os.NameOnDisk(dir.path(), shortName), file.filename());
  EXPECT_EQ(ResolveNameInFolder(os, dir.path(), *Cp1252FromPath(shortName)), std::nullopt)
      << Utf8FromPath(shortName);
}

// A file made read-only (as files copied from a CD are) is replaced and removed as on POSIX
// systems, where a file's own permissions do not guard its name: a save must not fail on it.
TEST_F(Win32OsTest, ReadOnlyFilesAreReplacedAndRemovedAsOnPosix) {
  fs::path index = dir / "index.dat";
  test::WriteBytes(index, "old");
  test::WriteBytes(dir / "index.dat.new", "new");
  test::WriteBytes(dir / "gone", "x");
  for (const fs::path& p : {index, dir / "gone"})
    ASSERT_TRUE(::SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_READONLY));
  std::string error;
  EXPECT_TRUE(os.Replace(dir / "index.dat.new", index, &error)) << error;
  EXPECT_EQ(test::ReadBytes(index), "new");
  EXPECT_TRUE(os.Remove(dir / "gone", &error)) << error;
  EXPECT_EQ(os.Info(dir / "gone", false).type, EntryType::Missing);
}

// A lock file someone made read-only still locks (read access is enough); only the holder's
// name cannot be written then.
TEST_F(Win32OsTest, AReadOnlyLockFileStillLocks) {
  fs::path lockFile = dir / "index.dat.lock";
  test::WriteBytes(lockFile, "");
  ASSERT_TRUE(::SetFileAttributesW(lockFile.c_str(), FILE_ATTRIBUTE_READONLY));
  LockAttempt first = os.TryLock(dir.path(), lockFile);
  EXPECT_EQ(first.state, LockState::Locked) << first.error;
  EXPECT_EQ(os.TryLock(dir.path(), lockFile).state, LockState::HeldByOther);
  first.lock.reset();
  ::SetFileAttributesW(lockFile.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace qvm
