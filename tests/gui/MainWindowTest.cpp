// The real window under the offscreen platform: layout, initial state, keyboard, closing, and
// what the user's actions hand to the dispatch.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <tuple>
#include <vector>

#include "app/Dispatch.h"
#include "app/Startup.h"
#include "app/qt/MainWindow.h"
#include "app/qt/QtMessageBox.h"
#include "gamedb/SortedView.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

struct Expected {
  int id;
  int x, y, w, h;
  const char* text;
  bool visible, enabled;
};

// Every control as it stands when the window first shows.
const Expected kControls[] = {
    {id::kItemsTree, 3, 4, 150, 326, "Items", true, true},
    {id::kMembersList, 165, 42, 125, 85, "", true, true},
    {id::kRecordText, 165, 14, 124, 11, "Control", true, true},
    {id::kImagesList, 165, 144, 125, 52, "", true, true},
    {id::kAddImagesButton, 165, 198, 125, 15, "&Add Image(s) From MEDIA folder", true, false},
    {id::kIndexLineText, 167, 313, 206, 17, "", true, true},
    {id::kMembersLabel, 167, 32, 100, 10, "&Members", true, true},
    {id::kRecordLabel, 167, 4, 100, 10, "&Record You're Editing", true, true},
    {id::kImagesLabel, 167, 134, 100, 10, "&Images For Selection", true, true},
    {id::kIndexLineLabel, 167, 302, 163, 10, "&Current Selection As It Will Appear in INDEX.DAT",
     true, true},
    {id::kExitButton, 420, 310, 75, 20, "E&xit", true, true},
    {id::kImageInfoText, 300, 242, 206, 55, "", true, true},
    {id::kStrayLabel, 167, 220, 100, 10, "&Stray Images In MEDIA Folder", true, true},
    {id::kStrayList, 165, 229, 125, 52, "", true, true},
    {id::kRefreshButton, 165, 283, 125, 15, "&Refresh Files", true, true},
    {id::kMatchText, 166, 72, 115, 15, "", false, true},
    {id::kShowText, 166, 42, 115, 15, "", false, true},
    {id::kShowLabel, 166, 30, 100, 10, "S&how", true, true},
    {id::kMatchLabel, 166, 61, 100, 10, "M&atch", true, true},
    {id::kSaveChangesButton, 166, 91, 125, 15, "Sa&ve Changes", true, true},
};

// Dialog units worked out here from the window's font, independently of the window's code.
struct Units {
  int baseX, baseY;
  explicit Units(const QFont& font) {
    QFontMetrics metrics(font);
    baseX =
        (metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 +
         1) /
        2;
    baseY = metrics.height();
  }
  int X(int v) const { return (v * baseX + 2) / 4; }
  int Y(int v) const { return (v * baseY + 4) / 8; }
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { NewPool(); }
  void TearDown() override {
    QtMessageBox::SetScript(nullptr);
    ReleasePool();
  }
  test::GameFolder game;
  const GamePaths paths = game.Paths();
  GameDatabase db;
};

TEST_F(MainWindowTest, ControlsSitOnTheirDialogUnitRectangles) {
  MainWindow window(SystemOs(), paths, db);
  EXPECT_EQ(QFontInfo(window.font()).family(), "Liberation Sans");
  Units du(window.font());
  EXPECT_EQ(window.Units().BaseX(), du.baseX);
  EXPECT_EQ(window.Units().BaseY(), du.baseY);
  for (const Expected& c : kControls) {
    QWidget* widget = window.WidgetById(c.id);
    ASSERT_NE(widget, nullptr) << c.id;
    EXPECT_EQ(widget->parentWidget(), &window);
    EXPECT_EQ(widget->geometry(), QRect(du.X(c.x), du.Y(c.y), du.X(c.w), du.Y(c.h))) << c.id;
  }
  QRect preview(du.X(297), du.Y(5), du.X(200), du.Y(230));
  ASSERT_NE(window.Imaging().Area(), nullptr);
  EXPECT_EQ(window.Imaging().Area()->geometry(), preview);
  EXPECT_EQ(window.wizard().previewWidth, preview.width());
  EXPECT_EQ(window.wizard().previewHeight, preview.height());

  EXPECT_EQ(window.pos(), QPoint(du.X(287), du.Y(106)));
  EXPECT_EQ(window.size(), QSize(du.X(508), du.Y(350)));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(window.windowTitle(), "QVM 7 Visualizer Image Wizard, Build 1.514");
  QList<QSize> iconSizes = window.windowIcon().availableSizes();
  EXPECT_TRUE(iconSizes.contains(QSize(16, 16)));
  EXPECT_TRUE(iconSizes.contains(QSize(32, 32)));
  EXPECT_FALSE(window.windowIcon().pixmap(32, 32).isNull());
}

TEST_F(MainWindowTest, StartsInTheInitialState) {
  MainWindow window(SystemOs(), paths, db);
  for (const Expected& c : kControls) {
    Control* control = window.ControlById(c.id);
    ASSERT_NE(control, nullptr) << c.id;
    EXPECT_EQ(control->Text(), c.text) << c.id;
    EXPECT_EQ(control->IsVisible(), c.visible) << c.id;
    EXPECT_EQ(control->IsEnabled(), c.enabled) << c.id;
  }
  Wizard& w = window.wizard();
  EXPECT_EQ(w.c.membersList->Count(), 0);
  EXPECT_EQ(w.c.imagesList->Count(), 0);
  EXPECT_EQ(w.c.itemsTree->Selection(), 0u);
  EXPECT_EQ(w.lastTreeItem, 0u);
  EXPECT_EQ(w.currentRecordKind, RecordKind::None);
  EXPECT_EQ(w.c.host, &window);
  for (auto* pointer : std::initializer_list<const void*>{
           w.c.itemsTree, w.c.membersList, w.c.recordText, w.c.imagesList, w.c.addImagesButton,
           w.c.indexLineText, w.c.imageInfoText, w.c.strayList, w.c.showText, w.c.matchText,
           w.c.messages, w.c.fileDialog, w.c.imaging})
    EXPECT_NE(pointer, nullptr);
}

TEST_F(MainWindowTest, TabVisitsTheControlsInCreationOrder) {
  MainWindow window(SystemOs(), paths, db);
  SelectMembersPanel(window.wizard());
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  window.WidgetById(id::kItemsTree)->setFocus();
  std::vector<int> visited;
  for (int step = 0; step < 9; ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    visited.push_back(focus->objectName().toInt());
  }
  EXPECT_EQ(visited, (std::vector<int>{id::kMembersList, id::kRecordText, id::kImagesList,
                                       id::kIndexLineText, id::kExitButton, id::kImageInfoText,
                                       id::kStrayList, id::kRefreshButton, id::kItemsTree}));
}

TEST_F(MainWindowTest, SelectingTheMembersPanelHidesTheShowMatchPanelForGood) {
  MainWindow window(SystemOs(), paths, db);
  SelectMembersPanel(window.wizard());
  for (int hidden :
       {id::kShowText, id::kMatchText, id::kShowLabel, id::kMatchLabel, id::kSaveChangesButton})
    EXPECT_FALSE(window.ControlById(hidden)->IsVisible()) << hidden;
  for (int shown : {id::kMembersList, id::kMembersLabel})
    EXPECT_TRUE(window.ControlById(shown)->IsVisible()) << shown;
}

TEST_F(MainWindowTest, SaveChangesBeforeTheFirstSelection) {
  struct Case {
    const char* name;
    std::vector<std::string> keys;
    std::string show, match;
    bool message;
    std::vector<std::string> keysAfter;
  } cases[] = {
      {"every key non-empty", {"Ann", "Bo"}, "", "", true, {"Ann", "Bo"}},
      {"a blank key", {"Ann", "", ""}, "", "", false, {"Ann", "|", ""}},
      {"show and match typed", {""}, "Raw", "Main Event", false, {"Raw|Main Event"}},
      {"empty index", {}, "", "", true, {}},
  };
  for (const Case& c : cases) {
    GameDatabase fresh;
    for (const std::string& key : c.keys) fresh.imageIndex.AppendLoaded({PoolString(key), {}});
    MainWindow window(SystemOs(), paths, fresh);
    window.wizard().c.showText->SetText(c.show);
    window.wizard().c.matchText->SetText(c.match);
    std::vector<std::string> shown;
    QtMessageBox::SetScript([&](std::string_view text, const MessageStyle& style) {
      shown.emplace_back(text);
      EXPECT_FALSE(style.yesNo);
      EXPECT_FALSE(style.exclamation);
      return MessageAnswer::Ok;
    });
    static_cast<QPushButton*>(window.WidgetById(id::kSaveChangesButton))->click();
    EXPECT_EQ(shown,
              c.message ? std::vector<std::string>{"Node not found."} : std::vector<std::string>{})
        << c.name;
    std::vector<std::string> keys;
    for (const IndexEntry& e : fresh.imageIndex.Entries()) keys.emplace_back(e.key);
    EXPECT_EQ(keys, c.keysAfter) << c.name;
  }
}

TEST_F(MainWindowTest, UserActionsReachTheDispatchAsNotifications) {
  db.wrestlers.push_back({PoolString("Ace"), {{PoolString("Ace")}}});
  PrepareSortedView(db, RecordKind::Wrestler);
  MainWindow window(SystemOs(), paths, db);
  const NodeHandle root = window.wizard().tree.Root(RecordKind::Wrestler);
  const NodeHandle group = window.wizard().tree.Children(root)[0];
  using Event = std::tuple<MessageKind, int, int>;
  std::vector<Event> events;
  window.SetEventObserver(
      [&](MessageKind kind, int id, int code) { events.emplace_back(kind, id, code); });
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  // The tree takes the focus first and makes its first node current: a tree notification.
  EXPECT_TRUE(events.empty() ||
              events == (std::vector<Event>{{MessageKind::Notify, id::kItemsTree, 0}}));
  events.clear();

  // The program's own changes send nothing.
  Wizard& w = window.wizard();
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) w.c.strayList->AddString(name);
  w.c.strayList->SetCurrent(0);
  EXPECT_TRUE(events.empty());

  // A double-click on an item not selected yet: first its selection change, then the double-click.
  auto* stray = static_cast<ListWidget*>(window.WidgetById(id::kStrayList));
  QPoint third = stray->visualItemRect(stray->item(2)).center();
  std::vector<std::string> shown;  // nothing selected yet: attaching asks for an entity first
  QtMessageBox::SetScript([&](std::string_view text, const MessageStyle&) {
    shown.emplace_back(text);
    return MessageAnswer::Ok;
  });
  QTest::mouseDClick(stray->viewport(), Qt::LeftButton, {}, third);
  EXPECT_EQ(shown, std::vector<std::string>{
                       "Please select an entity (wrestler, tag team, stable etc) first."});
  EXPECT_EQ(events,
            (std::vector<Event>{{MessageKind::Command, id::kStrayList, code::kSelChange},
                                {MessageKind::Command, id::kStrayList, code::kDoubleClick}}));
  events.clear();

  static_cast<QPushButton*>(window.WidgetById(id::kRefreshButton))->click();
  static_cast<QPushButton*>(window.WidgetById(id::kAddImagesButton))->click();  // disabled
  EXPECT_EQ(events,
            (std::vector<Event>{{MessageKind::Command, id::kRefreshButton, code::kClicked}}));
  events.clear();

  auto* tree = static_cast<QTreeView*>(window.WidgetById(id::kItemsTree));
  QPoint rootPoint = tree->visualRect(window.Tree().IndexOf(root)).center();
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rootPoint);
  EXPECT_EQ(w.c.itemsTree->Selection(), root);
  ASSERT_FALSE(events.empty());
  for (const Event& e : events) EXPECT_EQ(e, Event(MessageKind::Notify, id::kItemsTree, 0));
  events.clear();
  tree->expand(window.Tree().IndexOf(root));
  EXPECT_EQ(events.size(), 1u);
  QTest::keyClick(tree, Qt::Key_Down);
  EXPECT_EQ(w.c.itemsTree->Selection(), group);
  EXPECT_GE(events.size(), 2u);
}

// Finds the running window, does `act` with it, and makes sure the run ends even if it fails.
void WithRunningWindow(const std::function<void(MainWindow&)>& act) {
  QTimer::singleShot(0, [act] {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* window = qobject_cast<MainWindow*>(top); window && window->isVisible()) {
        act(*window);
        if (window->isVisible()) window->close();
        return;
      }
    ADD_FAILURE() << "no window";
  });
}

TEST(MainWindowRunTest, EscapeAndEnterLeaveItOpenExitAndTheCloseBoxEndTheRun) {
  for (bool viaExitButton : {true, false}) {
    test::GameFolder game;
    game.Write("media/index.dat", "K\r\nA.JPG|a.jpg");
    test::RecordingMessageBox messages;
    bool openAfterKeys = false, closedByAction = false;
    WithRunningWindow([&](MainWindow& window) {
      for (int id : {0, id::kItemsTree, id::kExitButton, id::kRecordText, id::kStrayList}) {
        QWidget* target = id ? window.WidgetById(id) : &window;
        for (auto key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
          QTest::keyClick(target, key);
      }
      QApplication::processEvents();
      openAfterKeys = window.isVisible();
      if (viaExitButton)
        static_cast<QPushButton*>(window.WidgetById(id::kExitButton))->click();
      else
        window.windowHandle()->close();  // what the window manager's close box does
      closedByAction = !window.isVisible();
    });
    int status = RunWizard(
        SystemOs(), game.path(), messages,
        [&](const GamePaths& paths, GameDatabase& db) { RunMainWindow(SystemOs(), paths, db); });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(openAfterKeys) << viaExitButton;
    EXPECT_TRUE(closedByAction) << viaExitButton;
    EXPECT_EQ(game.Read("media/index.dat"), "K\r\na.jpg\r\n") << viaExitButton;
    EXPECT_TRUE(messages.texts.empty());
  }
}

}  // namespace
}  // namespace qvm
