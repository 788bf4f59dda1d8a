#include <gtest/gtest.h>

#include "app/Launcher.h"
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
