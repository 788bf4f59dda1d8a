// The Qt controls behave as the core expects of every control implementation.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QWidget>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/qt/QtControls.h"
#include "app/qt/QtText.h"
#include "app/qt/QtTree.h"
#include "gamedb/SortedView.h"
#include "platform/ListOrder.h"
#include "tree/CategoryTree.h"

namespace qvm {
namespace {

std::vector<std::string> Items(const QtListBox& list) {
  std::vector<std::string> items;
  for (int i = 0; i < list.Count(); ++i) items.push_back(list.ItemText(i));
  return items;
}

class ListBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(300, 300);
    widget = new ListWidget(&window);
    widget->setGeometry(0, 0, 200, 200);
    list = std::make_unique<QtListBox>(widget);
  }
  QWidget window;
  ListWidget* widget = nullptr;
  std::unique_ptr<QtListBox> list;
};

TEST_F(ListBoxTest, AddStringKeepsTheCoreListOrderAndReturnsThePlace) {
  // Mixed case, an accented letter (CP1252 e-acute), punctuation, digits.
  const std::vector<std::string> added = {"delta", "Alpha", "\xE9lan", "10 men", "echo",
                                          "alpha", "-dash", "Zulu",    "b'c",    "bc"};
  for (const std::string& text : added) {
    int place = list->AddString(text);
    ASSERT_GE(place, 0);
    EXPECT_EQ(list->ItemText(place), text);
  }
  std::vector<std::string> items = Items(*list);
  ASSERT_EQ(items.size(), added.size());
  for (size_t i = 0; i + 1 < items.size(); ++i)
    EXPECT_LE(CompareListOrder(items[i], items[i + 1]), 0)
        << items[i] << " before " << items[i + 1];
}

TEST_F(ListBoxTest, CurrentItemIsKeptApartFromTheSelectedItems) {
  for (const char* text : {"a", "b", "c", "d", "e"}) list->AddString(text);
  EXPECT_EQ(list->Current(), -1);
  EXPECT_EQ(list->SelCount(), 0);

  EXPECT_EQ(list->SetCurrent(2), 2);
  EXPECT_EQ(list->Current(), 2);
  EXPECT_EQ(list->SelItems(10), std::vector<int>{2});
  EXPECT_EQ(list->ItemText(-1), "c");

  EXPECT_EQ(list->SetSel(true, 4), 0);
  EXPECT_EQ(list->SetSel(true, 0), 0);
  EXPECT_EQ(list->Current(), 2);
  EXPECT_EQ(list->SelItems(10), (std::vector<int>{0, 2, 4}));
  EXPECT_EQ(list->SelItems(2), (std::vector<int>{0, 2}));

  EXPECT_EQ(list->SetSel(true, -1), 0);
  EXPECT_EQ(list->SelCount(), 5);
  EXPECT_EQ(list->SetSel(false, 3), 0);
  EXPECT_EQ(list->SelCount(), 4);
  EXPECT_EQ(list->SetSel(false, -1), 0);
  EXPECT_EQ(list->SelCount(), 0);
  EXPECT_EQ(list->Current(), 2);

  EXPECT_EQ(list->SetSel(true, 5), -1);
  EXPECT_EQ(list->SetCurrent(-1), -1);
  EXPECT_EQ(list->Current(), -1);
  EXPECT_EQ(list->ItemText(-1), "");
  EXPECT_EQ(list->ItemText(7), "");
}

TEST_F(ListBoxTest, FindExactIgnoresCaseStartsAfterTheGivenItemAndWraps) {
  for (const char* text : {"a", "b", "c", "d", "\xC9t\xE9"}) list->AddString(text);
  struct Case {
    int start;
    const char* text;
    int expected;
  } cases[] = {
      {-1, "B", 1}, {0, "b", 1}, {1, "b", 1},  // from the item after 1, all the way round
      {2, "A", 0},  {3, "d", 3}, {-1, "\xE9T\xC9", 4}, {-1, "bb", -1}, {-1, "", -1}, {99, "a", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(list->FindExact(c.start, c.text), c.expected) << c.start << " " << c.text;
}

TEST_F(ListBoxTest, ItemsKeepTheirBytesAndDeleteCountsFromZero) {
  const std::string odd = std::string("\x81\xA0\x80 x", 5);  // undefined byte, NBSP, euro
  list->AddString(odd);
  list->AddString("z");
  int at = list->FindExact(-1, odd);
  ASSERT_GE(at, 0);
  EXPECT_EQ(list->ItemText(at), odd);
  EXPECT_EQ(list->DeleteString(at), 1);
  EXPECT_EQ(Items(*list), std::vector<std::string>{"z"});
  EXPECT_EQ(list->DeleteString(1), -1);
  EXPECT_EQ(list->DeleteString(-1), -1);
  list->ResetContent();
  EXPECT_EQ(list->Count(), 0);
}

TEST_F(ListBoxTest, OnlyTheUsersActionsNotify) {
  QSignalSpy changes(widget, &ListWidget::userSelectionChanged);
  QSignalSpy doubles(widget, &ListWidget::userDoubleClicked);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  for (const char* text : {"a", "b", "c", "d"}) list->AddString(text);
  list->SetCurrent(1);
  list->SetSel(true, 3);
  list->SetSel(false, -1);
  list->DeleteString(3);
  list->AddString("e");
  EXPECT_EQ(changes.count(), 0);

  auto center = [&](int row) { return widget->visualItemRect(widget->item(row)).center(); };
  QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, center(2));
  EXPECT_EQ(changes.count(), 1);
  EXPECT_EQ(list->Current(), 2);
  EXPECT_EQ(list->SelItems(10), std::vector<int>{2});

  QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, center(2));  // nothing changes
  EXPECT_EQ(changes.count(), 1);

  QTest::mouseClick(widget->viewport(), Qt::LeftButton, Qt::ControlModifier, center(0));
  EXPECT_EQ(changes.count(), 2);
  EXPECT_EQ(list->SelItems(10), (std::vector<int>{0, 2}));

  QTest::keyClick(widget, Qt::Key_Down);
  EXPECT_EQ(changes.count(), 3);

  QTest::mouseDClick(widget->viewport(), Qt::LeftButton, {}, center(3));
  EXPECT_EQ(doubles.count(), 1);
  EXPECT_EQ(list->Current(), 3);
}

TEST(QtControlTest, TextsComeBackByteForByte) {
  QWidget window;
  auto* line = new QLineEdit(&window);
  auto* multi = new QPlainTextEdit(&window);
  auto* label = new QLabel(&window);
  auto* button = new QPushButton(&window);
  const std::string texts[] = {
      "Control",
      "",
      std::string("\x81\xA0\x80 caf\xE9", 8),
      "Image Width: \t400\r\nImage Height: \t500\r\nAspect Ratio: \t.8",
  };
  for (QWidget* widget : std::initializer_list<QWidget*>{line, multi, label, button}) {
    QtControl control(widget);
    for (const std::string& text : texts) {
      control.SetText(text);
      EXPECT_EQ(control.Text(), text) << widget->metaObject()->className();
    }
  }
  QtControl control(multi);
  control.SetText("a\r\nb");
  EXPECT_EQ(multi->toPlainText(), "a\nb");
}

TEST(QtControlTest, ReadsWhatTheUserTyped) {
  QWidget window;
  auto* line = new QLineEdit(&window);
  QtControl control(line);
  control.SetText("old");
  line->setText(QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC"));  // typed: "Café €"
  EXPECT_EQ(control.Text(), "Caf\xE9 \x80");
}

TEST(QtControlTest, VisibleAndEnabledAreTheControlsOwnState) {
  QWidget window;  // never shown
  QtControl control(new QPushButton(&window));
  EXPECT_TRUE(control.IsVisible());
  EXPECT_TRUE(control.IsEnabled());
  control.SetVisible(false);
  control.SetEnabled(false);
  EXPECT_FALSE(control.IsVisible());
  EXPECT_FALSE(control.IsEnabled());
  control.SetVisible(true);
  EXPECT_TRUE(control.IsVisible());
}

// Model warnings of Qt's model tester end up here.
int g_modelWarnings = 0;
void CountModelWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtDebugMsg &&
      QByteArray(context.category ? context.category : "") == "qt.modeltest") {
    ++g_modelWarnings;
    ADD_FAILURE() << text.toStdString();
  }
}

// A sorted game of `wrestlers` wrestlers named "W0".. with `aliases` names each, `titles`
// titles, and its tree. Texts live in the current pool.
struct TreeGame {
  TreeGame(int wrestlers, int aliases, int titles) {
    for (int i = 0; i < wrestlers; ++i) {
      Wrestler& w = db.wrestlers.emplace_back();
      w.name = PoolString("W" + std::to_string(i));
      for (int j = 0; j < aliases; ++j) w.aliases.push_back({PoolString(std::to_string(j))});
    }
    for (int i = 0; i < titles; ++i) db.titles.push_back({PoolString("T" + std::to_string(i))});
    for (RecordKind kind : kRecordKinds) PrepareSortedView(db, kind);
    BuildCategoryTree(db, tree);
  }
  GameDatabase db;
  CategoryTree tree;
};

class TreeModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NewPool();
    view.setModel(&model);
  }
  void TearDown() override { ReleasePool(); }
  QTreeView view;
  TreeModel model;
  QtTreeView tree{&view, &model};
};

TEST_F(TreeModelTest, PassesQtsModelTester) {
  g_modelWarnings = 0;
  QtMessageHandler previous = qInstallMessageHandler(CountModelWarnings);
  {
    TreeGame game(12, 2, 3);
    TreeGame other(1, 1, 0);
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    tree.SetNodes(game.tree);
    view.expandAll();
    view.collapseAll();
    tree.SetNodes(other.tree);
    view.expandAll();
    model.SetNodes(nullptr);
  }
  qInstallMessageHandler(previous);
  EXPECT_EQ(g_modelWarnings, 0);
}

// Rows, parents and texts come from the tree as it is; unknown handles give no index.
TEST_F(TreeModelTest, ReadsTheTreeInPlace) {
  TreeGame game(1, 2, 0);
  Text longName = PoolString(std::string(300, 'x'));
  game.db.managers.push_back({longName});
  PrepareSortedView(game.db, RecordKind::Manager);
  BuildCategoryTree(game.db, game.tree);
  EXPECT_EQ(model.rowCount(), 0);
  tree.SetNodes(game.tree);
  EXPECT_EQ(tree.Selection(), 0u);
  EXPECT_EQ(model.rowCount(), 5);
  for (NodeHandle n = 1; n <= game.tree.NodeCount(); ++n) {
    QModelIndex index = model.IndexOf(n);
    ASSERT_TRUE(index.isValid());
    EXPECT_EQ(TreeModel::HandleOf(index), n);
    EXPECT_EQ(model.index(index.row(), 0, index.parent()), index);
    EXPECT_EQ(TreeModel::HandleOf(index.parent()), game.tree.Parent(n));
    EXPECT_EQ(model.rowCount(index), static_cast<int>(game.tree.Children(n).size()));
    EXPECT_EQ(model.hasChildren(index), game.tree.HasChildren(n));
    EXPECT_EQ(FromQString(index.data().toString()), game.tree.Text(n));
  }
  EXPECT_FALSE(model.IndexOf(0).isValid());
  EXPECT_FALSE(model.IndexOf(game.tree.NodeCount() + 1).isValid());

  NodeHandle manager =
      game.tree.Children(game.tree.Children(game.tree.Root(RecordKind::Manager))[0])[0];
  EXPECT_EQ(model.IndexOf(manager).data().toString().size(), 300);  // shown whole
  view.setCurrentIndex(model.IndexOf(manager));
  EXPECT_EQ(tree.Selection(), manager);
}

TEST_F(TreeModelTest, AFullGameOfNodesShowsInOneReset) {
  TreeGame game(3000, 20, 3000);
  QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
  QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
  tree.SetNodes(game.tree);
  EXPECT_EQ(inserted.count(), 0);
  EXPECT_EQ(reset.count(), 1);
  QModelIndex titles = model.IndexOf(game.tree.Root(RecordKind::Title));
  EXPECT_EQ(model.rowCount(titles), 3000);
  EXPECT_EQ(model.index(2999, 0, titles).data().toString(), "T999");  // T999 sorts last
}

}  // namespace
}  // namespace qvm
