#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/ImageOperations.h"
#include "tests/unit/ImageOpsFixture.h"

namespace qvm {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RemoveImageTest : public test::ImageOpsTest {
 protected:
  // Selects entry `entry` with key `key` and makes `current` the ImagesList's current item.
  void Edit(std::string_view key, int entry, std::string_view current) {
    Select(key);
    ListImagesOf(entry);
    win.imagesList.UserClick(win.imagesList.FindExact(-1, current));
  }
  void Yes() { messages.answers.push_back(MessageAnswer::Yes); }
};

TEST_F(RemoveImageTest, OnlyAReleaseOfDeleteAsks) {
  Index("K\r\na.jpg|b.jpg\r\n");
  Edit("K", 1, "b.jpg");
  struct Case {
    int key;
    bool autoRepeat;
    bool asks;
  };
  const Case cases[] = {
      {kDeleteKey, true, false},  // the key held down
      {45, false, false},         // Insert
      {8, false, false},          // Backspace
      {'D', false, false},       {kDeleteKey, false, true},
  };
  for (const Case& c : cases) {
    std::size_t before = messages.texts.size();
    OnImagesListKeyUp(w, c.key, c.autoRepeat);
    EXPECT_EQ(messages.texts.size() - before, c.asks ? 1u : 0u) << c.key;
  }
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0], "Do you really want to delete b.jpg?");
  EXPECT_TRUE(messages.styles[0].yesNo);
  EXPECT_TRUE(messages.styles[0].exclamation);
  EXPECT_TRUE(messages.styles[0].defaultNo);
  // Answered No (the default): nothing changed.
  EXPECT_THAT(win.imagesList.Items(), ElementsAre("a.jpg", "b.jpg"));
  EXPECT_EQ(IndexBytes(), "K\r\na.jpg|b.jpg\r\n");
}

TEST_F(RemoveImageTest, TheLastImageMovesIntoTheGapAndTheFileStays) {
  for (const char* f : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
    game.Write(std::string("media/") + f, f);
  Index("K\r\na.jpg|b.jpg|c.jpg|d.jpg\r\n");
  Edit("k", 1, "b.jpg");
  Yes();
  OnImagesListKeyUp(w, kDeleteKey);
  EXPECT_EQ(IndexBytes(), "K\r\na.jpg|d.jpg|c.jpg\r\n");
  EXPECT_THAT(win.imagesList.Items(), ElementsAre("a.jpg", "c.jpg", "d.jpg"));
  EXPECT_EQ(game.Read("media/b.jpg"), "b.jpg");
  EXPECT_THAT(win.strayList.Items(), ElementsAre("b.jpg"));
}

TEST_F(RemoveImageTest, OnlyTheCurrentItemGoesWhenSeveralAreSelected) {
  Index("K\r\na.jpg|b.jpg|c.jpg\r\n");
  Edit("K", 1, "a.jpg");
  win.imagesList.UserClick(2, MemoryListBox::Modifier::Ctrl);
  ASSERT_EQ(win.imagesList.SelCount(), 2);
  Yes();
  RemoveCurrentImage(w);
  EXPECT_EQ(messages.texts[0], "Do you really want to delete c.jpg?");
  EXPECT_THAT(win.imagesList.Items(), ElementsAre("a.jpg", "b.jpg"));
  EXPECT_EQ(IndexBytes(), "K\r\na.jpg|b.jpg\r\n");
}

TEST_F(RemoveImageTest, RemovingTheOnlyImageKeepsTheEntry) {
  Index("Solo\r\nonly.jpg\r\nNext\r\nn.jpg\r\n");
  Edit("Solo", 1, "only.jpg");
  Yes();
  RemoveCurrentImage(w);
  EXPECT_EQ(db.imageIndex.EntryCount(), 2);
  EXPECT_THAT(db.imageIndex.Entry(1).images, IsEmpty());
  EXPECT_EQ(IndexBytes(), "Solo\r\n\r\nNext\r\nn.jpg\r\n");
  EXPECT_THAT(win.imagesList.Items(), IsEmpty());
}

TEST_F(RemoveImageTest, TheStrayListShowsANameOnlyWhenNoOtherEntryUsesIt) {
  game.Write("media/Shared.JPG", "s");
  game.Write("media/mine.jpg", "m");
  Index("K1\r\nshared.jpg|mine.jpg\r\nK2\r\nshared.jpg\r\n");
  for (const char* name : {"shared.jpg", "mine.jpg"}) {
    Edit("K1", 1, name);
    Yes();
    RemoveCurrentImage(w);
  }
  EXPECT_THAT(win.strayList.Items(), ElementsAre("mine.jpg"));
  EXPECT_EQ(IndexBytes(), "K1\r\n\r\nK2\r\nshared.jpg\r\n");
}

TEST_F(RemoveImageTest, AFailedLookUpHasAlreadyTakenTheItemFromTheList) {
  struct Case {
    const char* key;
    const char* listed;
    const char* message;
  };
  const Case cases[] = {
      {"Nobody", "a.jpg", "Couldn't find wrestler."},
      {"K", "A.jpg", "Image not found."},  // the name compares byte for byte
  };
  for (const Case& c : cases) {
    Index("K\r\na.jpg\r\n");
    Select(c.key);
    win.imagesList.ResetContent();
    win.imagesList.AddString(c.listed);
    win.strayList.ResetContent();
    win.strayList.AddString("left.jpg");
    messages.texts.clear();
    Yes();
    RemoveCurrentImage(w);
    EXPECT_THAT(
        messages.texts,
        ElementsAre("Do you really want to delete " + std::string(c.listed) + "?", c.message));
    EXPECT_THAT(win.imagesList.Items(), IsEmpty()) << c.key;
    EXPECT_EQ(IndexBytes(), "K\r\na.jpg\r\n") << c.key;
    EXPECT_THAT(win.strayList.Items(), ElementsAre("left.jpg")) << c.key;  // not rebuilt
  }
}

TEST_F(RemoveImageTest, AnEmptyListAsksNothing) {
  Index("K\r\na.jpg\r\n");
  Select("K");
  RemoveCurrentImage(w);
  EXPECT_THAT(messages.texts, IsEmpty());
  EXPECT_EQ(IndexBytes(), "K\r\na.jpg\r\n");
}

}  // namespace
}  // namespace qvm
