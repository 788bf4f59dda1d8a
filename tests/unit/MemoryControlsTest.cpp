#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/MemoryWindow.h"
#include "gamedb/SortedView.h"
#include "platform/MemoryControls.h"
#include "tree/CategoryTree.h"

namespace qvm {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

MemoryListBox ListOf(std::initializer_list<const char*> texts) {
  MemoryListBox list;
  for (const char* t : texts) list.AddString(t);
  return list;
}

TEST(MemoryListBoxTest, AddStringKeepsTheListOrder) {
  MemoryListBox list;
  for (const char* t : {"zed", "\xC9mile", "10 Pound Boys", "!bang", "adam", "\xC4rger", "co-op",
                        "coop", "Bob", "eve"}) {
    list.AddString(t);
  }
  EXPECT_THAT(list.Items(), ElementsAre("!bang", "10 Pound Boys", "adam", "\xC4rger", "Bob", "coop",
                                        "co-op", "\xC9mile", "eve", "zed"));
  EXPECT_EQ(list.AddString("Carl"), 5);
}

TEST(MemoryListBoxTest, CurrentItemIsApartFromTheSelection) {
  MemoryListBox list = ListOf({"Zed", "Al"});
  // A fresh list has its focus on the first item, with nothing selected.
  EXPECT_EQ(list.Current(), 0);
  EXPECT_EQ(list.SelCount(), 0);
  EXPECT_EQ(list.ItemText(-1), "Al");

  // The alias selection: the first entry, then the alias found from the third entry on.
  EXPECT_EQ(list.SetCurrent(0), 0);
  int zed = list.FindExact(1, "zed");
  ASSERT_EQ(zed, 1);
  list.SetCurrent(zed);
  EXPECT_EQ(list.Current(), 1);
  EXPECT_THAT(list.SelItems(10), ElementsAre(0, 1));
  EXPECT_EQ(list.ItemText(-1), "Zed");

  // Deselecting leaves the focus where it is.
  list.SetSel(false, 1);
  EXPECT_EQ(list.Current(), 1);
  EXPECT_THAT(list.SelItems(10), ElementsAre(0));

  // -1 leaves nothing current or selected; a bad index changes nothing.
  EXPECT_EQ(list.SetCurrent(5), -1);
  EXPECT_EQ(list.Current(), 1);
  list.SetCurrent(-1);
  EXPECT_EQ(list.Current(), -1);
  EXPECT_EQ(list.SelCount(), 0);
  EXPECT_EQ(list.ItemText(-1), "");
}

TEST(MemoryListBoxTest, FindExactStartsAfterTheGivenItemAndWraps) {
  MemoryListBox list = ListOf({"Al", "Bo", "al", "Cy", "\xC9lan"});  // Al al Bo Cy Élan
  ASSERT_THAT(list.Items(), ElementsAre("Al", "al", "Bo", "Cy", "\xC9lan"));
  struct Case {
    int start;
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {-1, "AL", 0},     {0, "AL", 1},  {1, "al", 0},      {2, "AL", 0},
      {3, "cy", 3},      {99, "bo", 2}, {0, "Alx", -1},    {0, "A", -1},
      {0, "\xE9lan", 4}, {0, "elan", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(list.FindExact(c.start, c.text), c.expected) << c.start << " " << c.text;
  }
  EXPECT_EQ(MemoryListBox().FindExact(-1, ""), -1);
}

TEST(MemoryListBoxTest, SelectionQueriesAndBadIndexes) {
  MemoryListBox list = ListOf({"a", "b", "c", "d", "e"});
  EXPECT_EQ(list.SetSel(true, -1), 0);
  EXPECT_THAT(list.SelItems(3), ElementsAre(0, 1, 2));
  EXPECT_THAT(list.SelItems(0), IsEmpty());
  list.SetSel(false, 1);
  EXPECT_THAT(list.SelItems(100), ElementsAre(0, 2, 3, 4));
  EXPECT_EQ(list.SetSel(true, 5), -1);
  EXPECT_EQ(list.SelCount(), 4);
  list.SetSel(false, -1);
  EXPECT_EQ(list.SelCount(), 0);

  EXPECT_EQ(list.ItemText(4), "e");
  EXPECT_EQ(list.ItemText(5), "");
  EXPECT_EQ(MemoryListBox().ItemText(-1), "");
}

TEST(MemoryListBoxTest, DeletingMovesTheFocusAlong) {
  MemoryListBox list = ListOf({"a", "b", "c", "d"});
  list.SetCurrent(2);  // c
  // Callers count from 1: the second item is index 1.
  EXPECT_EQ(list.DeleteString(2 - 1), 3);
  EXPECT_THAT(list.Items(), ElementsAre("a", "c", "d"));
  EXPECT_EQ(list.ItemText(-1), "c");
  EXPECT_TRUE(list.IsSelected(1));

  list.DeleteString(1);  // the current item: the next one takes the focus
  EXPECT_EQ(list.ItemText(-1), "d");
  list.DeleteString(1);  // the last one: the focus goes to the new last item
  EXPECT_EQ(list.ItemText(-1), "a");
  EXPECT_EQ(list.DeleteString(3), -1);
  EXPECT_EQ(list.DeleteString(-1), -1);
  list.DeleteString(0);
  EXPECT_EQ(list.Current(), -1);

  list = ListOf({"b", "c"});
  list.SetCurrent(0);
  list.AddString("a");  // inserted before the current item, which keeps the focus
  EXPECT_EQ(list.ItemText(-1), "b");
  list.ResetContent();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Current(), -1);
}

TEST(MemoryListBoxTest, OnlyTheUsersActionsNotify) {
  MemoryListBox list = ListOf({"a", "b", "c", "d"});
  std::vector<int> codes;
  list.SetNotify([&codes](int code) { codes.push_back(code); });
  list.SetCurrent(1);
  list.SetSel(true, -1);
  list.AddString("e");
  list.DeleteString(0);
  list.ResetContent();
  EXPECT_THAT(codes, IsEmpty());

  for (const char* t : {"a", "b", "c", "d", "e"}) list.AddString(t);
  list.UserClick(1);
  EXPECT_THAT(list.SelItems(10), ElementsAre(1));
  list.UserClick(3, MemoryListBox::Modifier::Ctrl);
  EXPECT_THAT(list.SelItems(10), ElementsAre(1, 3));
  list.UserClick(1, MemoryListBox::Modifier::Ctrl);
  EXPECT_THAT(list.SelItems(10), ElementsAre(3));
  EXPECT_EQ(list.Current(), 1);
  list.UserClick(4, MemoryListBox::Modifier::Shift);  // anchor is item 1
  EXPECT_THAT(list.SelItems(10), ElementsAre(1, 2, 3, 4));
  EXPECT_EQ(list.Current(), 4);
  list.UserDoubleClick(0);
  EXPECT_THAT(list.SelItems(10), ElementsAre(0));
  EXPECT_THAT(codes, ElementsAre(1, 1, 1, 1, 1, 2));

  // A disabled or hidden list takes no clicks; nor does an index without an item.
  codes.clear();
  EXPECT_FALSE(list.UserClick(9));
  list.SetEnabled(false);
  EXPECT_FALSE(list.UserClick(2));
  list.SetEnabled(true);
  list.SetVisible(false);
  EXPECT_FALSE(list.UserDoubleClick(2));
  EXPECT_THAT(codes, IsEmpty());
  EXPECT_THAT(list.SelItems(10), ElementsAre(0));
}

TEST(MemoryTreeTest, UserActionsSelectAndNotify) {
  NewPool();
  GameDatabase db;
  db.wrestlers.push_back(Wrestler{PoolString("Al"), {Alias{PoolString("Al")}}});
  PrepareSortedView(db, RecordKind::Wrestler);
  CategoryTree nodes;
  BuildCategoryTree(db, nodes);
  const NodeHandle root = nodes.Root(RecordKind::Wrestler);
  const NodeHandle group = nodes.Children(root)[0];
  const NodeHandle leaf = nodes.Children(group)[0];

  MemoryTree tree;
  EXPECT_FALSE(tree.UserSelectNode(leaf));  // nothing shown yet
  tree.SetNodes(nodes);
  std::vector<int> codes;
  tree.SetNotify([&codes](int code) { codes.push_back(code); });
  EXPECT_EQ(tree.Selection(), 0u);
  EXPECT_TRUE(tree.UserSelectNode(leaf));
  EXPECT_EQ(tree.Selection(), leaf);
  EXPECT_TRUE(tree.UserClickNode(leaf));  // same node: a click only
  EXPECT_TRUE(tree.UserSetExpanded(group, true));
  EXPECT_TRUE(tree.IsExpanded(group));
  EXPECT_EQ(tree.Selection(), leaf);
  // Collapsing an ancestor of the selection moves the selection onto it.
  EXPECT_TRUE(tree.UserSetExpanded(root, false));
  EXPECT_EQ(tree.Selection(), root);
  EXPECT_FALSE(tree.UserSelectNode(0));
  EXPECT_FALSE(tree.UserSelectNode(nodes.NodeCount() + 1));
  EXPECT_THAT(codes, ElementsAre(notify::kTreeSelChanged, notify::kTreeClick,
                                 notify::kTreeItemExpanded, notify::kTreeSelChanged,
                                 notify::kTreeItemExpanded));
  ReleasePool();
}

TEST(MemoryWindowTest, EveryControlByIdAndItsNotifications) {
  MemoryWindow window;
  const int ids[] = {id::kItemsTree,     id::kMembersList,   id::kRecordText,
                     id::kImagesList,    id::kAddImagesButton, id::kIndexLineText,
                     id::kMembersLabel,  id::kRecordLabel,   id::kImagesLabel,
                     id::kIndexLineLabel, id::kExitButton,   id::kImageInfoText,
                     id::kStrayLabel,    id::kStrayList,     id::kRefreshButton,
                     id::kMatchText,     id::kShowText,      id::kShowLabel,
                     id::kMatchLabel,    id::kSaveChangesButton};
  std::vector<Control*> seen;
  for (int controlId : ids) {
    Control* c = window.host.ControlById(controlId);
    ASSERT_NE(c, nullptr) << controlId;
    seen.push_back(c);
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
  EXPECT_EQ(window.host.ControlById(1003), nullptr);
  EXPECT_EQ(window.host.ControlById(id::kRecordText)->Text(), "Control");

  WizardControls c = window.Controls(nullptr);
  EXPECT_EQ(c.strayList, &window.strayList);
  EXPECT_EQ(c.host->ControlById(id::kStrayList), c.strayList);

  std::vector<std::pair<int, int>> events;
  window.SetNotify([&events](int controlId, int code) { events.emplace_back(controlId, code); });
  window.strayList.AddString("x.jpg");
  window.strayList.UserDoubleClick(0);
  window.refreshButton.UserClick();
  window.addImagesButton.SetEnabled(false);
  EXPECT_FALSE(window.addImagesButton.UserClick());
  EXPECT_THAT(events, ElementsAre(std::pair(id::kStrayList, notify::kSelChange),
                                  std::pair(id::kStrayList, notify::kDoubleClick),
                                  std::pair(id::kRefreshButton, notify::kButtonClicked)));
}

}  // namespace
}  // namespace qvm
