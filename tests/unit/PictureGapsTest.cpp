// The entities without a picture where the user works: the tree's marks against the rule of
// `missing`, going from one to the next, the tree of only them, and marks that follow changes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/Dispatch.h"
#include "app/ImageOperations.h"
#include "app/PictureGaps.h"
#include "app/StrayList.h"
#include "tests/unit/SmallGameFixture.h"
#include "tree/MissingPictures.h"

namespace qvm {
namespace {

using ::testing::ElementsAre;

class PictureGapsTest : public test::SmallGameTest {
 protected:
  // The texts of the marked entity nodes, in tree order.
  std::vector<std::string> MarkedEntities() const {
    std::vector<std::string> out;
    for (NodeHandle node : w.marks.MissingEntities()) out.emplace_back(w.tree.Text(node));
    return out;
  }
  // Every node the tree view shows, indented by depth, "*" after a marked one.
  std::vector<std::string> Shown(NodeHandle parent = 0, std::string indent = "") const {
    std::vector<std::string> out;
    const TreeNodes& nodes = *win.itemsTree.Nodes();
    for (NodeHandle node : nodes.Children(parent)) {
      out.push_back(indent + std::string(nodes.Text(node)) + (nodes.Mark(node).empty() ? "" : "*"));
      for (std::string& line : Shown(node, indent + "  ")) out.push_back(std::move(line));
    }
    return out;
  }
  void Press(bool backward) { GoToNextMissing(w, backward); }
};

TEST_F(PictureGapsTest, MarksAreTheEntitiesThatMissingLists) {
  const struct Case {
    const char* index;
    std::vector<std::string> marked;
  } cases[] = {
      {"", {"Ace Harmon", "Ann", "Bo", "Cy", "Zo\xEB Marchetti", "Ann and Bo", "The Pair", "Clan",
            "Mo", "The Ace", "Belt"}},
      // An alias covers its wrestler (and the manager of that name); a stable's key with some of
      // its members covers it; a team by its team key; an empty name is no picture.
      {"the ace\r\na.jpg\r\nClan (Ann)\r\nc.jpg\r\nThe Pair (Ann/Bo)\r\np.jpg\r\nBelt\r\n\r\n",
       {"Ann", "Bo", "Cy", "Zo\xEB Marchetti", "Ann and Bo", "Mo", "Belt"}},
  };
  for (const Case& c : cases) {
    Index(c.index);
    UpdatePictureMarks(w);
    std::vector<std::string> missing;
    for (const MissingEntity& m : EntitiesWithoutPictures(db, db.imageIndex))
      missing.emplace_back(m.name);
    EXPECT_EQ(MarkedEntities(), missing) << c.index;
    EXPECT_EQ(MarkedEntities(), c.marked) << c.index;
  }
  // Aliases share their wrestler's mark; roots and groups count in their tips.
  EXPECT_TRUE(w.marks.Missing(Node({"Wrestlers", "C", "Cy", "Cyrus"})));
  EXPECT_FALSE(w.marks.Missing(Node({"Wrestlers", "A", "Ace Harmon", "The Ace"})));
  EXPECT_EQ(w.shownTree.Tip(Node({"Wrestlers"})), "4 of 5 without a picture");
  EXPECT_EQ(w.shownTree.Tip(Node({"Wrestlers", "A"})), "1 of 2 without a picture");
  EXPECT_EQ(w.shownTree.Tip(Node({"Titles"})), "1 of 1 without a picture");
  EXPECT_EQ(w.shownTree.Tip(Node({"Wrestlers", "A", "Ann"})), "Ann");
}

TEST_F(PictureGapsTest, F4WalksTheMissingOnesInTreeOrderAndWraps) {
  std::vector<std::string> walked;
  for (int i = 0; i < 11; ++i) {
    Press(false);
    walked.push_back(win.recordText.Text());
  }
  EXPECT_THAT(walked, ElementsAre("Ace Harmon (Wrestler)", "Ann (Wrestler)", "Cy (Wrestler)",
                                  "Zo\xEB Marchetti (Wrestler)", "Ann and Bo (Tag Team)",
                                  "The Pair (Tag Team)", "Clan (Stable)", "Mo (Manager)",
                                  "The Ace (Manager)", "Belt (Title)", "Ace Harmon (Wrestler)"));
  EXPECT_TRUE(win.itemsTree.IsExpanded(Node({"Wrestlers", "A"})));
  Press(true);
  EXPECT_EQ(win.recordText.Text(), "Belt (Title)");
  // From an alias or an entity with a picture: the next one after it.
  SelectNodeAt(Node({"Wrestlers", "A", "Ace Harmon", "The Ace"}));
  Press(false);
  EXPECT_EQ(win.recordText.Text(), "Ann (Wrestler)");
  SelectNodeAt(Node({"Wrestlers", "B", "Bo"}));
  Press(true);
  EXPECT_EQ(win.recordText.Text(), "Ann (Wrestler)");
  EXPECT_EQ(win.indexLineText.Text(), "Ann");
  EXPECT_TRUE(win.itemsTree.Notes().empty());

  // Nothing missing: a note, and the selection stays.
  Index(
      "Ace Harmon\r\na\r\nAnn\r\nb\r\nBo\r\nc\r\nCy\r\nd\r\nZo\xEB Marchetti\r\ne\r\nAnn and "
      "Bo\r\nf\r\nThe Pair (Ann/Bo)\r\ng\r\nClan (Bo)\r\nh\r\nMo\r\ni\r\nThe Ace\r\nj\r\nBelt\r\nk\r\n");
  UpdatePictureMarks(w);
  Press(false);
  EXPECT_THAT(win.itemsTree.Notes(), ElementsAre(std::string(kNothingMissingNote)));
  EXPECT_EQ(win.recordText.Text(), "Ann (Wrestler)");
}

TEST_F(PictureGapsTest, TheFilterShowsOnlyTheMissingOnesAndKeepsTheSelection) {
  Index("Ann\r\nann.jpg\r\nMo\r\nmo.jpg\r\n");
  UpdatePictureMarks(w);
  const std::vector<std::string> whole = Shown();
  const NodeHandle ann = Node({"Wrestlers", "A", "Ann"});
  SelectNodeAt(ann);
  ShowOnlyMissing(w, true);
  EXPECT_THAT(Shown(), ElementsAre("Wrestlers", "  A", "    Ace Harmon*", "      Ace Harmon*",
                                   "      The Ace*", "    Ann", "  B", "    Bo*", "  C", "    Cy*",
                                   "      Cy*", "      Cyrus*", "  Z", "    Zo\xEB Marchetti*", "Tag Teams",
                                   "  A", "    Ann and Bo*", "  T", "    The Pair*", "Stables",
                                   "  C", "    Clan*", "Managers", "  T", "    The Ace*",
                                   "Titles", "  Belt*"));
  EXPECT_EQ(win.itemsTree.Selection(), ann);
  EXPECT_EQ(win.recordText.Text(), "Ann (Wrestler)");
  EXPECT_FALSE(win.itemsTree.UserSelectNode(Node({"Managers", "M", "Mo"})));

  // Attaching to the one selected keeps it shown; moving on and the next change drop it.
  SelectNodeAt(Node({"Wrestlers", "B", "Bo"}));
  Index("Ann\r\nann.jpg\r\nMo\r\nmo.jpg\r\nBo\r\nbo.jpg\r\n");
  UpdatePictureMarks(w);
  EXPECT_THAT(Shown(), ::testing::Contains("    Bo"));
  EXPECT_THAT(Shown(), ::testing::Not(::testing::Contains("    Ann")));
  Press(false);
  EXPECT_EQ(win.recordText.Text(), "Cy (Wrestler)");
  Index("Ann\r\nann.jpg\r\nMo\r\nmo.jpg\r\nBo\r\nbo.jpg\r\nZo\xEB Marchetti\r\nz.jpg\r\n");
  UpdatePictureMarks(w);
  EXPECT_THAT(Shown(), ::testing::Not(::testing::Contains("  B")));

  ToggleOnlyMissing(w);
  EXPECT_FALSE(w.shownTree.Filtered());
  EXPECT_EQ(Shown().size(), whole.size());
  EXPECT_EQ(win.itemsTree.Selection(), Node({"Wrestlers", "C", "Cy"}));
  EXPECT_EQ(win.recordText.Text(), "Cy (Wrestler)");
}

TEST_F(PictureGapsTest, MarksFollowAttachRemoveRekeyAndRefresh) {
  for (const std::string& name : pictures) game.Write("media/" + name, "x");
  ScanStrayImages(w);
  const NodeHandle ann = Node({"Wrestlers", "A", "Ann"});
  const int drawn = win.itemsTree.MarksShown();
  struct Step {
    const char* what;
    std::function<void()> act;
    bool annMissing;
  } steps[] = {
      {"a stray picture double-clicked",
       [&] {
         SelectNodeAt(ann);
         win.strayList.UserClick(win.strayList.FindExact(-1, "belt.jpg"));
         AddStrayImage(w);
       },
       false},
      {"the picture removed",
       [&] {
         messages.answers.push_back(MessageAnswer::Yes);
         win.imagesList.SetCurrent(0);
         RemoveCurrentImage(w);
       },
       true},
      {"a picture from the dialog",
       [&] {
         win.fileDialog.answers.push_back(FileChoice{game / "media", {"bo.jpg"}});
         AddImages(w, "");
       },
       false},
      {"the entry given another key",
       [&] {
         win.showText.SetText("Someone");
         win.matchText.SetText("Else");
         SaveShowMatch(w);
       },
       true},
  };
  int expectedDraws = drawn;
  for (const Step& step : steps) {
    step.act();
    EXPECT_EQ(w.marks.Missing(ann), step.annMissing) << step.what;
    EXPECT_EQ(win.itemsTree.MarksShown(), ++expectedDraws) << step.what;
  }
  // A refresh with nothing changed draws nothing anew.
  HandleEvent(w, MessageKind::Command, id::kRefreshButton, code::kClicked);
  EXPECT_EQ(win.itemsTree.MarksShown(), expectedDraws);
}

}  // namespace
}  // namespace qvm
