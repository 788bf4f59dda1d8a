// A small game in a window in memory: a few of every kind of entity, some with pictures, and
// stray pictures named after them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/Selection.h"
#include "gamedb/SortedView.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/TreePath.h"
#include "tests/unit/ImageOpsFixture.h"

namespace qvm::test {

// Ace Harmon (also The Ace), Ann, Bo (has a picture), Cy (also Cyrus), Zoë Marchetti; the
// nameless team of Ann and Bo, The Pair (Ann, Bo); the stable Clan (Cy, Ann, Bo and a member
// number outside the table); the managers Mo and The Ace; the title Belt.
class SmallGameTest : public ImageOpsTest {
 protected:
  void SetUp() override {
    ImageOpsTest::SetUp();
    const struct {
      std::string_view name;
      std::vector<std::string_view> aliases;
    } wrestlers[] = {{"Ace Harmon", {"Ace Harmon", "The Ace"}},
                     {"Ann", {"Ann"}},
                     {"Bo", {"Bo"}},
                     {"Cy", {"Cyrus", "Cy"}},
                     {"Zo\xEB Marchetti", {"Zo\xEB Marchetti"}}};
    for (const auto& [name, aliases] : wrestlers) AddWrestler(db, name, aliases);
    db.teams.push_back(Team{PoolString("Ann"), PoolString("Bo"), PoolString("Ann and Bo")});
    db.teams.push_back(Team{PoolString("Ann"), PoolString("Bo"), PoolString("The Pair")});
    db.stables.push_back(Stable{PoolString("Clan"), {4, 2, 3, 99}});
    db.managers.push_back(Manager{PoolString("Mo")});
    db.managers.push_back(Manager{PoolString("The Ace")});
    db.titles.push_back(Title{PoolString("Belt")});
    Index("Bo\r\nbo2.jpg\r\n");
    PrepareSortedViews(db);
    ShowCategoryTree(w);
  }

  NodeHandle Node(const std::vector<std::string_view>& path) const {
    const NodeHandle node = NodeAtPath(w.tree, path);
    EXPECT_NE(node, 0u) << path.back();
    return node;
  }
  void SelectNodeAt(NodeHandle node) {
    win.itemsTree.UserSelectNode(node);
    SelectNode(w);
  }

  // "picture: tip" for every item of the StrayList that stands out, in list order.
  std::vector<std::string> Emphasised() const {
    std::vector<std::string> out;
    for (int i = 0; i < win.strayList.Count(); ++i) {
      if (auto tip = win.strayList.EmphasisTip(i))
        out.push_back(win.strayList.ItemText(i) + ": " + *tip);
    }
    return out;
  }

  const std::vector<std::string> pictures = {
      "Ace-Harmon_2.JPG", "ace_harmon.jpg", "ann_and_bo.jpg",   "belt.jpg",
      "bo.jpg",           "clan.jpg",       "mo_alt.jpg",       "the-pair (2).jpg",
      "the_ace.jpg",      "unrelated.jpg",  "zoe_marchetti.bmp"};
};

}  // namespace qvm::test
