// The window on the demo game, used as a user would: clicks in the tree and the lists, the
// Delete key, files dropped from a file manager; what the controls show and what index.dat
// holds after the window has closed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "app/qt/MainWindow.h"
#include "app/qt/QtFileDialog.h"
#include "app/qt/QtMessageBox.h"
#include "gamedb/LoadGameDatabase.h"
#include "images/PreviewReport.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Items(const ListBox& list) {
  std::vector<std::string> items;
  for (int i = 0; i < list.Count(); ++i) items.push_back(list.ItemText(i));
  return items;
}

std::vector<std::string> Selected(const ListBox& list) {
  std::vector<std::string> items;
  for (int i : list.SelItems(1000)) items.push_back(list.ItemText(i));
  return items;
}

// The node reached from the top level through these texts (CP1252); 0 when there is none.
NodeHandle NodeAt(const CategoryTree& tree, const std::vector<std::string>& path) {
  NodeHandle node = 0;
  for (const std::string& text : path) {
    NodeHandle found = 0;
    for (NodeHandle child : tree.Children(node)) {
      if (tree.Text(child) == text) {
        found = child;
        break;
      }
    }
    if (!found) return 0;
    node = found;
  }
  return node;
}

// Clicks the node as a user would, after opening its groups.
void ClickNode(MainWindow& window, const std::vector<std::string>& path) {
  NodeHandle node = NodeAt(window.wizard().tree, path);
  ASSERT_NE(node, 0u) << path.back();
  auto* view = static_cast<QTreeView*>(window.WidgetById(id::kItemsTree));
  QModelIndex index = window.Tree().IndexOf(node);
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) view->expand(up);
  view->scrollTo(index);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
  ASSERT_EQ(window.wizard().c.itemsTree->Selection(), node) << path.back();
}

ListWidget* List(MainWindow& window, int id) {
  return static_cast<ListWidget*>(window.WidgetById(id));
}

QPoint ItemCenter(ListWidget* list, const std::string& text) {
  for (int row = 0; row < list->count(); ++row)
    if (list->item(row)->data(Qt::UserRole).toByteArray().toStdString() == text) {
      list->scrollToItem(list->item(row));
      return list->visualItemRect(list->item(row)).center();
    }
  ADD_FAILURE() << "no item " << text;
  return {};
}

void ClickItem(MainWindow& window, int id, const std::string& text,
               Qt::KeyboardModifiers modifiers = {}) {
  ListWidget* list = List(window, id);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, ItemCenter(list, text));
}

// The colour in the middle of the preview once any decode has drawn.
QRgb PreviewCentre(MainWindow& window) {
  EXPECT_TRUE(window.Imaging().WaitIdle());
  const QImage& canvas = window.Imaging().Area()->Canvas();
  return canvas.pixel(canvas.width() / 2, canvas.height() / 2);
}

const QRgb kBackground = qRgb(20, 20, 80);

std::string Report(const char* width, const char* height, const char* ratio,
                   const std::string& rest) {
  return std::string("Image Width: \t") + width + "\r\nImage Height: \t" + height +
         "\r\nAspect Ratio: \t" + ratio + rest;
}

// A drag of these URLs over the images list: whether the list would take it.
bool TakesDrag(MainWindow& window, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  QWidget* viewport = List(window, id::kImagesList)->viewport();
  QDragEnterEvent enter(viewport->rect().center(), Qt::CopyAction | Qt::MoveAction, &data,
                        Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &enter);
  return enter.isAccepted();
}

void Drop(MainWindow& window, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  QWidget* viewport = List(window, id::kImagesList)->viewport();
  QPoint at = viewport->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(viewport, &enter);
  QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(viewport, &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(drop.dropAction(), Qt::CopyAction);  // the dragged file stays where it was
  QApplication::processEvents();                 // the files are attached after the drop
}

QUrl FileUrl(const fs::path& path) {
  return QUrl::fromLocalFile(QString::fromStdString(path.string()));
}

class DemoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string command =
        std::string("'") + QVM_DEMO_GAME + "' '" + game.string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  void TearDown() override {
    QtMessageBox::SetScript(nullptr);
    QtFileDialog::SetScript(nullptr);
  }

  test::TempFolder folder;
  fs::path game = folder / "demo";
};

TEST_F(DemoWindowTest, ClickingAWrestlerAnAliasATeamAndAStableShowsTheirRecords) {
  NewPool();
  GameDatabase db;
  const GamePaths paths = ResolveGamePaths(SystemOs(), game);
  LoadGameDatabase(SystemOs(), paths, db);
  {
    MainWindow window(SystemOs(), paths, db);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Wizard& w = window.wizard();

    ClickNode(window, {"Wrestlers", "A", "Ace Harmon"});
    EXPECT_EQ(w.c.recordText->Text(), "Ace Harmon (Wrestler)");
    EXPECT_EQ(Items(*w.c.membersList), (std::vector<std::string>{"Ace Harmon", "The Ace"}));
    EXPECT_EQ(Selected(*w.c.membersList), std::vector<std::string>{"Ace Harmon"});
    EXPECT_EQ(w.c.indexLineText->Text(), "Ace Harmon");
    EXPECT_EQ(Items(*w.c.imagesList),
              (std::vector<std::string>{"ace_harmon.jpg", "ace_harmon_2.jpg"}));
    EXPECT_EQ(w.c.imageInfoText->Text(),
              Report("240", "300", ".8", "\r\nAspect ratio is perfectly  ok."));
    EXPECT_TRUE(w.c.addImagesButton->IsEnabled());
    EXPECT_NE(PreviewCentre(window), kBackground);

    // The wrestler's other name: both names selected, the alias current and its pictures shown.
    ClickNode(window, {"Wrestlers", "A", "Ace Harmon", "The Ace"});
    EXPECT_EQ(w.c.recordText->Text(), "The Ace (Alias)");
    EXPECT_EQ(Items(*w.c.membersList), (std::vector<std::string>{"Ace Harmon", "The Ace"}));
    EXPECT_EQ(Selected(*w.c.membersList), (std::vector<std::string>{"Ace Harmon", "The Ace"}));
    EXPECT_EQ(w.c.membersList->ItemText(-1), "The Ace");
    EXPECT_EQ(w.c.indexLineText->Text(), "The Ace");
    EXPECT_EQ(Items(*w.c.imagesList), std::vector<std::string>{"the_ace.bmp"});
    // A square picture for a wrestler: the advice gives both ways to 0.8.
    EXPECT_EQ(w.c.imageInfoText->Text(),
              Report("300", "300", "1",
                     "\r\nRecommended Aspect Ratio:\t.8,\r\n\tequals e.g. 300x375 or 240x300"));

    ClickNode(window, {"Tag Teams", "T", "The Firebricks"});
    EXPECT_EQ(w.c.recordText->Text(), "The Firebricks (Tag Team)");
    EXPECT_EQ(Items(*w.c.membersList),
              (std::vector<std::string>{"Blaze Corrigan", "Brick Dalloway"}));
    EXPECT_EQ(w.c.indexLineText->Text(), "The Firebricks (Blaze Corrigan/Brick Dalloway)");
    EXPECT_EQ(Items(*w.c.imagesList), std::vector<std::string>{"firebricks.jpg"});
    EXPECT_EQ(w.c.imageInfoText->Text(),
              Report("480", "300", "1.6", "\r\nAspect ratio is perfectly  ok."));

    // A stable: every name of every member, none picked; the team's pictures stay until
    // members are picked, and only then can pictures be added.
    ClickNode(window, {"Stables", "T", "The Syndicate"});
    EXPECT_EQ(w.c.recordText->Text(), "The Syndicate (Stable)");
    EXPECT_EQ(Items(*w.c.membersList),
              (std::vector<std::string>{"Derek Hollow", "Silas Crane", "Vic Santoro", "X",
                                        "Xander Bloom"}));
    EXPECT_TRUE(Selected(*w.c.membersList).empty());
    EXPECT_EQ(w.c.indexLineText->Text(), "The Syndicate");
    EXPECT_EQ(Items(*w.c.imagesList), std::vector<std::string>{"firebricks.jpg"});
    EXPECT_FALSE(w.c.addImagesButton->IsEnabled());

    ClickItem(window, id::kMembersList, "Vic Santoro");
    EXPECT_EQ(w.c.indexLineText->Text(), "The Syndicate (Vic Santoro)");
    EXPECT_TRUE(Items(*w.c.imagesList).empty());
    EXPECT_TRUE(w.c.addImagesButton->IsEnabled());
    ClickItem(window, id::kMembersList, "Derek Hollow", Qt::ControlModifier);
    ClickItem(window, id::kMembersList, "Silas Crane", Qt::ControlModifier);
    EXPECT_EQ(w.c.indexLineText->Text(), "The Syndicate (Derek Hollow/Silas Crane/Vic Santoro)");
    EXPECT_EQ(Items(*w.c.imagesList), std::vector<std::string>{"syndicate.jpg"});
    // 600 x 250 is 2.4, what three members want.
    EXPECT_EQ(w.c.imageInfoText->Text(),
              Report("600", "250", "2.4", "\r\nAspect ratio is perfectly  ok."));
    EXPECT_NE(PreviewCentre(window), kBackground);
  }
  EXPECT_TRUE(db.indexState.loaded);
  ReleasePool();
}

// "text: tooltip" for every item of the list shown in bold, in list order.
std::vector<std::string> BoldItems(ListWidget* list) {
  std::vector<std::string> out;
  for (int row = 0; row < list->count(); ++row) {
    QListWidgetItem* item = list->item(row);
    if (item->font().bold())
      out.push_back(item->text().toStdString() + ": " +
                    item->data(Qt::ToolTipRole).toString().toStdString());
  }
  return out;
}

TEST_F(DemoWindowTest, SelectingARecordMakesTheStrayPicturesNamedAfterItBold) {
  NewPool();
  GameDatabase db;
  const GamePaths paths = ResolveGamePaths(SystemOs(), game);
  LoadGameDatabase(SystemOs(), paths, db);
  {
    MainWindow window(SystemOs(), paths, db);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Wizard& w = window.wizard();
    ListWidget* stray = List(window, id::kStrayList);
    const std::vector<std::string> listed = Items(*w.c.strayList);
    EXPECT_TRUE(BoldItems(stray).empty());

    struct Case {
      std::vector<std::string> node;
      std::vector<std::string> bold;  // UTF-8
    } cases[] = {
        {{"Wrestlers", "Z", "Zo\xEB Marchetti"},
         {"Zoe-Marchetti_2.JPG: Names the wrestler Zo\u00EB Marchetti"}},
        {{"Wrestlers", "H", "Hank Bristow"}, {"Hank_Bristow.BMP: Names the wrestler Hank Bristow"}},
        {{"Tag Teams", "H", "Hank Bristow and Otto Grimsby"},
         {"hank_bristow_and_otto_grimsby.jpg: Names the tag team Hank Bristow and Otto Grimsby"}},
        {{"Wrestlers", "H"}, {}},
        {{"Titles", "Hardcore Title"}, {"Hardcore_Title.jpg: Names the title Hardcore Title"}},
        {{"Stables", "M", "Midnight Order"},
         {"midnight-order.bmp: Names the stable Midnight Order"}},
    };
    for (const Case& c : cases) {
      ClickNode(window, c.node);
      EXPECT_EQ(BoldItems(stray), c.bold) << c.node.back();
      EXPECT_EQ(Items(*w.c.strayList), listed);
    }

    // The picture's tip says it too, beneath the picture.
    ClickNode(window, {"Wrestlers", "Z", "Zo\xEB Marchetti"});
    const QPoint at = ItemCenter(stray, "Zoe-Marchetti_2.JPG");
    QCursor::setPos(stray->viewport()->mapToGlobal(at));
    QHelpEvent help(QEvent::ToolTip, at, stray->viewport()->mapToGlobal(at));
    QApplication::sendEvent(stray->viewport(), &help);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QToolTip::text().contains("240"); }, 5000));
    EXPECT_TRUE(
        QToolTip::text().contains(QString::fromUtf8("Names the wrestler Zo\u00EB Marchetti")))
        << QToolTip::text().toStdString();
    QToolTip::hideText();

    // A double-click attaches it as ever; it leaves the list, nothing else changes.
    ClickNode(window, {"Wrestlers", "H", "Hank Bristow"});
    QTest::mouseDClick(stray->viewport(), Qt::LeftButton, {},
                       ItemCenter(stray, "Hank_Bristow.BMP"));
    EXPECT_EQ(Items(*w.c.imagesList), std::vector<std::string>{"hank_bristow.bmp"});
    EXPECT_TRUE(BoldItems(stray).empty());
    EXPECT_EQ(Items(*w.c.strayList).size(), listed.size() - 1);
  }
  ReleasePool();
}

// The tooltip a field shows when the mouse rests on it; empty when it shows none.
QString TipOf(QWidget* field) {
  QToolTip::hideText();
  if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000)) ADD_FAILURE() << "tip stays";
  auto* multi = qobject_cast<QPlainTextEdit*>(field);
  QWidget* target = multi ? multi->viewport() : field;
  QPoint at = target->rect().center();
  QHelpEvent event(QEvent::ToolTip, at, target->mapToGlobal(at));
  QApplication::sendEvent(target, &event);
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST_F(DemoWindowTest, LongNamesAndKeysCanBeReadWhole) {
  NewPool();
  GameDatabase db;
  const GamePaths paths = ResolveGamePaths(SystemOs(), game);
  LoadGameDatabase(SystemOs(), paths, db);
  {
    MainWindow window(SystemOs(), paths, db);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QWidget* record = window.WidgetById(id::kRecordText);
    QWidget* key = window.WidgetById(id::kIndexLineText);

    ClickNode(window, {"Wrestlers", "A", "Ace Harmon"});
    EXPECT_EQ(TipOf(record), "");  // it fits
    EXPECT_EQ(TipOf(key), "");

    // The tree shows the name whole (it scrolls sideways instead), the record text and the key
    // give theirs as a tooltip.
    ClickNode(window, {"Tag Teams", "H", "Hank Bristow and Otto Grimsby"});
    auto* view = static_cast<QTreeView*>(window.WidgetById(id::kItemsTree));
    QModelIndex team = view->currentIndex();
    EXPECT_GE(view->visualRect(team).width(),
              view->fontMetrics().horizontalAdvance("Hank Bristow and Otto Grimsby"));
    EXPECT_TRUE(TipOf(record).contains("Hank Bristow and Otto Grimsby (Tag Team)"));

    ClickNode(window, {"Stables", "C", "Crown Jewels"});
    auto* members = List(window, id::kMembersList);
    QTest::mouseClick(members->viewport(), Qt::LeftButton, {},
                      ItemCenter(members, "Cassidy Storm"));
    for (const char* name : {"Iris Calloway", "Tess Marlowe", "Zo\xEB Marchetti"})
      QTest::mouseClick(members->viewport(), Qt::LeftButton, Qt::ControlModifier,
                        ItemCenter(members, name));
    EXPECT_TRUE(TipOf(key).contains(QString::fromUtf8(
        "Crown Jewels (Cassidy Storm/Iris Calloway/Tess Marlowe/Zo\u00EB Marchetti)")))
        << TipOf(key).toStdString();
    QToolTip::hideText();
  }
  ReleasePool();
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

TEST_F(DemoWindowTest, AttachByDialogDoubleClickAndDropRemoveByDeleteAndCloseWritesIndex) {
  const std::string before = test::ReadBytes(game / "media" / "index.dat");
  test::WriteBytes(folder / "outside" / "Ring Photo.JPG",
                   test::ReadBytes(game / "media" / "nova.jpg"));
  test::WriteBytes(folder / "outside" / "Belt.bmp",
                   test::ReadBytes(game / "media" / "the_ace.bmp"));

  std::vector<std::string> shown;
  QtMessageBox::SetScript([&](std::string_view text, const MessageStyle& style) {
    shown.emplace_back(text);
    EXPECT_TRUE(style.yesNo && style.exclamation && style.defaultNo) << text;
    return MessageAnswer::Yes;
  });
  QtFileDialog::SetScript([&](const OpenFileRequest&) {
    return std::optional<FileChoice>(FileChoice{folder / "outside", {"Belt.bmp"}});
  });

  WithRunningWindow([&](MainWindow& window) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Wizard& w = window.wizard();
    ClickNode(window, {"Wrestlers", "C", "Cassidy Storm"});
    EXPECT_TRUE(Items(*w.c.imagesList).empty());

    ListWidget* stray = List(window, id::kStrayList);
    QTest::mouseDClick(stray->viewport(), Qt::LeftButton, {},
                       ItemCenter(stray, "Cassidy_Storm.jpg"));
    static_cast<QPushButton*>(window.WidgetById(id::kAddImagesButton))->click();
    Drop(window, {FileUrl(folder / "outside" / "Ring Photo.JPG")});
    EXPECT_EQ(Items(*w.c.imagesList),
              (std::vector<std::string>{"belt.bmp", "cassidy_storm.jpg", "ring photo.jpg"}));
    std::vector<std::string> strays = Items(*w.c.strayList);
    EXPECT_EQ(std::count(strays.begin(), strays.end(), "Cassidy_Storm.jpg"), 0);

    ClickNode(window, {"Wrestlers", "A", "Ace Harmon"});
    ListWidget* images = List(window, id::kImagesList);
    ClickItem(window, id::kImagesList, "ace_harmon.jpg");
    ASSERT_EQ(QApplication::focusWidget(), images);
    // Pressing, holding (as X11 repeats: a release and at once a press, not always flagged as
    // repeated) and other keys do nothing; "." has Delete's Windows key code in Qt.
    QTest::keyPress(images, Qt::Key_Delete);
    for (bool flagged : {true, false}) {
      QKeyEvent up(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier, QString(), flagged);
      QKeyEvent down(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(), flagged);
      QApplication::sendEvent(images, &up);
      QApplication::sendEvent(images, &down);
      QTest::qWait(100);
    }
    QTest::keyClick(images, Qt::Key_Period);
    QTest::qWait(100);
    EXPECT_TRUE(shown.empty());
    QTest::keyRelease(images, Qt::Key_Delete);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 2000));
    EXPECT_EQ(shown, std::vector<std::string>{"Do you really want to delete ace_harmon.jpg?"});
    EXPECT_EQ(Items(*w.c.imagesList), std::vector<std::string>{"ace_harmon_2.jpg"});
    strays = Items(*w.c.strayList);
    EXPECT_EQ(std::count(strays.begin(), strays.end(), "ace_harmon.jpg"), 1);

    static_cast<QPushButton*>(window.WidgetById(id::kExitButton))->click();
  });
  test::RecordingMessageBox messages;
  EXPECT_EQ(RunWizard(SystemOs(), game, messages,
                      [&](const GamePaths& paths, GameDatabase& db) {
                        RunMainWindow(SystemOs(), paths, db);
                      }),
            0);
  EXPECT_TRUE(messages.texts.empty());

  std::string expected = before;
  const std::string old = "ace_harmon.jpg|ace_harmon_2.jpg\r\n";
  ASSERT_NE(expected.find(old), std::string::npos);
  expected.replace(expected.find(old), old.size(), "ace_harmon_2.jpg\r\n");
  expected += "Cassidy Storm\r\ncassidy_storm.jpg|belt.bmp|ring photo.jpg\r\n";
  EXPECT_EQ(test::ReadBytes(game / "media" / "index.dat"), expected);
  EXPECT_EQ(test::ReadBytes(game / "media" / "index.dat.bak"), before);
  EXPECT_EQ(test::ReadBytes(game / "media" / "Ring Photo.JPG"),
            test::ReadBytes(game / "media" / "nova.jpg"));
  EXPECT_TRUE(fs::exists(game / "media" / "ace_harmon.jpg"));  // taken away, not deleted
}

TEST_F(DemoWindowTest, ADragIsTakenOnlyAsTheDialogWouldBe) {
  NewPool();
  GameDatabase db;
  const GamePaths paths = ResolveGamePaths(SystemOs(), game);
  LoadGameDatabase(SystemOs(), paths, db);
  const fs::path out = folder / "outside";
  for (const char* name : {"a.JPG", "b.Bmp", "c.jpeg", "notes.txt", "d.png"})
    test::WriteBytes(out / name, "x");
  const QUrl a = FileUrl(out / "a.JPG"), b = FileUrl(out / "b.Bmp"), c = FileUrl(out / "c.jpeg"),
             notes = FileUrl(out / "notes.txt"), png = FileUrl(out / "d.png");
  const QUrl web("https://example.org/a.jpg");
  {
    MainWindow window(SystemOs(), paths, db);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    struct Case {
      const char* what;
      std::vector<std::string> select;  // tree path; empty: nothing selected
      QList<QUrl> urls;
      bool taken;
    } cases[] = {
        {"nothing selected", {}, {a}, false},
        {"a group", {"Wrestlers", "A"}, {a}, false},
        {"a wrestler, pictures", {"Wrestlers", "A", "Ace Harmon"}, {a, b, c}, true},
        {"a wrestler, a text file", {"Wrestlers", "A", "Ace Harmon"}, {notes}, false},
        {"a wrestler, a png among pictures", {"Wrestlers", "A", "Ace Harmon"}, {a, png}, true},
        {"a wrestler, from the web", {"Wrestlers", "A", "Ace Harmon"}, {web}, false},
        {"a stable before members are picked", {"Stables", "T", "The Syndicate"}, {a}, false},
        {"a title", {"Titles", "NCW Heavyweight Championship"}, {b}, true},
    };
    for (const Case& k : cases) {
      if (!k.select.empty()) ClickNode(window, k.select);
      EXPECT_EQ(TakesDrag(window, k.urls), k.taken) << k.what;
    }
  }
  ReleasePool();
}

}  // namespace
}  // namespace qvm
