#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "index/IndexFile.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

using test::RecordingMessageBox;
using test::TempFolder;

TEST(Startup, TitleComesFromTheVersionMarker) {
  EXPECT_EQ(BuildNumber(), "1.514");
  EXPECT_EQ(ProgramTitle(), "QVM 7 Visualizer Image Wizard, Build 1.514");
}

TEST(Startup, FolderCheckWantsAnOpenableRegularFile) {
  struct Case {
    const char* name;
    void (*make)(const std::filesystem::path&);
    bool ok;
  };
  const Case cases[] = {
      {"no marker", [](const std::filesystem::path&) {}, false},
      {"empty marker", [](const std::filesystem::path& p) { test::WriteBytes(p / "qvm.vrs", ""); },
       true},
      {"folder named like the marker",
       [](const std::filesystem::path& p) { std::filesystem::create_directory(p / "qvm.vrs"); },
       false},
      {"dangling link",
       [](const std::filesystem::path& p) { test::MakeSymlink(p / "gone", p / "qvm.vrs"); }, false},
      {"FIFO named like the marker",
       [](const std::filesystem::path& p) { test::MakeFifo(p / "qvm.vrs"); }, false},
      {"link to a file",
       [](const std::filesystem::path& p) {
         test::WriteBytes(p / "real", "x");
         test::MakeSymlink(p / "real", p / "qvm.vrs");
       },
       true},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    c.make(folder.path());
    if (c.ok && SystemOs().Info(folder / "qvm.vrs", false).type == EntryType::Missing)
      continue;  // a link this system cannot make
    EXPECT_EQ(IsGameFolder(SystemOs(), folder.path()), c.ok) << c.name;
  }
}

TEST(Startup, AFailedFolderCheckShowsOneMessageAndTouchesNothing) {
  TempFolder folder;
  test::WriteBytes(folder / "MEDIA/index.dat", "K\r\nA.JPG\r\n");
  std::filesystem::create_directory(folder / "qvm.vrs");
  RecordingMessageBox messages;
  bool windowRan = false;
  RunWizard(SystemOs(), folder.path(), messages,
            [&](const GamePaths&, GameDatabase&) { windowRan = true; });
  EXPECT_FALSE(windowRan);
  EXPECT_EQ(messages.texts, std::vector<std::string>{
                                "This program needs to be run from the main QVM 7 SE folder."});
  EXPECT_EQ(test::Listing(folder.path()), (std::vector<std::string>{"MEDIA", "qvm.vrs"}));
  EXPECT_EQ(test::ReadBytes(folder / "MEDIA/index.dat"), "K\r\nA.JPG\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "MEDIA"), {}), 1);
}

TEST(Startup, TheIndexIsWrittenAfterTheWindowCloses) {
  test::GameFolder game;
  game.Write("media/index.dat", "K\r\nA.JPG|a.jpg");
  RecordingMessageBox messages;
  std::string seenWhileOpen;
  RunWizard(SystemOs(), game.path(), messages, [&](const GamePaths&, GameDatabase& db) {
    seenWhileOpen = game.Read("media/index.dat");
    EXPECT_EQ(db.imageIndex.EntryCount(), 1);
  });
  EXPECT_EQ(seenWhileOpen, "K\r\nA.JPG|a.jpg");
  EXPECT_EQ(game.Read("media/index.dat"), "K\r\na.jpg\r\n");
  EXPECT_TRUE(messages.texts.empty());
}

// The window made while the game loads: never when the run ends before loading, before what
// the loading has to tell (an unreadable index), and gone before the index is saved.
TEST(Startup, AWindowMadeBesideTheLoadingIsGoneBeforeTheSave) {
  enum class Game { Readable, IndexUnreadable, NoGameFolder };
  struct Case {
    Game game;
    std::vector<std::string> steps;
    std::size_t told;  // messages in all
  };
  const Case cases[] = {
      {Game::Readable, {"made, 0 told", "run with 1 entry", "gone, index K\r\nA.JPG|a.jpg"}, 0},
      {Game::IndexUnreadable, {"made, 0 told", "run with 0 entry", "gone, index (none)"}, 1},
      {Game::NoGameFolder, {}, 1},
  };
  for (const Case& c : cases) {
    test::GameFolder game;
    if (c.game == Game::IndexUnreadable) {
      std::filesystem::create_directories(game / "media/index.dat");
    } else {
      game.Write("media/index.dat", "K\r\nA.JPG|a.jpg");
    }
    if (c.game == Game::NoGameFolder) std::filesystem::remove(game / "qvm.vrs");
    RecordingMessageBox messages;
    std::vector<std::string> steps;
    struct Window {
      std::vector<std::string>& steps;
      test::GameFolder& game;
      ~Window() {
        const bool file = std::filesystem::is_regular_file(game / "media/index.dat");
        steps.push_back("gone, index " + (file ? game.Read("media/index.dat") : "(none)"));
      }
    };
    RunWizard(SystemOs(), game.path(), messages, [&]() -> MainWindowRun {
      steps.push_back("made, " + std::to_string(messages.texts.size()) + " told");
      auto window = std::make_shared<Window>(steps, game);
      return [&steps, window](const GamePaths&, GameDatabase& db) {
        steps.push_back("run with " + std::to_string(db.imageIndex.EntryCount()) + " entry");
      };
    });
    EXPECT_EQ(steps, c.steps) << static_cast<int>(c.game);
    EXPECT_EQ(messages.texts.size(), c.told) << static_cast<int>(c.game);
    if (c.game == Game::Readable) {
      EXPECT_EQ(game.Read("media/index.dat"), "K\r\na.jpg\r\n");
    }
  }
}

TEST(Startup, AnUnreadableIndexIsToldOnceLoadingIsDoneAndNeverReplaced) {
  test::GameFolder game;
  std::filesystem::create_directories(game / "media/index.dat");
  RecordingMessageBox messages;
  bool windowRan = false;
  RunWizard(SystemOs(), game.path(), messages, [&](const GamePaths&, GameDatabase& db) {
    windowRan = true;
    EXPECT_EQ(messages.texts, std::vector<std::string>{std::string(kIndexUnreadableMessage)});
    EXPECT_EQ(db.imageIndex.EntryCount(), 0);
  });
  EXPECT_TRUE(windowRan);
  EXPECT_EQ(messages.texts.size(), 1u);  // nothing of the run to keep, so nothing more to say
  EXPECT_TRUE(std::filesystem::is_directory(game / "media/index.dat"));
}

}  // namespace
}  // namespace qvm
