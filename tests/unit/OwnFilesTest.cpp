// The wizard's own files in media: nothing is written through a link planted where they go,
// nothing waits on a FIFO, and what a cut-short run left is cleared at the next start.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/Startup.h"
#include "index/IndexFile.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tests/unit/SpecialFiles.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;
using test::GameFolder;
using test::RecordingMessageBox;

// What is planted in media under `name`: a link to a file outside, a link to nothing outside,
// a FIFO or a folder.
enum class Plant { Link, Dangling, Fifo, Folder };

struct Case {
  const char* name;
  Plant plant;
  bool saved;        // index.dat holds the run's table afterwards
  EntryType after;   // what has the name afterwards
  std::size_t told;  // messages shown
};

TEST(OwnFiles, TheWindowNeverWritesThroughWhatIsPlantedWhereItsFilesGo) {
  const Case cases[] = {
      // Leftovers of older versions and of cut-short runs: cleared, never written through.
      {"index.dat.new", Plant::Link, true, EntryType::Missing, 0},
      {"index.dat.bak.new", Plant::Dangling, true, EntryType::Missing, 0},
      {"index.dat.unsaved.new", Plant::Fifo, true, EntryType::Missing, 0},
      {".qvm-index.dat-1-0.tmp", Plant::Link, true, EntryType::Missing, 0},
      {".qvm-copy-1-0.tmp", Plant::Fifo, true, EntryType::Missing, 0},
      {".qvm-copy-1-1.tmp", Plant::Folder, true, EntryType::Folder, 0},
      // The backup: the link itself is replaced.
      {"index.dat.bak", Plant::Link, true, EntryType::Regular, 0},
      // The journal: a link is set aside, never appended to; anything else is told, not opened.
      {"index.dat.journal", Plant::Link, true, EntryType::Missing, 1},
      {"index.dat.journal", Plant::Fifo, true, EntryType::Other, 1},
      {"index.dat.journal", Plant::Folder, true, EntryType::Folder, 1},
      // The index itself: unreadable (told), never replaced, nothing made where it points.
      {"index.dat", Plant::Dangling, false, EntryType::Link, 2},
      {"index.dat", Plant::Fifo, false, EntryType::Other, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " plant " + std::to_string(static_cast<int>(c.plant)));
    GameFolder game;
    test::TempFolder outside;
    game.Write("media/index.dat", "K\r\na.jpg\r\n");
    const fs::path planted = game / "media" / c.name;
    fs::remove(planted);
    // Windows has no FIFOs, and Wine shows a Linux link as its target (Win32OsTest covers links).
    switch (c.plant) {
      case Plant::Link:
        test::WriteBytes(outside / "target", "outside");
        if (test::kWindows || !test::MakeSymlink(outside / "target", planted)) continue;
        break;
      case Plant::Dangling:
        if (test::kWindows || !test::MakeSymlink(outside / "gone", planted)) continue;
        break;
      case Plant::Fifo:
        if (test::kWindows || !test::MakeFifo(planted)) continue;
        break;
      case Plant::Folder:
        fs::create_directory(planted);
        break;
    }
    RecordingMessageBox messages;
    RunWizard(SystemOs(), game.path(), messages, [&](const GamePaths&, GameDatabase& db) {
      int e = db.imageIndex.FindEntry("K");
      if (e == 0) e = db.imageIndex.AppendEntry("K");
      db.imageIndex.AddImage(e, "b.jpg");
    });
    EXPECT_EQ(messages.texts.size(), c.told);
    EXPECT_EQ(SystemOs().Info(planted, false).type, c.after);
    if (c.plant == Plant::Link) {
      EXPECT_EQ(test::ReadBytes(outside / "target"), "outside");
    }
    EXPECT_FALSE(fs::exists(outside / "gone"));
    if (c.saved) {
      EXPECT_EQ(game.Read("media/index.dat"), "K\r\na.jpg|b.jpg\r\n");
    } else {
      EXPECT_EQ(game.Read("media/index.dat.unsaved"), "K\r\nb.jpg\r\n");
    }
  }
}

TEST(OwnFiles, AReadOnlyLookCreatesNothing) {
  GameFolder game;
  NewPool();
  ImageIndex index;
  const IndexFileState state = LoadImageIndex(SystemOs(), game.Paths(), index);
  EXPECT_TRUE(state.loaded);  // no index yet reads as an empty one
  EXPECT_EQ(index.EntryCount(), 0);
  EXPECT_FALSE(fs::exists(game / "media"));
  ReleasePool();
}

}  // namespace
}  // namespace qvm
