#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include "app/qt/MainWindow.h"
#include "app/qt/TreeFindBar.h"
#include "gamedb/SortedView.h"
#include "tests/unit/TestFolder.h"
#include "tests/support/TestDatabase.h"
#include "tests/unit/PoolTest.h"

namespace qvm {
namespace {

class TreeFindBarTest : public test::PoolTest {
 protected:
  void SetUp() override {
    PoolTest::SetUp();
    for (std::vector<std::string_view> names :
         {std::vector<std::string_view>{"Zo\xEB Kane"}, {"Andre", "ANDR\xC9 THE GIANT"}, {"Bob"}})
      test::AddWrestler(db, names.front(), names);
    db.titles.push_back({PoolString("Zoo Title")});
    test::PrepareSortedViews(db);
  }
  test::GameFolder game;
  const GamePaths paths = game.Paths();
  GameDatabase db;
};

TEST_F(TreeFindBarTest, CtrlFOpensAndEnterAndF3WalkTheMatchesAsClicksWould) {
  MainWindow window(SystemOs(), paths, db);
  int treeNotifications = 0;
  window.SetEventObserver([&](MessageKind kind, int id, int) {
    if (kind == MessageKind::Notify && id == id::kItemsTree) ++treeNotifications;
  });
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  auto* view = static_cast<QTreeView*>(window.WidgetById(id::kItemsTree));
  auto current = [&] {
    return std::string(window.wizard().tree.Text(TreeModel::HandleOf(view->currentIndex())));
  };
  QRect treeRect = view->geometry();

  // Ctrl+F opens the field; typing there finds.
  view->setFocus();
  QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
  TreeFindBar& bar = window.FindBar();
  ASSERT_TRUE(bar.isVisible());
  EXPECT_TRUE(treeRect.contains(bar.geometry()));
  treeNotifications = 0;
  QTest::keyClicks(&bar, "zo");
  EXPECT_EQ(current(), "Zo\xEB Kane");
  EXPECT_GT(treeNotifications, 0);  // the selection ran as for a click
  EXPECT_TRUE(view->isExpanded(view->currentIndex().parent()));

  QTest::keyClick(&bar, Qt::Key_Return);
  EXPECT_EQ(current(), "Zoo Title");
  QTest::keyClick(&bar, Qt::Key_F3);
  EXPECT_EQ(current(), "Zo\xEB Kane");  // wrapped around
  QTest::keyClick(&bar, Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(current(), "Zoo Title");

  // Accents and case do not matter; category and group nodes never match.
  bar.clear();
  QTest::keyClicks(&bar, "andr");
  QKeyEvent accent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                   QString::fromUtf8("\xC3\xA9"));
  QApplication::sendEvent(&bar, &accent);  // typed with the accent
  QTest::keyClicks(&bar, " the");
  EXPECT_EQ(current(), "ANDR\xC9 THE GIANT");
  bar.setText("Wrestlers");
  EXPECT_FALSE(bar.FindNext(false));
  EXPECT_EQ(current(), "ANDR\xC9 THE GIANT");

  QTest::keyClick(&bar, Qt::Key_Escape);
  EXPECT_FALSE(bar.isVisible());
  EXPECT_EQ(view->geometry(), treeRect);

  // F3 in the tree opens it again and goes on with what was looked for last.
  bar.setText("zo");
  QTest::keyClick(&bar, Qt::Key_Escape);
  QTest::keyClick(view, Qt::Key_F3);
  EXPECT_TRUE(bar.isVisible());
  EXPECT_EQ(current(), "Zo\xEB Kane");
  EXPECT_EQ(QApplication::focusWidget(), &bar);
}

}  // namespace
}  // namespace qvm
