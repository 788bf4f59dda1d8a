#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/MemoryWindow.h"
#include "gamedb/SortedView.h"
#include "platform/MemoryControls.h"
#include "tests/support/ListBoxSuite.h"
#include "tree/CategoryTree.h"

namespace qvm {
namespace {

using ::testing::ElementsAre;

class MemoryListBoxDriver : public ListBoxDriver {
 public:
  MemoryListBoxDriver() {
    list_.SetNotify([this](int code) {
      if (code == notify::kSelChange) ++selectionChanges_;
      if (code == notify::kDoubleClick) ++doubleClicks_;
    });
  }
  ListBox& List() override { return list_; }
  void Click(int index, Modifier modifier) override {
    using M = MemoryListBox::Modifier;
    list_.UserClick(index, modifier == Modifier::Ctrl    ? M::Ctrl
                           : modifier == Modifier::Shift ? M::Shift
                                                         : M::None);
  }
  void DoubleClick(int index) override { list_.UserDoubleClick(index); }
  int SelectionChanges() const override { return selectionChanges_; }
  int DoubleClicks() const override { return doubleClicks_; }
  std::optional<std::string> Emphasis(int index) override { return list_.EmphasisTip(index); }

 private:
  MemoryListBox list_;
  int selectionChanges_ = 0;
  int doubleClicks_ = 0;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, ListBoxSuite, MemoryListBoxDriver);

// What the suite leaves to the toolkit, done as the native list box does it.
TEST(MemoryListBoxTest, FocusBeforeItIsSetAndAfterItsItemGoes) {
  MemoryListBox list;
  for (const char* t : {"b", "c", "a"}) list.AddString(t);
  // A fresh list has its focus on the first item, whichever that is, with nothing selected.
  EXPECT_EQ(list.ItemText(-1), "a");
  EXPECT_EQ(list.SelCount(), 0);

  list.AddString("d");
  list.SetCurrent(1);  // b
  list.DeleteString(1);
  EXPECT_EQ(list.ItemText(-1), "c") << "the item that takes its place";
  list.DeleteString(2);
  list.DeleteString(1);
  EXPECT_EQ(list.ItemText(-1), "a") << "the new last item";
}

TEST(MemoryListBoxTest, ClicksNotifyUnlessTheListTakesNoInput) {
  MemoryListBox list;
  for (const char* t : {"a", "b"}) list.AddString(t);
  std::vector<int> codes;
  list.SetNotify([&codes](int code) { codes.push_back(code); });
  EXPECT_TRUE(list.UserClick(1));
  EXPECT_TRUE(list.UserClick(1));  // nothing changes, but a click is a click
  EXPECT_FALSE(list.UserClick(2));
  list.SetEnabled(false);
  EXPECT_FALSE(list.UserClick(0));
  list.SetEnabled(true);
  list.SetVisible(false);
  EXPECT_FALSE(list.UserDoubleClick(0));
  EXPECT_THAT(codes, ElementsAre(notify::kSelChange, notify::kSelChange));
  EXPECT_THAT(list.SelItems(10), ElementsAre(1));
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
