#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "gamedb/SortedView.h"
#include "tree/CategoryTree.h"
#include "tests/unit/PoolTest.h"

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

class CategoryTreeTest : public test::PoolTest {
 protected:

  // A wrestler with its aliases in loading order (the name alone when none are given).
  void AddWrestler(std::string_view name, std::vector<std::string_view> aliases = {}) {
    Wrestler w;
    w.name = PoolString(name);
    if (aliases.empty()) aliases.push_back(name);
    for (std::string_view a : aliases) w.aliases.push_back(Alias{PoolString(a)});
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

  // The tree as lines: two spaces per level below the roots; with `data`, each node's role,
  // kind and record as well.
  std::vector<std::string> Listing(NodeHandle parent = 0, int depth = 0, bool data = false) const {
    std::vector<std::string> lines;
    for (NodeHandle n : tree.Children(parent)) {
      std::string line = std::string(2 * depth, ' ') + std::string(tree.Text(n));
      if (data) line += Data(*tree.Find(n));
      lines.push_back(line);
      for (std::string& below : Listing(n, depth + 1, data)) lines.push_back(std::move(below));
    }
    return lines;
  }
  std::vector<std::string> ListingOf(RecordKind kind) const { return Listing(tree.Root(kind)); }

  static std::string Data(const TreeNode& node) {
    const char* roles[] = {"root", "group", "entity", "alias"};
    std::string text = std::string(" | ") + roles[static_cast<int>(node.role)] + " " +
                       std::to_string(static_cast<int>(node.kind));
    if (node.record) text += " #" + std::to_string(node.record);
    if (node.alias) text += "." + std::to_string(node.alias);
    return text;
  }

  GameDatabase db;
  CategoryTree tree;
};

TEST_F(CategoryTreeTest, EmptyKindsGiveBareRoots) {
  Build();
  EXPECT_THAT(Listing(), ElementsAre("Wrestlers", "Tag Teams", "Stables", "Managers", "Titles"));
  for (RecordKind kind : kRecordKinds) {
    NodeHandle root = tree.Root(kind);
    EXPECT_EQ(tree.Text(root), Listing()[KindSlot(kind)]);
    EXPECT_FALSE(tree.HasChildren(root));
  }
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
  EXPECT_EQ(db.wrestlers[0].aliases[0].text, "Al");  // sorted in place; the name stays
  EXPECT_EQ(db.wrestlers[0].name, "Zed");
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
}

// What the selection reads of each node: its role, its kind and the record it shows.
TEST_F(CategoryTreeTest, NodesKnowTheirRoleAndRecord) {
  AddWrestler("Zed", {"Zed", "Al"});
  AddWrestler("adam");
  AddNamed(db.teams, "Ann and Bo");
  AddNamed(db.stables, "Clan");
  AddNamed(db.managers, "Max");
  AddNamed(db.titles, "Belt");
  AddNamed(db.titles, "Award");
  Build();
  EXPECT_THAT(
      Listing(0, 0, true),
      ElementsAre("Wrestlers | root 1", "  A | group 1", "    adam | entity 1 #2", "  Z | group 1",
                  "    Zed | entity 1 #1", "      Al | alias 1 #1.1", "      Zed | alias 1 #1.2",
                  "Tag Teams | root 2", "  A | group 2", "    Ann and Bo | entity 2 #1",
                  "Stables | root 3", "  C | group 3", "    Clan | entity 3 #1",
                  "Managers | root 4", "  M | group 4", "    Max | entity 4 #1", "Titles | root 5",
                  "  Award | entity 5 #2", "  Belt | entity 5 #1"));
  // Parents, rows and children agree; unknown handles read as nothing.
  for (NodeHandle n = 1; n <= tree.NodeCount(); ++n) {
    std::span<const NodeHandle> siblings = tree.Children(tree.Parent(n));
    ASSERT_LT(static_cast<std::size_t>(tree.Row(n)), siblings.size());
    EXPECT_EQ(siblings[static_cast<std::size_t>(tree.Row(n))], n);
  }
  for (NodeHandle unknown : {NodeHandle{0}, NodeHandle{tree.NodeCount() + 1}}) {
    EXPECT_EQ(tree.Find(unknown), nullptr);
    EXPECT_EQ(tree.Text(unknown), "");
    EXPECT_EQ(tree.Row(unknown), -1);
    EXPECT_EQ(NodeText(tree, unknown), "");
  }
  EXPECT_TRUE(tree.Children(tree.NodeCount() + 1).empty());
}

// The selection reads at most 255 bytes of a text; the tree keeps it whole.
TEST_F(CategoryTreeTest, LongNamesAreKeptWhole) {
  AddNamed(db.managers, std::string(300, 'm'));
  Build();
  NodeHandle node = tree.Children(tree.Children(tree.Root(RecordKind::Manager))[0])[0];
  EXPECT_EQ(tree.Text(node).size(), 300u);
  EXPECT_EQ(NodeText(tree, node), std::string(255, 'm'));
  EXPECT_EQ(RecordOf(tree, node, RecordKind::Manager), 1);
  EXPECT_EQ(RecordOf(tree, node, RecordKind::Title), 0);
}

}  // namespace
}  // namespace qvm
