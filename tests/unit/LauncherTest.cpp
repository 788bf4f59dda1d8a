#include <gtest/gtest.h>

#include "app/Launcher.h"
#include "app/Startup.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

TEST(Launcher, RemembersOnlyFoldersThatAreStillGameFolders) {
  test::TempFolder config;
  test::GameFolder game;
  auto settings = config / "qvm-image-wizard/last-game-folder";
  Os& os = SystemOs();
  EXPECT_FALSE(RememberedGameFolder(os, settings).has_value());  // nothing recorded yet
  ASSERT_TRUE(RememberGameFolder(os, settings, game.path()));
  EXPECT_EQ(RememberedGameFolder(os, settings), game.path());
  std::filesystem::remove(game / "qvm.vrs");  // the game moved away
  EXPECT_FALSE(RememberedGameFolder(os, settings).has_value());
  test::WriteBytes(settings, "relative/folder\n");
  EXPECT_FALSE(RememberedGameFolder(os, settings).has_value());
}

TEST(Launcher, TheWindowsArgumentsEndItAtOnceOrGiveItsGameFolder) {
  test::GameFolder game;
  const std::string missing = (game / "missing").string();
  const struct Case {
    std::vector<std::string> args;
    std::optional<int> exitStatus;
    std::string output;
    bool toldNotGameFolder;
  } cases[] = {
      {{"--help"}, 0, "usage: qvm-image-wizard [GAME_FOLDER | --choose-folder]\n", false},
      {{"a", "b"}, 2, "usage: qvm-image-wizard [GAME_FOLDER | --choose-folder]\n", false},
      {{"--version"}, 0, "qvm-image-wizard " + BuildNumber() + "\n", false},
      {{missing}, 1, "", true},
      {{game.path().string()}, std::nullopt, "", false},
  };
  const std::filesystem::path before = std::filesystem::current_path();
  for (const Case& c : cases) {
    test::RecordingMessageBox messages;
    const WindowStart start = StartWindow(SystemOs(), c.args, messages, [] {
      ADD_FAILURE() << "asked for a folder";
      return std::optional<std::filesystem::path>();
    });
    EXPECT_EQ(start.exitStatus, c.exitStatus) << c.args.front();
    EXPECT_EQ(start.output, c.output) << c.args.front();
    EXPECT_EQ(messages.texts.size(), c.toldNotGameFolder ? 1u : 0u) << c.args.front();
    if (!start.exitStatus) {
      EXPECT_TRUE(std::filesystem::equivalent(start.folder, game.path()));
      EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), game.path()));
    }
    std::filesystem::current_path(before);
  }
}

#ifdef _WIN32
TEST(Launcher, SettingsLiveInTheRoamingApplicationData) {
  _putenv_s("APPDATA", "C:\\Users\\player\\AppData\\Roaming");
  EXPECT_EQ(LastFolderSettingsPath(),
            "C:\\Users\\player\\AppData\\Roaming\\qvm-image-wizard\\last-game-folder");
  _putenv_s("APPDATA", "");  // not set: the system's own answer
  EXPECT_TRUE(LastFolderSettingsPath().is_absolute());
  EXPECT_EQ(LastFolderSettingsPath().parent_path().filename(), "qvm-image-wizard");
}
#else
TEST(Launcher, SettingsLiveInTheXdgConfigFolder) {
  setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
  EXPECT_EQ(LastFolderSettingsPath(), "/somewhere/config/qvm-image-wizard/last-game-folder");
  setenv("XDG_CONFIG_HOME", "not-absolute", 1);
  setenv("HOME", "/home/player", 1);
  EXPECT_EQ(LastFolderSettingsPath(), "/home/player/.config/qvm-image-wizard/last-game-folder");
  unsetenv("XDG_CONFIG_HOME");
}
#endif

}  // namespace
}  // namespace qvm
