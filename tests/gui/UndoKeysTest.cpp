// The window's undo and redo keys and menu entries; a focused text field keeps Ctrl+Z for its
// own text.
#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>

#include "app/ImageOperations.h"
#include "app/qt/MainWindow.h"
#include "app/qt/TreeFindBar.h"
#include "app/qt/UndoCommands.h"
#include "gamedb/SortedView.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

class UndoKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NewPool();
    db.wrestlers.push_back(Wrestler{PoolString("Bob"), {{PoolString("Bob")}}});
    for (int k = 0; k < kKindCount; ++k) PrepareSortedView(db, kRecordKinds[k]);
    for (const char* f : {"bob.jpg", "b2.jpg", "b3.jpg"}) game.Write(std::string("media/") + f, f);
    ParseImageIndex(kStart, db.imageIndex);
  }
  void TearDown() override { ReleasePool(); }

  static constexpr const char* kStart = "Bob\r\nbob.jpg\r\n";
  test::GameFolder game;
  const GamePaths paths = game.Paths();
  GameDatabase db;
};

TEST_F(UndoKeysTest, CtrlZUndoesCtrlYAndCtrlShiftZRedoAndTheMenuNamesTheStep) {
  MainWindow window(SystemOs(), paths, db);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  Wizard& w = window.wizard();
  window.FindBar().Open(QStringLiteral("Bob"));
  ASSERT_EQ(w.c.indexLineText->Text(), "Bob");
  AddImages(w, "b2.jpg");
  AddImages(w, "b3.jpg");
  const std::string end = SerializeImageIndex(db.imageIndex);
  ASSERT_EQ(end, "Bob\r\nbob.jpg|b2.jpg|b3.jpg\r\n");

  // The find field undoes its own typing.
  QTest::keyClicks(&window.FindBar(), "x");
  QTest::keyClick(&window.FindBar(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(window.FindBar().text(), "Bob");
  EXPECT_EQ(SerializeImageIndex(db.imageIndex), end);

  struct Press {
    int control;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* index;
    int images;  // in the images list afterwards
  };
  const Press presses[] = {
      {id::kImagesList, Qt::Key_Z, Qt::ControlModifier, "Bob\r\nbob.jpg|b2.jpg\r\n", 2},
      {id::kIndexLineText, Qt::Key_Z, Qt::ControlModifier, kStart, 1},
      {id::kItemsTree, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier,
       "Bob\r\nbob.jpg|b2.jpg\r\n", 2},
      {id::kStrayList, Qt::Key_Y, Qt::ControlModifier, end.c_str(), 3},
      {id::kImagesList, Qt::Key_Z, Qt::ControlModifier, "Bob\r\nbob.jpg|b2.jpg\r\n", 2},
  };
  for (const Press& p : presses) {
    QWidget* target = window.WidgetById(p.control);
    target->setFocus();
    QTest::keyClick(target, p.key, p.modifiers);
    EXPECT_EQ(SerializeImageIndex(db.imageIndex), p.index) << p.control;
    EXPECT_EQ(w.c.imagesList->Count(), p.images) << p.control;
  }

  QMenu menu;
  AddUndoEntries(menu, w);
  ASSERT_EQ(menu.actions().size(), 2);
  QAction* undo = menu.actions()[0];
  QAction* redo = menu.actions()[1];
  EXPECT_EQ(undo->text(), "Undo attach b2.jpg");
  EXPECT_EQ(redo->text(), "Redo attach b3.jpg");
  EXPECT_TRUE(undo->isEnabled() && redo->isEnabled());
  EXPECT_EQ(redo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
  redo->trigger();
  EXPECT_EQ(SerializeImageIndex(db.imageIndex), end);
}

}  // namespace
}  // namespace qvm
