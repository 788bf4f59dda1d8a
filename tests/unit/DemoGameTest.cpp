// The demo game that `make demo` opens loads with the entities designed into it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "TestFolder.h"
#include "gamedb/LoadGameDatabase.h"
#include "platform/Cp1252.h"
#include "platform/GamePath.h"

namespace qvm {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

class DemoGameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NewPool();
#ifdef _WIN32
    // The generator draws with Qt, which only the Linux build has: under Wine it runs there.
    const std::string generator = test::Quoted(QVM_DEMO_GAME);
    if (!test::UnderWine() || !test::RunUnix("test -x " + generator))
      GTEST_SKIP() << "the demo game generator of the Linux build is not there";
    std::string command = generator + " " + test::Quoted(test::UnixPath(game)) + " 2>/dev/null";
    ASSERT_TRUE(test::RunUnix(command)) << command;
#else
    std::string command =
        std::string("'") + QVM_DEMO_GAME + "' '" + game.string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
#endif
    LoadGameDatabase(SystemOs(), ResolveGamePaths(SystemOs(), game), db);
  }
  void TearDown() override { ReleasePool(); }

  static std::vector<std::string> Utf8(const std::vector<Text>& texts) {
    std::vector<std::string> out;
    for (Text t : texts) out.push_back(Utf8FromCp1252(t));
    return out;
  }
  template <typename Records>
  static std::vector<std::string> Names(const Records& records) {
    std::vector<Text> texts;
    for (const auto& r : records) texts.push_back(r.name);
    return Utf8(texts);
  }

  test::TempFolder folder;
  std::filesystem::path game = folder / "demo game";
  GameDatabase db;
};

TEST_F(DemoGameTest, LoadsTheDesignedEntities) {
  EXPECT_TRUE(db.indexState.loaded);
  EXPECT_THAT(db.findings, IsEmpty());

  ASSERT_EQ(db.wrestlers.size(), 40u);
  EXPECT_EQ(Utf8FromCp1252(db.wrestlers[13].name), "José Calderón");
  EXPECT_EQ(Utf8FromCp1252(db.wrestlers[39].name), "3-D Danny");
  // Further names by wrestler number; every other wrestler has only its own name.
  const std::map<int, std::vector<std::string>> aliases = {
      {1, {"Ace Harmon", "The Ace"}},           {2, {"Blaze Corrigan", "Blaze", "Blaze C."}},
      {4, {"Cassidy Storm", "Cassidy"}},        {10, {"Gage Whitlock", "The Gatekeeper"}},
      {14, {"José Calderón", "El Matador"}},    {19, {"Nova Sinclair", "Supernova"}},
      {27, {"Björn Eklund", "BJÖRN EKLUND"}},   {33, {"Xander Bloom", "X"}},
      {36, {"Zoë Marchetti", "Zoé Marchetti"}},
  };
  for (size_t k = 0; k < db.wrestlers.size(); ++k) {
    std::vector<Text> texts;
    for (const Alias& a : db.wrestlers[k].aliases) texts.push_back(a.text);
    auto it = aliases.find(static_cast<int>(k) + 1);
    std::vector<std::string> expected =
        it != aliases.end() ? it->second
                            : std::vector<std::string>{Utf8FromCp1252(db.wrestlers[k].name)};
    EXPECT_THAT(Utf8(texts), UnorderedElementsAreArray(expected)) << "wrestler " << k + 1;
  }

  EXPECT_THAT(
      Names(db.teams),
      ElementsAre("The Firebricks", "Dante Ruiz and Rook Mendez", "Velvet Thunder", "Nordic Storm",
                  "Jax Renner and Pike Lawson", "The Outlaws", "Hank Bristow and Otto Grimsby",
                  "Pacific Edge", "Los Cuervos", "Fjord Force"));
  EXPECT_EQ(Utf8FromCp1252(db.teams[3].member2), "Björn Eklund");

  EXPECT_THAT(Names(db.stables), ElementsAre("The Syndicate", "Crown Jewels", "Wolfpack Nation",
                                             "Midnight Order", "Tide Breakers"));
  EXPECT_THAT(db.stables[0].members, ElementsAre(7, 26, 31, 33));
  EXPECT_THAT(db.stables[1].members, ElementsAre(4, 12, 28, 36));
  EXPECT_THAT(db.stables[2].members, ElementsAre(16, 27, 38, 20));

  EXPECT_THAT(Names(db.managers),
              ElementsAre("Percival Drake", "Mama Lucía", "Gus Ferrante", "Honey Baxter",
                          "Doc Ambrose", "Sir Reginald Pomfrey", "Vera Lockhart", "Mister Ives"));
  EXPECT_THAT(Names(db.titles),
              ElementsAre("NCW Heavyweight Championship", "NCW Tag Team Championship",
                          "NCW Television Title", "Hardcore Title", "Pacific Coast Championship",
                          "Pacific Tag Team Titles", "SLA World Title", "SLA Women's Title",
                          "Hardcore Title"));
}

TEST_F(DemoGameTest, MediaHoldsAttachedAndStrayPictures) {
  ASSERT_TRUE(db.indexState.loaded);
  EXPECT_EQ(db.imageIndex.EntryCount(), 17);
  EXPECT_EQ(db.imageIndex.FindEntry("bj\xF6rn eklund"), 6);
  int pictures = 0;
  for (const auto& entry : std::filesystem::directory_iterator(game / "media")) {
    pictures += entry.path().filename() != "index.dat";
  }
  EXPECT_EQ(pictures, 37);  // 36 JPEG and BMP pictures and a PNG
  int attached = 0;
  for (const IndexEntry& entry : db.imageIndex.Entries()) {
    for (Text image : entry.images) {
      ++attached;
      auto path = ResolveNameInFolder(SystemOs(), game / "media", image);
      EXPECT_TRUE(path && IsRegularFile(SystemOs(), *path)) << image;
    }
  }
  EXPECT_EQ(attached, 18);
}

}  // namespace
}  // namespace qvm
