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
#include "tests/support/ListBoxSuite.h"
#include "tree/CategoryTree.h"

namespace qvm {
namespace {

// The user's hand is the mouse on the shown list.
class QtListBoxDriver : public ListBoxDriver {
 public:
  QtListBoxDriver() {
    window_.resize(300, 400);
    widget_->setGeometry(0, 0, 200, 380);
    QObject::connect(widget_, &ListWidget::userSelectionChanged, [this] { ++selectionChanges_; });
    QObject::connect(widget_, &ListWidget::userDoubleClicked, [this] { ++doubleClicks_; });
  }
  ListBox& List() override { return list_; }
  void Click(int index, Modifier modifier) override {
    QTest::mouseClick(widget_->viewport(), Qt::LeftButton, Keys(modifier), Center(index));
  }
  void DoubleClick(int index) override {
    QTest::mouseDClick(widget_->viewport(), Qt::LeftButton, {}, Center(index));
  }
  int SelectionChanges() const override { return selectionChanges_; }
  int DoubleClicks() const override { return doubleClicks_; }
  // Emphasis is bold; the tip is the item's tooltip text.
  std::optional<std::string> Emphasis(int index) override {
    QListWidgetItem* item = widget_->item(index);
    if (!item->font().bold()) return std::nullopt;
    return item->data(Qt::ToolTipRole).toString().toStdString();
  }

  ListWidget* Widget() { return widget_; }
  QPoint Center(int index) {
    if (!window_.isVisible()) {
      window_.show();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }
    return widget_->visualItemRect(widget_->item(index)).center();
  }

 private:
  static Qt::KeyboardModifiers Keys(Modifier modifier) {
    if (modifier == Modifier::Ctrl) return Qt::ControlModifier;
    if (modifier == Modifier::Shift) return Qt::ShiftModifier;
    return {};
  }
  QWidget window_;
  ListWidget* widget_ = new ListWidget(&window_);
  QtListBox list_{widget_};
  int selectionChanges_ = 0;
  int doubleClicks_ = 0;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ListBoxSuite, QtListBoxDriver);

// The widget reports changes only, from the keyboard as from the mouse.
TEST(QtListBoxTest, KeysNotifyAndClicksThatChangeNothingDoNot) {
  QtListBoxDriver driver;
  for (const char* text : {"a", "b", "c"}) driver.List().AddString(text);
  driver.Click(1, ListBoxDriver::Modifier::None);
  driver.Click(1, ListBoxDriver::Modifier::None);
  EXPECT_EQ(driver.SelectionChanges(), 1);
  QTest::keyClick(driver.Widget(), Qt::Key_Down);
  EXPECT_EQ(driver.SelectionChanges(), 2);
  EXPECT_EQ(driver.List().Current(), 2);
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
