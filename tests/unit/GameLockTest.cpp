// The game's lock fails closed: without it nothing writes; with it nobody else writes, even when
// its file is deleted; a CLI command waits a little for another and says who holds the game.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/GameLock.h"
#include "app/Startup.h"
#include "tests/unit/FaultyOs.h"
#include "tests/unit/Processes.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tests/unit/SpecialFiles.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;
using test::GameFolder;
using test::RecordingMessageBox;

TEST(GameLock, HoldersAreNamedByTheirProgram) {
  struct Case {
    const char* holder;
    LockHolderKind kind;
    const char* process;
  };
  const Case cases[] = {
      {"qvm-image-wizard (process 12)", LockHolderKind::Window, "12"},
      {"qvm-image-wizard-cli (process 7)", LockHolderKind::Cli, "7"},
      {"flock (process 9)", LockHolderKind::Unknown, "9"},
      {"qvm-image-wizard-cli (process 7) under Wine", LockHolderKind::Unknown, ""},
      {"", LockHolderKind::Unknown, ""},
  };
  for (const Case& c : cases) {
    LockAttempt attempt{LockState::HeldByOther, nullptr, c.holder, {}};
    EXPECT_EQ(HolderOf(attempt).kind, c.kind) << c.holder;
    EXPECT_EQ(HolderOf(attempt).process, c.process) << c.holder;
  }
}

TEST(GameLock, TheWindowEndsWithoutWritingWhenTheLockCannotBeHad) {
  for (bool linked : {true, false}) {
    GameFolder game;
    game.Write("media/index.dat", "K\r\na.jpg\r\n");
    test::FaultyOs os;
    if (linked) {
      if (!test::MakeSymlink(game / "elsewhere", game / "media/index.dat.lock"))
        GTEST_SKIP() << test::CannotMake("link");
    } else {
      os.Fail(test::FaultyOs::Call::TryLock, {}, "no locks on this file system");
    }
    RecordingMessageBox messages;
    bool windowRan = false;
    RunWizard(os, game.path(), messages,
              [&](const GamePaths&, GameDatabase&) { windowRan = true; });
    EXPECT_FALSE(windowRan);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0].rfind("The wizard cannot lock the picture assignments", 0), 0u)
        << messages.texts[0];
    EXPECT_FALSE(fs::exists(game / "elsewhere"));
    // Wine lists no link that leads nowhere.
    EXPECT_EQ(std::distance(fs::directory_iterator(game / "media"), {}),
              linked && !test::UnderWine() ? 2 : 1);
  }
}

#ifndef _WIN32  // other processes through fork; under Wine the end-to-end scripts run the CLI beside a lock
TEST(GameLock, OnlyTheWindowIsToldAsTheWindowAndACliCommandIsWaitedFor) {
  GameFolder game;
  game.Write("media/index.dat", "K\r\nA.JPG\r\n");
  const GamePaths paths = game.Paths();
  struct Case {
    const char* program;
    bool window;
  };
  for (const Case c : {Case{"qvm-image-wizard", true}, Case{"qvm-image-wizard-cli", false}}) {
    test::LockHolder holder(paths.media, c.program);
    const auto start = std::chrono::steady_clock::now();
    LockAttempt attempt = TakeGameLock(SystemOs(), paths, std::chrono::milliseconds(400));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(attempt.state, LockState::HeldByOther);
    EXPECT_EQ(HolderOf(attempt).process, std::to_string(holder.pid()));
    EXPECT_EQ(waited >= std::chrono::milliseconds(400), !c.window) << c.program;
    const std::string told = LockHeldMessage(attempt);
    EXPECT_EQ(told == kAlreadyOpenMessage, c.window) << told;
  }
  // A command that finishes while another waits lets it go on.
  auto holder = std::make_unique<test::LockHolder>(paths.media, "qvm-image-wizard-cli");
  std::thread finish([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    holder->Release();
  });
  EXPECT_EQ(TakeGameLock(SystemOs(), paths, std::chrono::seconds(5)).state, LockState::Locked);
  finish.join();
}

TEST(GameLock, ASecondWindowOnTheSameGameEndsWithoutTouchingAnything) {
  GameFolder game;
  game.Write("media/index.dat", "K\r\nA.JPG\r\n");
  test::LockHolder first(game / "media", "qvm-image-wizard");
  RecordingMessageBox messages;
  bool windowRan = false;
  RunWizard(SystemOs(), game.path(), messages,
            [&](const GamePaths&, GameDatabase&) { windowRan = true; });
  EXPECT_FALSE(windowRan);
  EXPECT_EQ(messages.texts, std::vector<std::string>{std::string(kAlreadyOpenMessage)});
  EXPECT_EQ(game.Read("media/index.dat"), "K\r\nA.JPG\r\n");
}

TEST(GameLock, TheWindowsLockHoldsWhenItsFileIsDeleted) {
  GameFolder game;
  game.Write("media/index.dat", "K\r\na.jpg\r\n");
  test::WriteBytes(game / "new.jpg", "x");
  RecordingMessageBox messages;
  test::CliRun attach;
  test::NamedAsWindow window;
  RunWizard(SystemOs(), game.path(), messages, [&](const GamePaths& paths, GameDatabase& db) {
    fs::remove(paths.lock);
    attach = test::RunCli({"-C", game.path().string(), "attach", "K", (game / "new.jpg").string()});
    db.imageIndex.AddImage(1, "mine.jpg");
  });
  EXPECT_EQ(attach.status, 2);
  EXPECT_NE(attach.err.find("the wizard has this game open"), std::string::npos) << attach.err;
  // Nothing changed under the window, so it saves without asking.
  EXPECT_TRUE(messages.texts.empty());
  EXPECT_EQ(game.Read("media/index.dat"), "K\r\na.jpg|mine.jpg\r\n");
}

#endif

}  // namespace
}  // namespace qvm
