#include <gtest/gtest.h>

#include "gamedb/SortedView.h"
#include "tree/CategoryTree.h"
#include "tree/TreeFind.h"
#include "tests/support/TestDatabase.h"
#include "tests/unit/PoolTest.h"

namespace qvm {
namespace {

class TreeFindTest : public test::PoolTest {
 protected:
  void SetUp() override {
    PoolTest::SetUp();
    test::AddWrestler(db, "Zo\xEB Kane", {"Zo\xEB Kane"});  // Zoe with diaeresis
    test::AddWrestler(db, "Andre", {"Andre", "ANDR\xC9 THE GIANT"});  // an alias with E acute
    test::AddWrestler(db, "O'Brien", {"O'Brien"});
    db.teams.push_back({PoolString("Zoe"), PoolString("Kim"), PoolString("Zoe and Kim")});
    db.titles.push_back({PoolString("Zone Title")});
    test::PrepareSortedViews(db);
    BuildCategoryTree(db, tree);
    finder.Build(tree);
  }
  std::string Text(NodeHandle n) { return n ? std::string(tree.Text(n)) : "(none)"; }

  GameDatabase db;
  CategoryTree tree;
  TreeFinder finder;
};

TEST_F(TreeFindTest, MatchesIgnoreCaseAccentsAndApostrophes) {
  struct Case {
    const char* query;
    int count;
    const char* first;
  };
  const Case cases[] = {
      {"zoe", 2, "Zo\xEB Kane"},     // Zoe Kane and the team, not the group Z
      {"ZO\xCB", 2, "Zo\xEB Kane"},  // typed with the accent
      {"andre the", 1, "ANDR\xC9 THE GIANT"},
      {"obrien", 1, "O'Brien"},
      {"title", 1, "Zone Title"},
      {"Wrestlers", 0, "(none)"},  // category and group nodes never match
      {"", 0, "(none)"},
      {"nobody", 0, "(none)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(finder.CountMatches(c.query), c.count) << c.query;
    EXPECT_EQ(Text(finder.Find(c.query, 0, false)), c.first) << c.query;
  }
}

TEST_F(TreeFindTest, NextAndPreviousWrapAroundInDisplayOrder) {
  NodeHandle first = finder.Find("zo", 0, false);
  NodeHandle second = finder.Find("zo", first, false);
  NodeHandle third = finder.Find("zo", second, false);
  EXPECT_EQ(Text(first), "Zo\xEB Kane");
  EXPECT_EQ(Text(second), "Zoe and Kim");
  EXPECT_EQ(Text(third), "Zone Title");
  EXPECT_EQ(finder.Find("zo", third, false), first);  // wraps to the top
  EXPECT_EQ(finder.Find("zo", first, true), third);   // and back to the end
  EXPECT_EQ(finder.Find("zo", 0, true), third);
  NodeHandle only = finder.Find("obrien", 0, false);
  EXPECT_EQ(finder.Find("obrien", only, false), only);
}

}  // namespace
}  // namespace qvm
