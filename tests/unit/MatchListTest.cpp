// A picture pack in one step: the match dialog's rows and what "Attach checked" and "Cancel"
// leave in the index and the window; and the small pictures made off the window's thread.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/MatchList.h"
#include "app/SmallPictures.h"
#include "app/StrayList.h"
#include "tests/unit/SmallGameFixture.h"

namespace qvm {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The dialog as a script: checks or unchecks rows by picture and entity, then answers.
class ScriptedChooser : public MatchChooser {
 public:
  bool Choose(MatchList& list) override {
    ++opened;
    for (int row = 0; row < list.Count(); ++row) {
      std::string line;
      for (int column = 0; column < kMatchColumnCount; ++column)
        line += (column ? " | " : "") + list.Text(row, static_cast<MatchColumn>(column));
      rows.push_back((list.Checked(row) ? "[x] " : "[ ] ") + line);
      for (const auto& [picture, entity, checked] : toggles)
        if (list.Text(row, MatchColumn::Picture) == picture &&
            list.Text(row, MatchColumn::Entity) == entity)
          list.SetChecked(row, checked);
    }
    return attach;
  }
  struct Toggle {
    std::string picture, entity;
    bool checked;
  };
  std::vector<Toggle> toggles;
  bool attach = true;
  int opened = 0;
  std::vector<std::string> rows;
};

class MatchListTest : public test::SmallGameTest {
 protected:
  void SetUp() override {
    SmallGameTest::SetUp();
    for (const std::string& name : pictures) game.Write("media/" + name, "x");
    ScanStrayImages(w);
    w.c.matchDialog = &chooser;
  }
  ScriptedChooser chooser;
};

TEST_F(MatchListTest, RowsAreTheSuggestionsWithTheUnambiguousOnesButStablesChecked) {
  chooser.attach = false;
  const std::string before = IndexBytes();
  MatchStrayPictures(w);
  EXPECT_THAT(
      chooser.rows,
      ElementsAre("[x] ace_harmon.jpg | Ace Harmon | wrestler | Ace Harmon | ",
                  "[x] Ace-Harmon_2.JPG | Ace Harmon | wrestler | Ace Harmon | ",
                  "[ ] the_ace.jpg | Ace Harmon | wrestler | The Ace | names two entities",
                  "[x] zoe_marchetti.bmp | Zo\xEB Marchetti | wrestler | Zo\xEB Marchetti | ",
                  "[x] ann_and_bo.jpg | Ann and Bo | tag team | Ann and Bo | ",
                  "[x] the-pair (2).jpg | The Pair | tag team | The Pair (Ann/Bo) | ",
                  "[ ] clan.jpg | Clan | stable | Clan (Ann/Bo/Cy/Cyrus) | pick the members",
                  "[x] mo_alt.jpg | Mo | manager | Mo | ",
                  "[ ] the_ace.jpg | The Ace | manager | The Ace | names two entities",
                  "[x] belt.jpg | Belt | title | Belt | "));
  // Cancel changes nothing.
  EXPECT_EQ(IndexBytes(), before);
  EXPECT_THAT(messages.texts, IsEmpty());
}

TEST_F(MatchListTest, AttachCheckedAttachesAsSuggestApplyAndTheWindowFollows) {
  SelectNodeAt(Node({"Wrestlers", "A", "Ace Harmon"}));
  const NodeHandle zoe = Node({"Wrestlers", "Z", "Zo\xEB Marchetti"});
  ASSERT_TRUE(w.marks.Missing(zoe));
  MatchStrayPictures(w);
  EXPECT_EQ(IndexBytes(),
            "Bo\r\nbo2.jpg\r\nAce Harmon\r\nace_harmon.jpg|ace-harmon_2.jpg\r\nZo\xEB "
            "Marchetti\r\nzoe_marchetti.bmp\r\nAnn and Bo\r\nann_and_bo.jpg\r\nThe Pair "
            "(Ann/Bo)\r\nthe-pair (2).jpg\r\nMo\r\nmo_alt.jpg\r\nBelt\r\nbelt.jpg\r\n");
  // The record being edited lists its new pictures; the stray list and the marks follow.
  EXPECT_THAT(win.imagesList.Items(), ElementsAre("ace_harmon.jpg", "ace-harmon_2.jpg"));
  EXPECT_THAT(win.strayList.Items(),
              ElementsAre("bo.jpg", "clan.jpg", "the_ace.jpg", "unrelated.jpg"));
  EXPECT_FALSE(w.marks.Missing(zoe));
  EXPECT_THAT(messages.texts, IsEmpty());
}

TEST_F(MatchListTest, CheckedStablesAndAmbiguousRowsAreTakenAsChecked) {
  chooser.toggles = {{"clan.jpg", "Clan", true},
                     {"the_ace.jpg", "Ace Harmon", true},
                     {"the_ace.jpg", "The Ace", true},
                     {"ace_harmon.jpg", "Ace Harmon", false}};
  MatchStrayPictures(w);
  const std::string bytes = IndexBytes();
  EXPECT_THAT(bytes, ::testing::HasSubstr("Ace Harmon\r\nace-harmon_2.jpg\r\nThe Ace\r\n"
                                          "the_ace.jpg\r\n"));
  EXPECT_THAT(bytes, ::testing::HasSubstr("Clan (Ann/Bo/Cy/Cyrus)\r\nclan.jpg\r\n"));
  // The second row of the same picture and key finds it listed: told, as the CLI tells it.
  EXPECT_THAT(messages.texts,
              ElementsAre("the_ace.jpg was not attached: the entry of The Ace lists it already, "
                          "in other letter case."));
  EXPECT_FALSE(w.marks.Missing(Node({"Stables", "C", "Clan"})));
}

TEST_F(MatchListTest, WithoutMatchesTheDialogIsNotOpened) {
  for (const std::string& name : pictures) std::filesystem::remove(game / "media" / name);
  MatchStrayPictures(w);
  EXPECT_EQ(chooser.opened, 0);
  EXPECT_THAT(messages.texts, ElementsAre(std::string(kNoMatchesMessage)));
}

// --- Small pictures -----------------------------------------------------------------------------

// A maker that waits until the test lets it go, recording the order it is asked in.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  int allowed = 0;
  int entered = 0;
  std::vector<std::string> made;
  int wakes = 0;

  std::string Make(const std::string& name) {
    std::unique_lock<std::mutex> lock(mutex);
    ++entered;
    changed.notify_all();
    changed.wait(lock, [&] { return allowed > 0; });
    --allowed;
    made.push_back(name);
    return "picture of " + name;
  }
  void Wake() {
    std::lock_guard<std::mutex> lock(mutex);
    ++wakes;
    changed.notify_all();
  }
  void WaitEntered(int count) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return entered >= count; });
  }
  void Allow(int count) {
    std::unique_lock<std::mutex> lock(mutex);
    allowed += count;
    const int target = wakes + count;
    changed.notify_all();
    changed.wait(lock, [&] { return wakes >= target; });
  }
};

TEST(SmallPicturesTest, NewestAskFirstBoundedWaitingAndSlots) {
  Gate gate;
  SmallPictures<std::string> pictures([&](const std::string& n) { return gate.Make(n); },
                                      [&] { gate.Wake(); }, /*slots=*/2, /*waiting=*/3);
  // Whatever fails, the worker is let go before the pictures wait for it.
  struct Release {
    Gate& gate;
    ~Release() {
      std::lock_guard<std::mutex> lock(gate.mutex);
      gate.allowed += 1000;
      gate.changed.notify_all();
    }
  } release{gate};
  // The worker takes "a" at once and waits; then b c d e are asked, "b" falls off the waiting
  // ones, and "c" asked again becomes the newest.
  EXPECT_FALSE(pictures.Find(0, "a"));
  gate.WaitEntered(1);
  for (int row : {1, 2, 3, 4}) EXPECT_FALSE(pictures.Find(row, std::string(1, "abcde"[row])));
  EXPECT_FALSE(pictures.Find(2, "c"));
  gate.Allow(4);
  EXPECT_THAT(gate.made, ElementsAre("a", "c", "e", "d"));
  EXPECT_THAT(pictures.Collect(), ElementsAre(0, 2, 4, 3));
  // Two slots: the least recently used pictures made way.
  auto found = pictures.Find(3, "d");
  ASSERT_TRUE(found);
  EXPECT_EQ(*found->picture, "picture of d");
  EXPECT_FALSE(pictures.Find(0, "a"));
  EXPECT_FALSE(pictures.Find(2, "c"));
  auto other = pictures.Find(4, "e");
  ASSERT_TRUE(other);
  EXPECT_NE(other->slot, found->slot);
  EXPECT_LT(std::max(other->slot, found->slot), 2u);
}

}  // namespace
}  // namespace qvm
