// Paths and texts convert without loss, and the run's paths are spelled as on disk.
#include <gtest/gtest.h>

#include "platform/GamePaths.h"
#include "platform/PathText.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

TEST(PathText, ConversionsKeepEveryName) {
  struct Case {
    std::string utf8;
    std::optional<std::string> cp1252;
    bool isUtf8 = true;
  };
  const Case cases[] = {
      {"plain.jpg", "plain.jpg"},
      {"caf\xC3\xA9 \xE2\x82\xAC.jpg", "caf\xE9 \x80.jpg"},  // e acute, euro sign
      {"\xCE\xA9mega.jpg", std::nullopt},                    // no CP1252 for Greek
      {"latin1-\xE9.jpg", std::nullopt, false},              // bytes that are no UTF-8
  };
  for (const Case& c : cases) {
    const std::filesystem::path path = PathFromUtf8(c.utf8);
    // A name on disk survives the round trip. Windows names are UTF-16: there bytes that are
    // no UTF-8 name no file and come back as U+FFFD.
    const std::string back = c.isUtf8 || !test::kWindows ? c.utf8 : "latin1-\xEF\xBF\xBD.jpg";
    EXPECT_EQ(Utf8FromPath(path), back);
    EXPECT_EQ(Cp1252FromPath(path), c.cp1252) << c.utf8;
    if (c.cp1252) {
      EXPECT_EQ(PathFromCp1252(*c.cp1252), path);
    }
  }
}

TEST(PathText, TheRunsPathsAreSpelledAsOnDisk) {
  test::GameFolder game;
  const GamePaths fresh = game.Paths();
  EXPECT_EQ(fresh.index, game / "media/index.dat");
  EXPECT_EQ(fresh.lock, game / "media/index.dat.lock");

  game.Write("Media/INDEX.DAT", "");
  const GamePaths copied = game.Paths();
  EXPECT_EQ(copied.media, game / "Media");
  EXPECT_EQ(copied.index, game / "Media/INDEX.DAT");
  EXPECT_EQ(copied.backup, game / "Media/INDEX.DAT.bak");
  EXPECT_EQ(copied.journal, game / "Media/INDEX.DAT.journal");
  EXPECT_EQ(copied.unsaved, game / "Media/INDEX.DAT.unsaved");
  EXPECT_EQ(copied.lock, game / "Media/index.dat.lock");
}

}  // namespace
}  // namespace qvm
