#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingMessageBox.h"
#include "TestFolder.h"
#include "app/Dispatch.h"
#include "app/ImageList.h"
#include "app/MemoryWindow.h"
#include "app/Selection.h"
#include "gamedb/SortedView.h"
#include "tests/support/TestDatabase.h"
#include "tests/unit/WindowFixture.h"
#include "tests/support/TreePath.h"
#include "tree/Keys.h"

namespace qvm {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<int> Selected(const MemoryListBox& list) { return list.SelItems(1000); }

// A small game: Zed (aliases Zed and Al), Ann, Bo, Cy (aliases Cy and Cyrus), Max (three
// names that differ only in case); teams "Ann and Bo", "The Pair" (Ann, Bo), "Xa And Yo" (Xa,
// Yo); the stable Clan of Ann, Bo and Cy; the manager Mo; the title Belt.
class SelectionTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    AddWrestler("Zed", {"Zed", "Al"});
    AddWrestler("Ann", {"Ann"});
    AddWrestler("Bo", {"Bo"});
    AddWrestler("Cy", {"Cy", "Cyrus"});
    AddWrestler("Max", {"Max", "MAX", "max"});
    AddTeam("Ann and Bo", "Ann", "Bo");
    AddTeam("The Pair", "Ann", "Bo");
    AddTeam("Xa And Yo", "Xa", "Yo");
    db.stables.push_back(Stable{PoolString("Clan"), {2, 3, 4}});
    db.managers.push_back(Manager{PoolString("Mo")});
    db.titles.push_back(Title{PoolString("Belt")});
    Entry("Al", {"al.jpg"});
    Entry("zed", {"zed2.jpg", "zed1.jpg"});
    Entry("Ann and Bo", {"annbo.jpg"});
    Entry("The Pair (Ann/Bo)", {"pair.jpg"});
    Entry("Xa And Yo (Xa/Yo)", {"xy.jpg"});
    Entry("Clan (Ann/Bo)", {"clan.jpg"});
    Entry("Mo", {"mo.jpg"});
    Entry("Belt", {"belt.jpg"});
    test::PrepareSortedViews(db);
    ShowCategoryTree(w);
  }

  void AddWrestler(std::string_view name, std::vector<std::string_view> aliases) {
    test::AddWrestler(db, name, aliases);
  }
  void AddTeam(std::string_view name, std::string_view m1, std::string_view m2) {
    db.teams.push_back(Team{PoolString(m1), PoolString(m2), PoolString(name)});
  }
  void Entry(std::string_view key, std::vector<std::string_view> images) {
    int e = db.imageIndex.AppendEntry(key);
    for (std::string_view i : images) db.imageIndex.AddImage(e, i);
  }

  // The node reached by the texts from the top, e.g. {"Wrestlers", "Z", "Zed"}.
  NodeHandle Node(const std::vector<std::string_view>& path) const {
    const NodeHandle node = test::NodeAtPath(w.tree, path);
    EXPECT_NE(node, 0u) << path.back();
    return node;
  }
  void Select(std::vector<std::string_view> path) {
    window.itemsTree.UserSelectNode(Node(path));
    SelectNode(w);
  }
};

TEST_F(SelectionTest, CategoryAndGroupNodesResetTheView) {
  struct Case {
    std::vector<std::string_view> path;
    const char* recordText;
  };
  const Case cases[] = {
      {{"Wrestlers"}, "Wrestlers (Category)"}, {{"Wrestlers", "Z"}, "Z (Group)"},
      {{"Tag Teams", "T"}, "T (Group)"},       {{"Stables", "C"}, "C (Group)"},
      {{"Managers", "M"}, "M (Group)"},        {{"Titles"}, "Titles (Category)"},
  };
  for (const Case& c : cases) {
    Select({"Wrestlers", "Z", "Zed"});
    ASSERT_EQ(window.membersList.Count(), 2);
    window.imageInfoText.SetText("report");
    Select(c.path);
    EXPECT_EQ(window.recordText.Text(), c.recordText);
    EXPECT_EQ(window.membersList.Count(), 0) << c.recordText;
    EXPECT_EQ(window.imagesList.Count(), 0) << c.recordText;
    EXPECT_EQ(window.indexLineText.Text(), "") << c.recordText;
    EXPECT_EQ(window.imageInfoText.Text(), "") << c.recordText;
    EXPECT_FALSE(window.addImagesButton.IsEnabled()) << c.recordText;
    EXPECT_EQ(w.currentRecordKind, RecordKind::Wrestler) << c.recordText;  // kept
  }
  EXPECT_THAT(messages.texts, IsEmpty());
}

TEST_F(SelectionTest, FirstSelectionShowsTheMembersPanel) {
  for (MemoryControl* c : {&window.showText, &window.matchText, &window.showLabel,
                           &window.matchLabel, &window.saveChangesButton}) {
    ASSERT_TRUE(c->IsVisible());
  }
  window.membersList.SetVisible(false);
  window.membersLabel.SetVisible(false);
  Select({"Titles", "Belt"});
  for (MemoryControl* c : {&window.showText, &window.matchText, &window.showLabel,
                           &window.matchLabel, &window.saveChangesButton}) {
    EXPECT_FALSE(c->IsVisible());
  }
  EXPECT_TRUE(window.membersList.IsVisible());
  EXPECT_TRUE(window.membersLabel.IsVisible());
}

TEST_F(SelectionTest, RepeatedNotificationForTheSameNodeChangesNothing) {
  Select({"Wrestlers", "Z", "Zed"});
  window.membersList.UserClick(1);  // the user picks Zed; no dispatch runs here
  window.recordText.SetText("untouched");
  window.itemsTree.UserClickNode(Node({"Wrestlers", "Z", "Zed"}));
  SelectNode(w);
  window.itemsTree.UserSetExpanded(Node({"Wrestlers", "Z", "Zed"}), true);
  SelectNode(w);
  EXPECT_THAT(Selected(window.membersList), ElementsAre(1));
  EXPECT_EQ(window.membersList.Current(), 1);
  EXPECT_EQ(window.recordText.Text(), "untouched");
  EXPECT_THAT(window.imagesList.Items(), ElementsAre("al.jpg"));
}

TEST_F(SelectionTest, WrestlerListsItsAliasesAndTheFirstOnesImages) {
  Select({"Wrestlers", "Z", "Zed"});
  EXPECT_THAT(window.membersList.Items(), ElementsAre("Al", "Zed"));
  EXPECT_THAT(Selected(window.membersList), ElementsAre(0));
  EXPECT_EQ(window.membersList.Current(), 0);
  EXPECT_THAT(window.imagesList.Items(), ElementsAre("al.jpg"));
  EXPECT_EQ(window.imagesList.Current(), 0);
  EXPECT_EQ(window.indexLineText.Text(), "Zed");
  EXPECT_EQ(window.recordText.Text(), "Zed (Wrestler)");
  EXPECT_TRUE(window.addImagesButton.IsEnabled());
  EXPECT_EQ(w.currentRecordKind, RecordKind::Wrestler);
  EXPECT_EQ(w.currentName, "Zed");
  EXPECT_EQ(w.lastTreeItem, Node({"Wrestlers", "Z", "Zed"}));
}

TEST_F(SelectionTest, AliasNodeSelectsItsEntryToo) {
  struct Case {
    const char* alias;
    std::vector<int> selected;
    int current;
    std::vector<std::string> images;
    const char* indexLine;
  };
  const Case cases[] = {
      {"Zed", {0, 1}, 1, {"zed1.jpg", "zed2.jpg"}, "Zed"},
      {"Al", {0}, 0, {"al.jpg"}, "Al"},
  };
  for (const Case& c : cases) {
    Select({"Titles", "Belt"});  // elsewhere first, so the alias node is a change
    Select({"Wrestlers", "Z", "Zed", c.alias});
    EXPECT_THAT(window.membersList.Items(), ElementsAre("Al", "Zed")) << c.alias;
    EXPECT_EQ(Selected(window.membersList), c.selected) << c.alias;
    EXPECT_EQ(window.membersList.Current(), c.current) << c.alias;
    EXPECT_EQ(window.imagesList.Items(), c.images) << c.alias;
    EXPECT_EQ(window.indexLineText.Text(), c.indexLine) << c.alias;
    EXPECT_EQ(window.recordText.Text(), std::string(c.alias) + " (Alias)");
    EXPECT_TRUE(window.addImagesButton.IsEnabled());
    EXPECT_EQ(w.currentRecordKind, RecordKind::Wrestler);
  }
}

// The alias is searched from the third entry on, so among names that differ only in case the
// third is found first, whichever alias node was chosen.
TEST_F(SelectionTest, AliasSearchStartsAtTheThirdEntry) {
  for (std::string_view alias : {"Max", "MAX", "max"}) {
    Select({"Titles", "Belt"});
    Select({"Wrestlers", "M", "Max", alias});
    EXPECT_THAT(Selected(window.membersList), ElementsAre(0, 2)) << alias;
    EXPECT_EQ(window.membersList.Current(), 2) << alias;
    EXPECT_EQ(window.indexLineText.Text(), window.membersList.ItemText(2)) << alias;
  }
}

TEST_F(SelectionTest, TeamKeyNamesMembersOnlyWithoutAnd) {
  struct Case {
    std::vector<std::string_view> path;
    std::vector<std::string> members;
    const char* key;
    std::vector<std::string> images;
  };
  const Case cases[] = {
      {{"Tag Teams", "A", "Ann and Bo"}, {}, "Ann and Bo", {"annbo.jpg"}},
      {{"Tag Teams", "T", "The Pair"}, {"Ann", "Bo"}, "The Pair (Ann/Bo)", {"pair.jpg"}},
      // " and " is searched with its exact case.
      {{"Tag Teams", "X", "Xa And Yo"}, {"Xa", "Yo"}, "Xa And Yo (Xa/Yo)", {"xy.jpg"}},
  };
  for (const Case& c : cases) {
    Select({"Stables", "C", "Clan"});
    Select(c.path);
    EXPECT_EQ(window.membersList.Items(), c.members) << c.key;
    EXPECT_EQ(window.membersList.SelCount(), 0) << c.key;
    EXPECT_EQ(window.indexLineText.Text(), c.key);
    EXPECT_EQ(window.imagesList.Items(), c.images) << c.key;
    EXPECT_EQ(window.recordText.Text(), std::string(c.path.back()) + " (Tag Team)");
    EXPECT_EQ(w.currentRecordKind, RecordKind::TagTeam);
    EXPECT_EQ(w.currentName, "Clan");  // a team leaves it
  }
}

TEST_F(SelectionTest, StableKeepsThePreviousImagesUntilMembersArePicked) {
  Select({"Wrestlers", "Z", "Zed"});
  Select({"Stables", "C", "Clan"});
  EXPECT_THAT(window.membersList.Items(), ElementsAre("Ann", "Bo", "Cy", "Cyrus"));
  EXPECT_EQ(window.membersList.SelCount(), 0);
  EXPECT_THAT(window.imagesList.Items(), ElementsAre("al.jpg"));
  EXPECT_EQ(window.indexLineText.Text(), "Clan");
  EXPECT_EQ(window.recordText.Text(), "Clan (Stable)");
  EXPECT_FALSE(window.addImagesButton.IsEnabled());
  EXPECT_EQ(w.currentRecordKind, RecordKind::Stable);
  EXPECT_EQ(w.currentName, "Clan");

  window.membersList.UserClick(1);
  window.membersList.UserClick(0, MemoryListBox::Modifier::Ctrl);
  HandleEvent(w, MessageKind::Command, id::kMembersList, code::kSelChange);
  EXPECT_EQ(window.indexLineText.Text(), "Clan (Ann/Bo)");
  EXPECT_THAT(window.imagesList.Items(), ElementsAre("clan.jpg"));
  EXPECT_TRUE(window.addImagesButton.IsEnabled());
}

TEST_F(SelectionTest, ManagerAndTitleListTheirNameSelected) {
  struct Case {
    std::vector<std::string_view> path;
    const char* name;
    const char* recordText;
    RecordKind kind;
  };
  const Case cases[] = {
      {{"Managers", "M", "Mo"}, "Mo", "Mo (Manager)", RecordKind::Manager},
      {{"Titles", "Belt"}, "Belt", "Belt (Title)", RecordKind::Title},
  };
  for (const Case& c : cases) {
    Select({"Stables", "C", "Clan"});
    Select(c.path);
    EXPECT_THAT(window.membersList.Items(), ElementsAre(c.name));
    EXPECT_THAT(Selected(window.membersList), ElementsAre(0));
    EXPECT_EQ(window.indexLineText.Text(), c.name);
    EXPECT_EQ(window.imagesList.Count(), 1);
    EXPECT_EQ(window.recordText.Text(), c.recordText);
    EXPECT_TRUE(window.addImagesButton.IsEnabled());
    EXPECT_EQ(w.currentRecordKind, c.kind);
    EXPECT_EQ(w.currentName, c.name);
  }
}

// A node whose record number lies beyond its table (the table shrank after the tree was built).
TEST_F(SelectionTest, NodeWithoutRecordSaysSoAndKeepsTheState) {
  struct Case {
    std::vector<std::string_view> path;
    void (*shrink)(GameDatabase&);  // drops the node's record
    const char* recordText;
  };
  const Case cases[] = {
      {{"Managers", "M", "Mo"}, [](GameDatabase& d) { d.managers.clear(); }, "Mo (Manager)"},
      {{"Titles", "Belt"}, [](GameDatabase& d) { d.titles.clear(); }, "Belt (Title)"},
      {{"Tag Teams", "T", "The Pair"},
       [](GameDatabase& d) { d.teams.resize(1); },
       "The Pair (Tag Team)"},
      {{"Stables", "C", "Clan"}, [](GameDatabase& d) { d.stables.clear(); }, "Clan (Stable)"},
      {{"Wrestlers", "B", "Bo"}, [](GameDatabase& d) { d.wrestlers.resize(2); }, "Bo (Wrestler)"},
      {{"Wrestlers", "Z", "Zed", "Al"}, [](GameDatabase& d) { d.wrestlers.clear(); }, "Al (Alias)"},
  };
  for (const Case& c : cases) {
    messages.texts.clear();
    Select({"Wrestlers", "C", "Cy"});
    const GameDatabase full = db;
    c.shrink(db);
    Select(c.path);
    db = full;
    EXPECT_THAT(messages.texts, ElementsAre("Node not found!")) << c.recordText;
    EXPECT_EQ(window.membersList.Count(), 0) << c.recordText;
    EXPECT_THAT(window.imagesList.Items(), ElementsAre()) << c.recordText;  // Cy has none
    EXPECT_EQ(window.indexLineText.Text(), "Cy") << c.recordText;
    EXPECT_EQ(w.currentRecordKind, RecordKind::Wrestler) << c.recordText;
    EXPECT_EQ(w.currentName, "Cy") << c.recordText;
    EXPECT_EQ(window.recordText.Text(), c.recordText);
  }
}

// Each handler finds only its own kind's records: another kind's node is not found.
TEST_F(SelectionTest, HandlersRefuseNodesOfAnotherKind) {
  const NodeHandle title = Node({"Titles", "Belt"});
  const NodeHandle mo = Node({"Managers", "M", "Mo"});
  SelectWrestler(w, title);
  SelectTeam(w, mo);
  SelectStable(w, title);
  SelectManager(w, Node({"Managers", "M"}));
  SelectTitle(w, mo);
  SelectAlias(w, "Zed", Node({"Wrestlers", "Z", "Zed", "Zed"}));
  EXPECT_EQ(messages.texts, std::vector<std::string>(6, "Node not found!"));
  EXPECT_EQ(w.currentRecordKind, RecordKind::None);
}

// The preview that a selection starts advises for the record just selected, also when
// another kind was selected before.
TEST_F(SelectionTest, FirstPreviewAdvisesForTheNewRecordsKind) {
  game.Write("media/al.jpg", "x");
  game.Write("media/mo.jpg", "x");
  window.imaging.SetImageSize("al.jpg", 400, 500);
  window.imaging.SetImageSize("mo.jpg", 640, 480);
  Select({"Tag Teams", "T", "The Pair"});
  Select({"Wrestlers", "Z", "Zed"});
  EXPECT_EQ(window.imageInfoText.Text(),
            "Image Width: \t400\r\nImage Height: \t500\r\nAspect Ratio: \t.8\r\n"
            "Aspect ratio is perfectly  ok.");
  Select({"Managers", "M", "Mo"});
  EXPECT_EQ(window.imageInfoText.Text(),
            "Image Width: \t640\r\nImage Height: \t480\r\nAspect Ratio: \t1.33");
}

TEST_F(SelectionTest, MembersSelectionChangeActsOnlyForWrestlersAndStables) {
  Select({"Wrestlers", "Z", "Zed"});
  window.membersList.UserClick(1);
  HandleEvent(w, MessageKind::Command, id::kMembersList, code::kSelChange);
  EXPECT_EQ(window.indexLineText.Text(), "Zed");
  EXPECT_THAT(window.imagesList.Items(), ElementsAre("zed1.jpg", "zed2.jpg"));

  for (std::vector<std::string_view> path :
       {std::vector<std::string_view>{"Tag Teams", "T", "The Pair"},
        std::vector<std::string_view>{"Managers", "M", "Mo"},
        std::vector<std::string_view>{"Titles", "Belt"}}) {
    Select(path);
    const std::string key = window.indexLineText.Text();
    const auto images = window.imagesList.Items();
    window.membersList.UserClick(0);
    HandleEvent(w, MessageKind::Command, id::kMembersList, code::kSelChange);
    EXPECT_EQ(window.indexLineText.Text(), key);
    EXPECT_EQ(window.imagesList.Items(), images);
  }
}

// Keys composed from the MembersList, looked up trimmed and without regard to case.
class KeysTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    int e = db.imageIndex.AppendEntry("Clan (Al/Bo)");
    db.imageIndex.AddImage(e, "clan.jpg");
    w.currentName = "Clan";
    w.currentRecordKind = RecordKind::Stable;
  }

  std::string StableKey(const std::vector<std::string>& members, const std::vector<int>& picks) {
    window.membersList.ResetContent();
    for (const std::string& m : members) window.membersList.AddString(m);
    for (int i : picks) window.membersList.SetSel(true, i);
    window.addImagesButton.SetEnabled(false);
    PickStableMembers(w);
    EXPECT_TRUE(window.addImagesButton.IsEnabled());
    return window.indexLineText.Text();
  }
};

TEST_F(KeysTest, StableKeyFromSelectedMembersInListOrder) {
  EXPECT_EQ(StableKey({"Bo", "Al", "Cy"}, {1, 0}), "Clan (Al/Bo)");
  EXPECT_THAT(window.imagesList.Items(), ElementsAre("clan.jpg"));
  EXPECT_EQ(StableKey({"Al", "Bo", "Cy"}, {}), "Clan ()");
  EXPECT_EQ(window.imagesList.Count(), 0);
  EXPECT_EQ(StableKey({"Al", "Bo/"}, {0, 1}), "Clan (Al/Bo)");  // every trailing "/" goes
  EXPECT_EQ(StableKey({"Al//", "Bo"}, {0, 1}), "Clan (Al///Bo)");
  EXPECT_EQ(StableKey({"/"}, {0}), "Clan ()");

  std::vector<std::string> many;
  std::vector<int> all;
  std::string first100 = "Clan (";
  for (int i = 0; i < 120; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "M%03d", i);
    many.push_back(name);
    all.push_back(i);
    if (i < 100) first100 += std::string(name) + (i < 99 ? "/" : ")");
  }
  EXPECT_EQ(StableKey(many, all), first100);
}

TEST_F(KeysTest, LookupTrimsSpacesAndIgnoresCaseWhileTheKeyLineKeepsTheText) {
  struct Case {
    const char* key;
    bool found;
  };
  const Case cases[] = {
      {"Clan (Al/Bo)", true},  {"  Clan (Al/Bo)  ", true}, {"CLAN (AL/BO)", true},
      {"clan (al/bo) ", true}, {"\tClan (Al/Bo)", false},  {"Clan (Al/Bo) x", false},
      {"Clan(Al/Bo)", false},
  };
  for (const Case& c : cases) {
    ShowImagesForKey(w, c.key);
    EXPECT_EQ(window.indexLineText.Text(), c.key);
    EXPECT_EQ(window.imagesList.Count(), c.found ? 1 : 0) << c.key;
    EXPECT_EQ(window.imagesList.Current(), c.found ? 0 : -1) << c.key;
  }
  EXPECT_THAT(messages.texts, IsEmpty());
}

}  // namespace
}  // namespace qvm
