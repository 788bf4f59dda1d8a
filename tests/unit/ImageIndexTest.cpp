#include "index/ImageIndex.h"
#include "tests/unit/PoolTest.h"

#include <gtest/gtest.h>

namespace qvm {
namespace {

using ImageIndexTest = test::PoolTest;

std::string RoundTrip(std::string_view bytes) {
  ImageIndex index;
  ParseImageIndex(bytes, index);
  return SerializeImageIndex(index);
}

TEST_F(ImageIndexTest, SavingRightAfterLoadingNormalisesAsDocumented) {
  struct Case { const char* name; std::string in; std::string out; };
  const Case cases[] = {
      {"empty file", "", ""},
      {"two entries", "Example Name\r\nexample1.jpg|example2.bmp\r\nOther Name\r\nother.jpg\r\n",
       "Example Name\r\nexample1.jpg|example2.bmp\r\nOther Name\r\nother.jpg\r\n"},
      {"duplicates in any case, first kept", "K\r\nA.JPG|b.jpg|a.jpg|c.jpg\r\n",
       "K\r\na.jpg|b.jpg|c.jpg\r\n"},
      {"trailing bar gives an empty name", "K\r\nx.jpg|\r\n", "K\r\nx.jpg|\r\n"},
      {"empty middle field", "K\r\nx.jpg||y.jpg\r\n", "K\r\nx.jpg||y.jpg\r\n"},
      {"two empty fields collapse to one", "K\r\n||\r\n", "K\r\n\r\n"},
      {"blanks and bar in keys kept", "  Spaced Key \r\na.jpg\r\nShow|Match\r\nb.jpg\r\n",
       "  Spaced Key \r\na.jpg\r\nShow|Match\r\nb.jpg\r\n"},
      {"blank line after the last entry", "K\r\na.jpg\r\n\r\n", "K\r\na.jpg\r\n\r\n\r\n"},
      {"CR-only line ends", "K\ra.jpg\rL\rb.jpg\r", "K\r\na.jpg\r\nL\r\nb.jpg\r\n"},
      {"LF-only file is one key line", "K\na.jpg\nL\n", "K\na.jpg\nL\n\r\n\r\n"},
      {"missing last line end", "K\r\na.jpg", "K\r\na.jpg\r\n"},
      {"key line without image line", "K\r\na.jpg\r\nLast", "K\r\na.jpg\r\nLast\r\n\r\n"},
      {"Ctrl-Z ends the file mid-line", "K\r\na.jpg|b.j\x1Apg\r\nL\r\nc.jpg\r\n",
       "K\r\na.jpg|b.j\r\n"},
      {"Ctrl-Z at the start", "\x1AK\r\na.jpg\r\n", ""},
      {"entry without images", "K\r\n\r\n", "K\r\n\r\n"},
      {"CP1252 names lower-cased", "K\r\n\xC9T\xC9.JPG\r\n", "K\r\n\xE9t\xE9.jpg\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(RoundTrip(c.in), c.out) << c.name;
}

TEST_F(ImageIndexTest, ReadingTwiceIsStable) {
  std::string once = RoundTrip("K\nX\rA.jpg|A.JPG||\r\n\r\nZ");
  EXPECT_EQ(RoundTrip(once), once);
}

TEST_F(ImageIndexTest, FindEntryComparesWholeKeysIgnoringCp1252Case) {
  ImageIndex index;
  ParseImageIndex("Caf\xE9\r\na.jpg\r\nCAF\xC9\r\nb.jpg\r\nBob \r\nc.jpg\r\n", index);
  struct Case { std::string key; int entry; };
  const Case cases[] = {{"caf\xE9", 1}, {"CAF\xC9", 1}, {"Caf\xC9", 1}, {"Bob", 0},
                        {"BOB ", 3}, {"", 0}, {"Cafe", 0}};
  for (const Case& c : cases) EXPECT_EQ(index.FindEntry(c.key), c.entry) << c.key;
}

TEST_F(ImageIndexTest, AddAndRemoveKeepTheDocumentedOrder) {
  ImageIndex index;
  int e = index.AppendEntry("Hero");
  ASSERT_EQ(e, 1);
  for (const char* name : {"a.jpg", "B.jpg", "c.jpg", "d.jpg"})
    EXPECT_EQ(index.AddImage(e, name), AddImageResult::Added);
  EXPECT_EQ(index.AddImage(e, "A.JPG"), AddImageResult::AlreadyListed);
  index.RemoveImage(e, 2);  // b: the last image moves into its place
  EXPECT_EQ(SerializeImageIndex(index), "Hero\r\na.jpg|d.jpg|c.jpg\r\n");
  for (int i = 0; i < 3; ++i) index.RemoveImage(e, 1);
  EXPECT_EQ(SerializeImageIndex(index), "Hero\r\n\r\n");
  index.RemoveImage(e, 1);  // nothing left: no change, no crash
  EXPECT_EQ(index.EntryCount(), 1);
}

TEST_F(ImageIndexTest, CapacitiesRefuseOnlyNewAdditions) {
  std::string bytes;
  for (int i = 0; i < kIndexEntryCapacity + 5; ++i) {
    bytes += "K" + std::to_string(i) + "\r\n";
    if (i == 0)
      for (int n = 0; n < 150; ++n) bytes += (n ? "|" : "") + std::to_string(n) + ".jpg";
    bytes += "\r\n";
  }
  ImageIndex index;
  ParseImageIndex(bytes, index);
  EXPECT_EQ(index.EntryCount(), kIndexEntryCapacity + 5);  // kept, written back unchanged
  EXPECT_EQ(SerializeImageIndex(index), bytes);
  EXPECT_EQ(index.AppendEntry("New"), 0);
  EXPECT_EQ(index.AddImage(1, "new.jpg"), AddImageResult::EntryFull);
  EXPECT_EQ(index.AddImage(1, "7.JPG"), AddImageResult::AlreadyListed);
}

TEST_F(ImageIndexTest, ObserverSeesEveryChange) {
  ImageIndex index;
  std::vector<IndexChange::Kind> seen;
  index.SetObserver([&](const IndexChange& c) { seen.push_back(c.kind); });
  int e = index.AppendEntry("A");
  index.AddImage(e, "x.jpg");
  index.AddImage(e, "X.JPG");  // no change, no notification
  index.AddImage(e, "y.jpg");
  EXPECT_EQ(index.ReplaceImage(e, 2, "X.jpg"), AddImageResult::AlreadyListed);  // listed at 1
  EXPECT_EQ(index.ReplaceImage(e, 1, "Z.JPG"), AddImageResult::Added);
  EXPECT_EQ(index.Entry(e).images, (std::vector<Text>{"z.jpg", "y.jpg"}));  // order kept
  index.RemoveImage(e, 1);
  index.SetKey(e, "|");
  using K = IndexChange::Kind;
  EXPECT_EQ(seen, (std::vector<K>{K::NewEntry, K::ImageAdded, K::ImageAdded, K::ImageReplaced,
                                  K::ImageRemoved, K::EntryRekeyed}));
}

}  // namespace
}  // namespace qvm
