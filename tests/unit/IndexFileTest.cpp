#include "index/IndexFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cerrno>
#include <iostream>

#include "platform/FileIo.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

using test::GameFolder;
using test::RecordingMessageBox;

class IndexFileTest : public ::testing::Test {
 protected:
  void SetUp() override { NewPool(); }
  void TearDown() override {
    SetFileIo(nullptr);
    ReleasePool();
  }
  GameFolder game;
  RecordingMessageBox messages;
  ImageIndex index;
};

TEST_F(IndexFileTest, MissingMediaFolderIsCreatedWithAnEmptyIndex) {
  IndexFileState state = LoadImageIndex(game.path(), index, messages);
  EXPECT_TRUE(state.loaded);
  EXPECT_TRUE(messages.texts.empty());
  EXPECT_TRUE(std::filesystem::is_regular_file(game / "media/index.dat"));
  EXPECT_EQ(index.EntryCount(), 0);
  EXPECT_TRUE(SaveImageIndex(game.path(), index, state, messages));
  EXPECT_EQ(game.Read("media/index.dat"), "");
}

TEST_F(IndexFileTest, FoldersInAnyLetterCaseAreFound) {
  game.Write("MEDIA/Index.DAT", "K\r\na.jpg\r\n");
  IndexFileState state = LoadImageIndex(game.path(), index, messages);
  ASSERT_EQ(index.EntryCount(), 1);
  index.AddImage(1, "B.JPG");
  EXPECT_TRUE(SaveImageIndex(game.path(), index, state, messages));
  EXPECT_EQ(game.Read("MEDIA/Index.DAT"), "K\r\na.jpg|b.jpg\r\n");
  EXPECT_FALSE(std::filesystem::exists(game / "media"));
}

TEST_F(IndexFileTest, SaveKeepsThePreviousFileAsBackup) {
  game.Write("media/index.dat", "K\r\nA.JPG\r\n");
  IndexFileState state = LoadImageIndex(game.path(), index, messages);
  index.AddImage(1, "b.jpg");
  ASSERT_TRUE(SaveImageIndex(game.path(), index, state, messages));
  EXPECT_EQ(game.Read("media/index.dat"), "K\r\na.jpg|b.jpg\r\n");
  EXPECT_EQ(game.Read("media/index.dat.bak"), "K\r\nA.JPG\r\n");
  EXPECT_FALSE(std::filesystem::exists(game / "media/index.dat.new"));
}

TEST_F(IndexFileTest, UnreadableIndexIsReportedAndNeverReplaced) {
  std::filesystem::create_directories(game / "media/index.dat");  // a folder cannot be read
  IndexFileState state = LoadImageIndex(game.path(), index, messages);
  EXPECT_FALSE(state.loaded);
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0], "Transient error - MEDIA\\INDEX.DAT can't be opened.");
  EXPECT_EQ(index.EntryCount(), 0);

  int e = index.AppendEntry("Added This Run");
  index.AddImage(e, "new.jpg");
  EXPECT_FALSE(SaveImageIndex(game.path(), index, state, messages));
  EXPECT_TRUE(std::filesystem::is_directory(game / "media/index.dat"));
  EXPECT_EQ(game.Read("media/index.dat.unsaved"), "Added This Run\r\nnew.jpg\r\n");
  ASSERT_EQ(messages.texts.size(), 2u);
  EXPECT_NE(messages.texts[1].find("media/index.dat.unsaved"), std::string::npos);
}

// Fails one kind of call, once or from then on, as a failing device would.
class FailingIo : public FileIo {
 public:
  enum Point { kOpen, kWrite, kFsync, kClose, kRename };
  FailingIo(Point point, int afterBytes) : point_(point), budget_(afterBytes) {}
  int Open(const char* p, int f, mode_t m) override {
    return point_ == kOpen ? (errno = EACCES, -1) : FileIo::Open(p, f, m);
  }
  ssize_t Write(int fd, const void* d, size_t n) override {
    if (point_ != kWrite) return FileIo::Write(fd, d, n);
    if (budget_ <= 0) return errno = ENOSPC, -1;
    ssize_t done = FileIo::Write(fd, d, std::min<size_t>(n, static_cast<size_t>(budget_)));
    budget_ -= static_cast<int>(done);
    return done;
  }
  int Fsync(int fd) override { return point_ == kFsync ? (errno = EIO, -1) : FileIo::Fsync(fd); }
  int Close(int fd) override {
    int r = FileIo::Close(fd);
    return point_ == kClose ? (errno = EIO, -1) : r;
  }
  int Rename(const char* a, const char* b) override {
    return point_ == kRename ? (errno = EXDEV, -1) : FileIo::Rename(a, b);
  }

 private:
  Point point_;
  int budget_;
};

TEST_F(IndexFileTest, AFailedWriteLeavesTheStoredFileAndKeepsTheChanges) {
  const std::string stored = "Old Key\r\nold.jpg\r\n";
  int tried = 0, damaged = 0;
  const FailingIo::Point points[] = {FailingIo::kOpen, FailingIo::kWrite, FailingIo::kFsync,
                                     FailingIo::kClose, FailingIo::kRename};
  for (FailingIo::Point point : points) {
    for (int afterBytes : {0, 7}) {
      SCOPED_TRACE(testing::Message() << "point " << point << " after " << afterBytes);
      game.Write("media/index.dat", stored);
      std::filesystem::remove(game / "media/index.dat.unsaved");
      messages.texts.clear();
      IndexFileState state = LoadImageIndex(game.path(), index, messages);
      index.AddImage(index.AppendEntry("New Key"), "new.jpg");

      // Only the write of index.dat fails; the backup and the .unsaved copy go through.
      struct OnlyIndex : FileIo {
        FailingIo failing;
        explicit OnlyIndex(FailingIo f) : failing(f) {}
        bool IsIndex(const char* p) const { return std::string_view(p).ends_with("index.dat.new"); }
        int fdIndex = -1;
        int Open(const char* p, int f, mode_t m) override {
          if (!IsIndex(p)) return FileIo::Open(p, f, m);
          int fd = failing.Open(p, f, m);
          fdIndex = fd;
          return fd;
        }
        ssize_t Write(int fd, const void* d, size_t n) override {
          return fd == fdIndex ? failing.Write(fd, d, n) : FileIo::Write(fd, d, n);
        }
        int Fsync(int fd) override { return fd == fdIndex ? failing.Fsync(fd) : FileIo::Fsync(fd); }
        int Close(int fd) override {
          if (fd != fdIndex) return FileIo::Close(fd);
          fdIndex = -1;
          return failing.Close(fd);
        }
        int Rename(const char* a, const char* b) override {
          return IsIndex(a) ? failing.Rename(a, b) : FileIo::Rename(a, b);
        }
      } io{FailingIo(point, afterBytes)};
      SetFileIo(&io);
      EXPECT_FALSE(SaveImageIndex(game.path(), index, state, messages));
      SetFileIo(nullptr);

      ++tried;
      if (game.Read("media/index.dat") != stored) ++damaged;
      EXPECT_EQ(game.Read("media/index.dat"), stored);
      EXPECT_FALSE(std::filesystem::exists(game / "media/index.dat.new"));
      EXPECT_EQ(game.Read("media/index.dat.unsaved"), stored + "New Key\r\nnew.jpg\r\n");
      ASSERT_EQ(messages.texts.size(), 1u);
      EXPECT_EQ(messages.texts[0].rfind("media/index.dat could not be written: ", 0), 0u)
          << messages.texts[0];
    }
  }
  std::cout << "[ figure ] failed saves: " << tried
            << " (open, write, fsync, close, rename x at once / after 7 bytes), files damaged: "
            << damaged << "\n";
}

TEST_F(IndexFileTest, AFileSizeLimitIsAFailedWriteNotASilentTruncation) {
  game.Write("media/index.dat", "K\r\na.jpg\r\n");
  IndexFileState state = LoadImageIndex(game.path(), index, messages);
  int e = index.AppendEntry("Big");
  for (int i = 0; i < 100; ++i) index.AddImage(e, std::string(90, 'x') + std::to_string(i));
  signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  bool saved = SaveImageIndex(game.path(), index, state, messages);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(saved);
  EXPECT_EQ(game.Read("media/index.dat"), "K\r\na.jpg\r\n");
  ASSERT_FALSE(messages.texts.empty());
  EXPECT_EQ(messages.texts.back().rfind("media/index.dat could not be written", 0), 0u);
}

}  // namespace
}  // namespace qvm
