#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gamedb/SortedView.h"
#include "platform/MemoryControls.h"
#include "tree/CategoryTree.h"

namespace qvm {
namespace {

using ::testing::ElementsAre;

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(SortedViewTest, DisplayOrderFoldsOnlyAsciiLetters) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  };
  const Case cases[] = {
      {"adam", "Adam", 0},
      {"adam", "Alice", -1},
      {"bob", "Alice", 1},
      {"10", "Alpha", -1},
      {"a", "_", -1},
      {"Zed",
       "\xE9"
       "clair",
       -1},
      {"\xC9", "\xE9", -1},
      {"Al", "Albert", -1},
      {"", "a", -1},
      {"co-op", "coop", -1},
      {"\xE9", "\xC9", 1},
      {"", "", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sign(CompareDisplayOrder(c.a, c.b)), c.expected) << c.a << " : " << c.b;
    EXPECT_EQ(Sign(CompareDisplayOrder(c.b, c.a)), -c.expected) << c.b << " : " << c.a;
  }
}

class CategoryTreeTest : public ::testing::Test {
 protected:
  void SetUp() override { NewPool(); }
  void TearDown() override { ReleasePool(); }

  // A wrestler with its aliases in loading order (the name alone when none are given).
  void AddWrestler(std::string_view name, std::vector<std::string_view> aliases = {}) {
    Wrestler w;
    w.name = PoolString(name);
    if (aliases.empty()) aliases.push_back(name);
    for (std::string_view a : aliases) w.aliases.push_back(Alias{0, PoolString(a)});
    db.wrestlers.push_back(w);
  }
  template <class Record>
  void AddNamed(std::vector<Record>& table, std::string_view name) {
    Record r;
    r.name = PoolString(name);
    table.push_back(r);
  }

  void Build() {
    for (int k = 0; k < kKindCount; ++k) PrepareSortedView(db, kRecordKinds[k]);
    BuildCategoryTree(db, tree);
  }

  // The tree as lines: two spaces per level below the roots.
  std::vector<std::string> Listing(NodeHandle parent = 0, int depth = 0) const {
    std::vector<std::string> lines;
    for (NodeHandle n = tree.FirstChild(parent); n; n = tree.NextSibling(n)) {
      lines.push_back(std::string(2 * depth, ' ') + std::string(tree.FullText(n)));
      for (std::string& line : Listing(n, depth + 1)) lines.push_back(std::move(line));
    }
    return lines;
  }
  std::vector<std::string> ListingOf(RecordKind kind) const {
    return Listing(db.categoryRoots[KindSlot(kind)], 0);
  }

  GameDatabase db;
  MemoryTree tree;
};

TEST_F(CategoryTreeTest, EmptyKindsGiveBareRoots) {
  Build();
  EXPECT_THAT(Listing(), ElementsAre("Wrestlers", "Tag Teams", "Stables", "Managers", "Titles"));
  for (int k = 0; k < kKindCount; ++k) {
    NodeHandle root = db.categoryRoots[k];
    EXPECT_NE(root, 0u);
    EXPECT_EQ(tree.Parent(root), 0u);
    EXPECT_FALSE(tree.HasChildrenMark(root)) << k;
  }
  EXPECT_EQ(tree.Selection(), 0u);
}

TEST_F(CategoryTreeTest, GroupsByFirstLetterInDisplayOrder) {
  AddWrestler("bob");
  AddWrestler("Alice");
  AddWrestler("adam");
  AddNamed(db.teams, "Alpha");
  AddNamed(db.teams, "10 Pound Boys");
  Build();
  EXPECT_THAT(ListingOf(RecordKind::Wrestler), ElementsAre("A", "  adam", "  Alice", "B", "  bob"));
  EXPECT_THAT(ListingOf(RecordKind::TagTeam), ElementsAre("1", "  10 Pound Boys", "A", "  Alpha"));
  NodeHandle wrestlers = db.categoryRoots[0];
  EXPECT_TRUE(tree.HasChildrenMark(wrestlers));
  EXPECT_TRUE(tree.HasChildrenMark(tree.FirstChild(wrestlers)));
  EXPECT_FALSE(tree.HasChildrenMark(db.wrestlers[0].node));
  // The sorted view holds copies and the record numbers.
  const SortedView& view = db.sortedViews[0];
  EXPECT_THAT(view.records, ElementsAre(3, 2, 1));
  EXPECT_EQ(view.names[2], "bob");
  EXPECT_NE(view.names[2].data(), db.wrestlers[0].name.data());
}

TEST_F(CategoryTreeTest, AccentedLowerCaseNameSortsLastButJoinsItsUpperCaseGroup) {
  AddWrestler(
      "\xE9"
      "clair");  // e acute
  AddWrestler("Zed");
  AddWrestler("\xC9mile");  // E acute
  AddWrestler("Adam");
  AddWrestler("eve");
  Build();
  EXPECT_THAT(ListingOf(RecordKind::Wrestler),
              ElementsAre("A", "  Adam", "E", "  eve", "Z", "  Zed", "\xC9", "  \xC9mile",
                          "  \xE9"
                          "clair"));
}

TEST_F(CategoryTreeTest, AliasNodesOnlyForSeveralAliases) {
  AddWrestler("Zed", {"Zed", "Al"});
  AddWrestler("Solo");
  Build();
  EXPECT_THAT(ListingOf(RecordKind::Wrestler),
              ElementsAre("S", "  Solo", "Z", "  Zed", "    Al", "    Zed"));
  const Wrestler& zed = db.wrestlers[0];
  EXPECT_EQ(zed.name, "Zed");
  EXPECT_EQ(zed.aliases[0].text, "Al");
  EXPECT_EQ(tree.Parent(zed.aliases[0].node), zed.node);
  EXPECT_EQ(NodeText(tree, zed.aliases[1].node), "Zed");
  EXPECT_TRUE(tree.HasChildrenMark(zed.node));
  const Wrestler& solo = db.wrestlers[1];
  EXPECT_EQ(solo.aliases[0].node, 0u);
  EXPECT_FALSE(tree.HasChildrenMark(solo.node));
}

TEST_F(CategoryTreeTest, TitlesAreNeverGrouped) {
  for (int i = 30; i >= 1; --i) AddNamed(db.titles, "Belt " + std::to_string(100 + i));
  Build();
  std::vector<std::string> titles = ListingOf(RecordKind::Title);
  ASSERT_EQ(titles.size(), 30u);
  EXPECT_EQ(titles.front(), "Belt 101");
  EXPECT_EQ(titles.back(), "Belt 130");
  EXPECT_TRUE(std::is_sorted(titles.begin(), titles.end()));
}

// An entity without a name has no first letter: it goes into a group with an empty text,
// first in its category, and can be selected like any other. Each category has its own.
TEST_F(CategoryTreeTest, EmptyNamesStayInTheirOwnCategory) {
  AddWrestler("");
  AddWrestler("Ace");
  AddNamed(db.teams, "");
  AddNamed(db.managers, "Max");
  AddNamed(db.managers, "");
  Build();
  EXPECT_THAT(ListingOf(RecordKind::Wrestler), ElementsAre("", "  ", "A", "  Ace"));
  EXPECT_THAT(ListingOf(RecordKind::TagTeam), ElementsAre("", "  "));
  EXPECT_THAT(ListingOf(RecordKind::Manager), ElementsAre("", "  ", "M", "  Max"));
  EXPECT_EQ(tree.Parent(tree.Parent(db.teams[0].node)), db.categoryRoots[1]);
  EXPECT_EQ(tree.Parent(tree.Parent(db.managers[1].node)), db.categoryRoots[3]);
}

TEST_F(CategoryTreeTest, EveryNodeFieldIsSetAndUnique) {
  AddWrestler("Zed", {"Zed", "Al", "Zee"});
  AddWrestler("adam");
  AddWrestler("Adam");
  AddNamed(db.teams, "Ann and Bo");
  AddNamed(db.stables, "Clan");
  AddNamed(db.managers, "Max");
  AddNamed(db.titles, "Belt");
  AddNamed(db.titles, "Belt");
  Build();
  std::vector<NodeHandle> handles(db.categoryRoots.begin(), db.categoryRoots.end());
  for (const Wrestler& w : db.wrestlers) {
    handles.push_back(w.node);
    if (w.aliases.size() > 1) {
      for (const Alias& a : w.aliases) handles.push_back(a.node);
    }
  }
  for (const Team& t : db.teams) handles.push_back(t.node);
  for (const Stable& s : db.stables) handles.push_back(s.node);
  for (const Manager& m : db.managers) handles.push_back(m.node);
  for (const Title& t : db.titles) handles.push_back(t.node);
  EXPECT_EQ(std::count(handles.begin(), handles.end(), NodeHandle{0}), 0);
  std::sort(handles.begin(), handles.end());
  EXPECT_EQ(std::adjacent_find(handles.begin(), handles.end()), handles.end());
  // Each entity node shows its record's name.
  EXPECT_EQ(NodeText(tree, db.wrestlers[2].node), "Adam");
  EXPECT_EQ(NodeText(tree, db.titles[1].node), "Belt");
  EXPECT_EQ(tree.Parent(db.titles[1].node), db.categoryRoots[4]);
}

}  // namespace
}  // namespace qvm
