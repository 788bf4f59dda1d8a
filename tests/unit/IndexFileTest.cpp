#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <iostream>

#include "index/IndexFile.h"
#include "platform/PathText.h"
#include "tests/unit/FaultyOs.h"
#include "tests/unit/TestFolder.h"
#include "tests/unit/PoolTest.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;
using test::FaultyOs;
using test::GameFolder;

class IndexFileTest : public test::PoolTest {
 protected:
  GamePaths Paths() { return ResolveGamePaths(os, game.path()); }
  GameFolder game;
  FaultyOs os;
  ImageIndex index;
};

TEST_F(IndexFileTest, MissingMediaFolderIsCreatedWithAnEmptyIndex) {
  CreateIndexWhenMissing(os, Paths());
  IndexFileState state = LoadImageIndex(os, Paths(), index);
  EXPECT_TRUE(state.loaded);
  EXPECT_TRUE(fs::is_regular_file(game / "media/index.dat"));
  EXPECT_EQ(index.EntryCount(), 0);
  EXPECT_EQ(SaveImageIndex(os, Paths(), index, state).result, SaveResult::Saved);
  EXPECT_EQ(game.Read("media/index.dat"), "");
}

TEST_F(IndexFileTest, FoldersInAnyLetterCaseAreFound) {
  game.Write("MEDIA/Index.DAT", "K\r\na.jpg\r\n");
  const GamePaths paths = Paths();
  IndexFileState state = LoadImageIndex(os, paths, index);
  ASSERT_EQ(index.EntryCount(), 1);
  index.AddImage(1, "B.JPG");
  EXPECT_EQ(SaveImageIndex(os, paths, index, state).result, SaveResult::Saved);
  EXPECT_EQ(game.Read("MEDIA/Index.DAT"), "K\r\na.jpg|b.jpg\r\n");
  EXPECT_EQ(game.Read("MEDIA/Index.DAT.bak"), "K\r\na.jpg\r\n");
  EXPECT_EQ(test::Listing(game.path()), (std::vector<std::string>{"MEDIA", "qvm.vrs"}));
}

TEST_F(IndexFileTest, SaveKeepsThePreviousFileAsBackupAndLeavesNoTemporaryFile) {
  game.Write("media/index.dat", "K\r\nA.JPG\r\n");
  IndexFileState state = LoadImageIndex(os, Paths(), index);
  index.AddImage(1, "b.jpg");
  ASSERT_EQ(SaveImageIndex(os, Paths(), index, state).result, SaveResult::Saved);
  EXPECT_EQ(game.Read("media/index.dat"), "K\r\na.jpg|b.jpg\r\n");
  EXPECT_EQ(game.Read("media/index.dat.bak"), "K\r\nA.JPG\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(game / "media"), {}), 2);
}

TEST_F(IndexFileTest, UnreadableIndexIsReportedAndNeverReplaced) {
  fs::create_directories(game / "media/index.dat");  // a folder cannot be read
  IndexFileState state = LoadImageIndex(os, Paths(), index);
  EXPECT_FALSE(state.loaded);
  EXPECT_EQ(index.EntryCount(), 0);
  // Nothing of this run to keep: nothing is written, nothing to tell.
  EXPECT_EQ(SaveImageIndex(os, Paths(), index, state).result, SaveResult::NothingToSave);
  EXPECT_FALSE(fs::exists(game / "media/index.dat.unsaved"));

  int e = index.AppendEntry("Added This Run");
  index.AddImage(e, "new.jpg");
  IndexSaveOutcome outcome = SaveImageIndex(os, Paths(), index, state);
  EXPECT_EQ(outcome.result, SaveResult::KeptUnsaved);
  EXPECT_EQ(outcome.unsaved, game / "media/index.dat.unsaved");
  EXPECT_TRUE(fs::is_directory(game / "media/index.dat"));
  EXPECT_EQ(game.Read("media/index.dat.unsaved"), "Added This Run\r\nnew.jpg\r\n");
  EXPECT_EQ(SaveOutcomeMessage(outcome),
            "media/index.dat could not be read at start, so it was left as it was.\n"
            "The changes of this run are kept in media/index.dat.unsaved.");
}

TEST_F(IndexFileTest, AnotherProgramsChangeIsReportedBeforeAnythingIsWritten) {
  game.Write("media/index.dat", "K\r\na.jpg\r\n");
  IndexFileState state = LoadImageIndex(os, Paths(), index);
  index.AddImage(1, "mine.jpg");
  game.Write("media/index.dat", "K\r\ntheirs.jpg\r\n");
  EXPECT_EQ(SaveImageIndex(os, Paths(), index, state).result, SaveResult::ChangedByOther);
  EXPECT_EQ(game.Read("media/index.dat"), "K\r\ntheirs.jpg\r\n");
  EXPECT_FALSE(fs::exists(game / "media/index.dat.unsaved"));
  EXPECT_FALSE(fs::exists(game / "media/index.dat.bak"));

  IndexSaveOutcome kept = SaveImageIndex(os, Paths(), index, state, WhenChanged::KeepTheirs);
  EXPECT_EQ(kept.result, SaveResult::KeptUnsaved);
  EXPECT_EQ(game.Read("media/index.dat"), "K\r\ntheirs.jpg\r\n");
  EXPECT_EQ(game.Read("media/index.dat.unsaved"), "K\r\na.jpg|mine.jpg\r\n");
  EXPECT_EQ(SaveOutcomeMessage(kept),
            "media/index.dat was left as the other program wrote it.\n"
            "The changes of this run are kept in media/index.dat.unsaved.");

  EXPECT_EQ(SaveImageIndex(os, Paths(), index, state, WhenChanged::Replace).result,
            SaveResult::Saved);
  EXPECT_EQ(game.Read("media/index.dat"), "K\r\na.jpg|mine.jpg\r\n");
  EXPECT_EQ(game.Read("media/index.dat.bak"), "K\r\ntheirs.jpg\r\n");
}

// The temporary file of index.dat itself, not those of the backup or the .unsaved copy.
bool IndexTemporary(const fs::path& p) {
  return Utf8FromPath(p.filename()).starts_with(".qvm-index.dat-");
}

TEST_F(IndexFileTest, AFailedWriteLeavesTheStoredFileAndKeepsTheChanges) {
  const std::string stored = "Old Key\r\nold.jpg\r\n";
  struct Case {
    FaultyOs::Call call;
    std::size_t bytesFirst;
    const char* told;
  };
  const Case cases[] = {
      {FaultyOs::Call::CreateNew, 0, "cannot create the temporary file: "},
      {FaultyOs::Call::Write, 0, "write failed: "},
      {FaultyOs::Call::Write, 7, "write failed: "},
      {FaultyOs::Call::Flush, 0, "flush to disk failed: "},
      {FaultyOs::Call::Close, 0, "close failed: "},
      {FaultyOs::Call::Replace, 0, "rename failed: "},
  };
  int damaged = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.told + std::to_string(c.bytesFirst));
    game.Write("media/index.dat", stored);
    fs::remove(game / "media/index.dat.unsaved");
    IndexFileState state = LoadImageIndex(os, Paths(), index);
    index.AddImage(index.AppendEntry("New Key"), "new.jpg");

    os.Fail(c.call, IndexTemporary, "No space left on device", c.bytesFirst);
    IndexSaveOutcome outcome = SaveImageIndex(os, Paths(), index, state);
    os.Heal();

    if (game.Read("media/index.dat") != stored) ++damaged;
    EXPECT_EQ(outcome.result, SaveResult::KeptUnsaved);
    EXPECT_EQ(game.Read("media/index.dat"), stored);
    EXPECT_EQ(game.Read("media/index.dat.unsaved"), stored + "New Key\r\nnew.jpg\r\n");
    EXPECT_EQ(SaveOutcomeMessage(outcome),
              "media/index.dat could not be written: " + std::string(c.told) +
                  "No space left on device\n"
                  "The changes of this run are kept in media/index.dat.unsaved.");
    for (const auto& entry : fs::directory_iterator(game / "media"))
      EXPECT_FALSE(IndexTemporary(entry.path())) << "left behind: " << entry.path();
  }
  std::cout << "[ figure ] failed saves: " << std::size(cases)
            << " (create, write at once / after 7 bytes, flush, close, rename), files damaged: "
            << damaged << "\n";
}

TEST_F(IndexFileTest, WhenTheCopyFailsTooTheMessageSaysSo) {
  game.Write("media/index.dat", "K\r\na.jpg\r\n");
  IndexFileState state = LoadImageIndex(os, Paths(), index);
  index.AddImage(1, "b.jpg");
  os.Fail(FaultyOs::Call::Write, {}, "No space left on device");
  IndexSaveOutcome outcome = SaveImageIndex(os, Paths(), index, state);
  EXPECT_EQ(outcome.result, SaveResult::Failed);
  EXPECT_EQ(game.Read("media/index.dat"), "K\r\na.jpg\r\n");
  EXPECT_EQ(SaveOutcomeMessage(outcome),
            "media/index.dat could not be written: write failed: No space left on device\n"
            "They could not be kept in media/index.dat.unsaved either: write failed: No space "
            "left on device.");
}

TEST_F(IndexFileTest, AFileSizeLimitIsAFailedWriteNotASilentTruncation) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file-size limit";
#else
  game.Write("media/index.dat", "K\r\na.jpg\r\n");
  IndexFileState state = LoadImageIndex(os, Paths(), index);
  int e = index.AppendEntry("Big");
  for (int i = 0; i < 100; ++i) index.AddImage(e, std::string(90, 'x') + std::to_string(i));
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  IndexSaveOutcome outcome = SaveImageIndex(os, Paths(), index, state);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_NE(outcome.result, SaveResult::Saved);
  EXPECT_EQ(game.Read("media/index.dat"), "K\r\na.jpg\r\n");
  EXPECT_EQ(SaveOutcomeMessage(outcome).rfind("media/index.dat could not be written", 0), 0u);
#endif
}

TEST_F(IndexFileTest, LeftoversOfACutShortSaveAreRemovedAndNothingElse) {
  game.Write("media/index.dat", "K\r\n\r\n");
  game.Write("media/.qvm-index.dat-77-0.tmp", "half");
  game.Write("media/.qvm-copy-77-1.tmp", "half a picture");
  game.Write("media/index.dat.new", "from an older version");
  game.Write("media/.qvm-notes.txt", "someone else's");
  game.Write("media/pic.jpg", "picture");
  fs::create_directory(game / "media/.qvm-folder.tmp");
  const GamePaths paths = Paths();
  std::vector<FolderEntry> listing;
  ASSERT_TRUE(os.ListFolder(paths.media, listing, nullptr));
  RemoveSaveLeftovers(os, paths, listing);
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(game / "media"))
    left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{".qvm-folder.tmp", ".qvm-notes.txt", "index.dat",
                                            "pic.jpg"}));
}

}  // namespace
}  // namespace qvm
