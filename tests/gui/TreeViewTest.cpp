// The tree as a desktop tree behaves: typing goes to the next visible node that starts with the
// letters, "+", "-" and "*" open and close branches, a click on blank space changes nothing;
// each change reaches the selection as a click would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <QTest>

#include "app/qt/MainWindow.h"
#include "app/qt/TreeFindBar.h"
#include "gamedb/SortedView.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

class TreeViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NewPool();
    for (const char* name : {"Blaze Corrigan", "Zane Corvo", "Zed"})
      db.wrestlers.push_back({PoolString(name), {{PoolString(name)}}});
    db.titles.push_back({PoolString("Zoo Title")});
    for (int k = 0; k < kKindCount; ++k) PrepareSortedView(db, kRecordKinds[k]);
    window = std::make_unique<MainWindow>(SystemOs(), paths, db);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    view = static_cast<QTreeView*>(window->WidgetById(id::kItemsTree));
  }
  void TearDown() override {
    QApplication::setKeyboardInputInterval(typingInterval);
    window.reset();
    ReleasePool();
  }
  std::string Current() const {
    return std::string(window->wizard().tree.Text(TreeModel::HandleOf(view->currentIndex())));
  }
  std::string Record() const { return window->wizard().c.recordText->Text(); }
  // The current node is the one shown selected, and the one the selection handled last.
  void ExpectShownAndHandled(const std::string& what) const {
    EXPECT_TRUE(view->selectionModel()->isSelected(view->currentIndex())) << what;
    EXPECT_EQ(window->wizard().lastTreeItem, TreeModel::HandleOf(view->currentIndex())) << what;
  }
  QPoint Center(const char* text) const {
    NodeHandle node = 0;
    const CategoryTree& tree = window->wizard().tree;
    for (NodeHandle n = 1; tree.Contains(n); ++n)
      if (tree.Text(n) == text) node = n;
    return view->visualRect(window->Tree().IndexOf(node)).center();
  }

  test::GameFolder game;
  const GamePaths paths = game.Paths();
  GameDatabase db;
  std::unique_ptr<MainWindow> window;
  QTreeView* view = nullptr;
  const int typingInterval = QApplication::keyboardInputInterval();
};

TEST_F(TreeViewTest, TypingAndPlusMinusStarWorkAsInADesktopTree) {
  // A short pause in typing starts a new name; short, so that the test runs quickly.
  QApplication::setKeyboardInputInterval(50);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Center("Wrestlers"));
  struct Step {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* current;
    const char* record;
    bool expanded;  // the current node's branch is open
  } steps[] = {
      {Qt::Key_Plus, Qt::NoModifier, "Wrestlers", "Wrestlers (Category)", true},
      // Starts with, not contains: "Blaze Corrigan" is no match for "z" (and is hidden).
      {Qt::Key_Z, Qt::NoModifier, "Z", "Z (Group)", false},
      {Qt::Key_Asterisk, Qt::KeypadModifier, "Z", "Z (Group)", true},
      {Qt::Key_Z, Qt::NoModifier, "Zane Corvo", "Zane Corvo (Wrestler)", false},
      {Qt::Key_Z, Qt::NoModifier, "Zed", "Zed (Wrestler)", false},
      {Qt::Key_W, Qt::NoModifier, "Wrestlers", "Wrestlers (Category)", true},
      {Qt::Key_Minus, Qt::KeypadModifier, "Wrestlers", "Wrestlers (Category)", false},
      {Qt::Key_Plus, Qt::KeypadModifier, "Wrestlers", "Wrestlers (Category)", true},
      {Qt::Key_Minus, Qt::NoModifier, "Wrestlers", "Wrestlers (Category)", false},
      {Qt::Key_T, Qt::NoModifier, "Tag Teams", "Tag Teams (Category)", false},
      {Qt::Key_Asterisk, Qt::NoModifier, "Tag Teams", "Tag Teams (Category)", false},  // empty
  };
  for (const Step& step : steps) {
    QTest::qWait(100);  // each key starts a name of its own
    QTest::keyClick(view, step.key, step.modifiers);
    std::string what = QKeySequence(step.key).toString().toStdString() + " to " + step.current;
    EXPECT_EQ(Current(), step.current) << what;
    EXPECT_EQ(Record(), step.record) << what;
    QModelIndex current = view->currentIndex();
    EXPECT_EQ(view->isExpanded(current) && view->model()->hasChildren(current), step.expanded)
        << what;
    ExpectShownAndHandled(what);
    EXPECT_FALSE(window->FindBar().isVisible()) << what;
  }
}

TEST_F(TreeViewTest, AClickOnBlankSpaceKeepsTheSelectionShown) {
  view->expandAll();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Center("Zane Corvo"));
  ASSERT_EQ(Record(), "Zane Corvo (Wrestler)");
  const QPoint below(view->viewport()->width() / 2, view->viewport()->height() - 5);
  const QPoint beside(view->viewport()->width() - 5, Center("Zed").y());
  ASSERT_FALSE(view->indexAt(below).isValid());
  ASSERT_FALSE(view->indexAt(beside).isValid());
  struct Gesture {
    const char* what;
    std::function<void()> act;
  } gestures[] = {
      {"click below the nodes",
       [&] { QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, below); }},
      {"click beside a node",
       [&] { QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, beside); }},
      {"double click", [&] { QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, below); }},
      {"drag from blank space over a node",
       [&] {
         QTest::mousePress(view->viewport(), Qt::LeftButton, {}, below);
         QTest::mouseMove(view->viewport(), Center("Zed"));
         QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, Center("Zed"));
       }},
  };
  for (const Gesture& g : gestures) {
    g.act();
    EXPECT_EQ(Current(), "Zane Corvo") << g.what;
    EXPECT_EQ(Record(), "Zane Corvo (Wrestler)") << g.what;
    ExpectShownAndHandled(g.what);
  }
  // A click on a node still selects it.
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Center("Zed"));
  EXPECT_EQ(Record(), "Zed (Wrestler)");
  ExpectShownAndHandled("Zed");
}

}  // namespace
}  // namespace qvm
