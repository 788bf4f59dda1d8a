#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "app/ImageOperations.h"
#include "app/StrayList.h"
#include "images/StrayImages.h"
#include "platform/Cp1252.h"
#include "tests/unit/ImageOpsFixture.h"

namespace qvm {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

class StrayImagesTest : public test::ImageOpsTest {};

TEST_F(StrayImagesTest, WhatTheStrayListShows) {
  struct Case {
    const char* what;
    std::vector<std::string> files;  // UTF-8 names in media; a trailing "/" makes a folder
    const char* index;
    std::vector<std::string> stray;  // CP1252
  };
  const Case cases[] = {
      {"a-z fold", {"Hero.JPG", "b.jpg"}, "K\r\nhero.jpg\r\n", {"b.jpg"}},
      {"accented letters compare exactly",
       {"\xC3\x89lan.jpg", "\xC3\xA9t\xC3\xA9.jpg"},
       "K\r\n\xE9lan.jpg|\xE9t\xE9.jpg\r\n",
       {"\xC9lan.jpg"}},
      {"a name two entries list is matched once",
       {"a.jpg", "b.jpg"},
       "K1\r\na.jpg\r\nK2\r\nA.JPG\r\n",
       {"b.jpg"}},
      {"an index name without a file changes nothing", {"b.jpg"}, "K\r\nghost.jpg|\r\n", {"b.jpg"}},
      {"hidden files and folders are never listed",
       {".hidden.jpg", "dir.jpg/", "a.bmp"},
       "",
       {"a.bmp"}},
      {"the star matches dots",
       {"notes.jpg.txt", "x.jpeg", "Y.Jp", "p.png", "bmp", "z.BMP.txt"},
       "",
       {"notes.jpg.txt", "x.jpeg", "Y.Jp"}},
      {"a file matching both patterns is listed once", {"two.jpg.bmp"}, "", {"two.jpg.bmp"}},
      // One name blanks one file: the one the preview opens for it.
      {"case variants: the exact spelling is the file in use",
       {"HERO.JPG", "hero.jpg", "Hero.jpg"},
       "K\r\nhero.jpg\r\n",
       {"HERO.JPG", "Hero.jpg"}},
      {"case variants: else the first in byte order",
       {"Title.jpg", "TITLE.JPG"},
       "K\r\ntitle.jpg\r\n",
       {"Title.jpg"}},
      {"names Windows-1252 cannot hold are left out", {"\xCE\xA9.jpg", "ok.jpg"}, "", {"ok.jpg"}},
      {"sorted as the list sorts",
       {"b.jpg", "_x.bmp", "A.jpg", "10.jpg", "\xC3\x84rger.jpg"},
       "",
       {"_x.bmp", "10.jpg", "A.jpg", "\xC4rger.jpg", "b.jpg"}},
  };
  for (const Case& c : cases) {
    if (test::kNamesIgnoreCase && std::string_view(c.what).starts_with("case variants")) continue;
    std::filesystem::remove_all(game / "media");
    std::filesystem::create_directory(game / "media");
    for (const std::string& f : c.files) {
      if (f.ends_with('/'))
        std::filesystem::create_directory(game / ("media/" + f.substr(0, f.size() - 1)));
      else
        test::WriteBytes(game / ("media/" + f), "x");
    }
    Index(c.index);
    ScanStrayImages(w);
    EXPECT_THAT(win.strayList.Items(), ElementsAreArray(c.stray)) << c.what;
  }
  // A missing media folder gives an empty list and no message.
  std::filesystem::remove_all(game / "media");
  ScanStrayImages(w);
  EXPECT_THAT(win.strayList.Items(), IsEmpty());
  EXPECT_THAT(messages.texts, IsEmpty());
}

TEST_F(StrayImagesTest, LinksAreListedOnlyWhenTheyStayInsideTheGame) {
  if (test::UnderWine()) GTEST_SKIP() << test::kWineShowsLinksAsTargets;
  test::TempFolder elsewhere;
  test::WriteBytes(elsewhere / "outside.jpg", "x");
  game.Write("pictures/inside.jpg", "x");
  if (!test::MakeSymlink(elsewhere / "outside.jpg", game / "media/out.jpg") ||
      !test::MakeSymlink(game / "pictures/inside.jpg", game / "media/in.jpg") ||
      !test::MakeSymlink("../pictures", game / "media/folder.jpg") ||
      !test::MakeSymlink("gone.jpg", game / "media/dangling.jpg"))
    GTEST_SKIP() << test::CannotMake("link");
  ScanStrayImages(w);
  EXPECT_THAT(win.strayList.Items(), ElementsAre("in.jpg"));
}

TEST_F(StrayImagesTest, MoreThanTwentyThousandPicturesAreAllScanned) {
  // Under Wine every file made and listed passes its server, 50 times slower than Linux: a
  // tenth of the files there, the full count on Linux.
  const int files = test::UnderWine() ? 2500 : 20500;
  std::string index = "K\r\n";
  for (int i = 0; i < files; ++i) {
    std::string name = "p" + std::to_string(i) + (i % 2 ? ".JPG" : ".bmp");
    OsFile file(SystemOs(), SystemOs().CreateNew(game / "media" / name, nullptr));
    ASSERT_TRUE(file.IsOpen());
    if (i % 100 == 0) index += (i ? "|" : "") + LowerCp1252(name);
  }
  Index(index + "\r\n");
  ScanStrayImages(w);
  EXPECT_EQ(win.strayList.Count(), files - files / 100);
  EXPECT_NE(win.strayList.FindExact(-1, "p" + std::to_string(files - 1) + ".JPG"), -1);
  EXPECT_EQ(win.strayList.FindExact(-1, "p" + std::to_string(files - 100) + ".bmp"), -1);
}

// The scan as a nested search over the table, position by position.
std::vector<std::string> NestedScan(std::vector<std::string> table, const ImageIndex& index) {
  for (const IndexEntry& e : index.Entries()) {
    for (Text image : e.images) {
      for (std::string& slot : table) {
        if (EqualIgnoringAsciiCase(slot, image)) {
          slot.clear();
          break;
        }
      }
    }
  }
  std::vector<std::string> left;
  for (const std::string& slot : table)
    if (!slot.empty()) left.push_back(slot);
  return left;
}

TEST_F(StrayImagesTest, TheHashScanAgreesWithTheNestedScan) {
  std::mt19937 rng(7);
  // Few letters, so case variants, accented variants and duplicates are common.
  const std::string letters = "aAbB\xE9\xC9.";
  auto randomName = [&](int maxLength) {
    std::string s(1 + rng() % maxLength, ' ');
    for (char& ch : s) ch = letters[rng() % letters.size()];
    return s;
  };
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> table;
    int files = static_cast<int>(rng() % 40);
    for (int i = 0; i < files; ++i) table.push_back(randomName(3));
    // Entries as they may stand in memory: names in any case, repeated, or empty (a line
    // like "a.jpg||b.jpg" gives an empty name).
    db.imageIndex.Clear();
    int entries = static_cast<int>(rng() % 6);
    for (int e = 0; e < entries; ++e) {
      IndexEntry entry{PoolString("K"), {}};
      int names = static_cast<int>(rng() % 12);
      for (int n = 0; n < names; ++n)
        entry.images.push_back(PoolString(rng() % 8 ? randomName(3) : ""));
      db.imageIndex.AppendLoaded(std::move(entry));
    }
    ASSERT_EQ(StrayNames(table, db.imageIndex), NestedScan(table, db.imageIndex)) << round;
  }
}

}  // namespace
}  // namespace qvm
