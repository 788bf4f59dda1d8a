// The Qt window on the demo game: the scenarios of tests/support/DemoScenarios.h driven with
// Qt's own events (offscreen), and what only the Qt window has (taking a drag).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>
#include <QUrl>
#include <cstdlib>
#include <map>
#include <memory>

#include "app/Startup.h"
#include "app/qt/BulkCommands.h"
#include "app/qt/MainWindow.h"
#include "app/qt/PreviewActions.h"
#include "app/qt/PictureTips.h"
#include "app/qt/QtFileDialog.h"
#include "app/qt/QtMessageBox.h"
#include "app/qt/QtText.h"
#include "app/qt/TreeFindBar.h"
#include "gamedb/LoadGameDatabase.h"
#include "tests/support/DemoScenarios.h"
#include "tests/support/TreePath.h"
#include "tests/unit/RecordingMessageBox.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;

const QRgb kBackground = qRgb(20, 20, 80);

QUrl FileUrl(const fs::path& path) {
  return QUrl::fromLocalFile(QString::fromStdString(path.string()));
}

// The match dialog's table as the user sees it.
class QtMatchView : public test::MatchDialogView {
 public:
  explicit QtMatchView(QTableView* table) : table_(table) {}
  int Rows() override { return table_->model()->rowCount(); }
  bool Checked(int row) override {
    return table_->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
  }
  std::string Text(int row, MatchColumn column) override {
    return FromQString(table_->model()->index(row, static_cast<int>(column)).data().toString());
  }
  void Toggle(int row) override {
    table_->setCurrentIndex(table_->model()->index(row, 0));
    QTest::keyClick(table_, Qt::Key_Space);
  }

 private:
  QTableView* table_;
};

class QtDemoWindow : public test::DemoWindow {
 public:
  ~QtDemoWindow() override {
    QtMessageBox::SetScript(nullptr);
    QtFileDialog::SetScript(nullptr);
  }

  bool WriteDemo(const fs::path& game) override {
    const std::string command = std::string("'") + QVM_DEMO_GAME + "' '" + game.string() + "' 2>/dev/null";
    return std::system(command.c_str()) == 0;
  }
  bool RunCli(const fs::path& game, const std::string& args, int status) override {
    const std::string command =
        std::string("'") + QVM_CLI + "' -C '" + game.string() + "' " + args + " >/dev/null";
    const int result = std::system(command.c_str());
    return WIFEXITED(result) && WEXITSTATUS(result) == status;
  }

  void Run(bool wholeRun, const std::function<void()>& act) override {
    if (!wholeRun) {
      NewPool();
      GameDatabase db;
      const GamePaths paths = ResolveGamePaths(SystemOs(), Game());
      LoadGameDatabase(SystemOs(), paths, db);
      {
        MainWindow window(SystemOs(), paths, db);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        window_ = &window;
        act();
        window_ = nullptr;
      }
      ReleasePool();
      return;
    }
    QTimer::singleShot(0, [this, act] {
      for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<MainWindow*>(top); window && window->isVisible()) {
          EXPECT_TRUE(QTest::qWaitForWindowActive(window));
          window_ = window;
          act();
          if (window->isVisible()) ClickButton(id::kExitButton);
          window_ = nullptr;
          return;
        }
      ADD_FAILURE() << "no window";
    });
    test::RecordingMessageBox messages;
    // As the program runs it: the window made while the game loads.
    EXPECT_EQ(RunWizard(SystemOs(), Game(), messages, [] { return MakeMainWindow(SystemOs()); }),
              0);
    EXPECT_TRUE(messages.texts.empty());
  }
  Wizard& W() override { return window_->wizard(); }

  void ClickNode(const std::vector<std::string>& path) override {
    const NodeHandle node =
        test::NodeAtPath(W().tree, std::vector<std::string_view>(path.begin(), path.end()));
    ASSERT_NE(node, 0u) << path.back();
    QTreeView* view = Tree();
    const QModelIndex index = window_->Tree().IndexOf(node);
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) view->expand(up);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    ASSERT_EQ(W().c.itemsTree->Selection(), node) << path.back();
  }
  void ClickItem(int list, const std::string& text, bool ctrl) override {
    ListWidget* widget = window_->List(list);
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, ctrl ? Qt::ControlModifier : Qt::NoModifier,
                      ItemCenter(widget, text));
  }
  void DoubleClickItem(int list, const std::string& text) override {
    ListWidget* widget = window_->List(list);
    QTest::mouseDClick(widget->viewport(), Qt::LeftButton, {}, ItemCenter(widget, text));
  }
  void ClickButton(int button) override {
    static_cast<QPushButton*>(window_->WidgetById(button))->click();
  }
  void Press(test::Key key) override {
    static const std::map<test::Key, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
        {test::Key::F4, {Qt::Key_F4, Qt::NoModifier}},
        {test::Key::ShiftF4, {Qt::Key_F4, Qt::ShiftModifier}},
        {test::Key::CtrlShiftF4, {Qt::Key_F4, Qt::ControlModifier | Qt::ShiftModifier}},
        {test::Key::CtrlM, {Qt::Key_M, Qt::ControlModifier}},
        {test::Key::Left, {Qt::Key_Left, Qt::NoModifier}},
        {test::Key::CtrlZ, {Qt::Key_Z, Qt::ControlModifier}},
        {test::Key::CtrlY, {Qt::Key_Y, Qt::ControlModifier}},
        {test::Key::CtrlShiftZ, {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier}},
        {test::Key::CtrlK, {Qt::Key_K, Qt::ControlModifier}},
    };
    const auto [code, modifiers] = keys.at(key);
    // The offscreen platform gives no window the activation back when a dialog closes, as a
    // desktop does; the window's shortcuts need it.
    window_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_));
    Tree()->setFocus();
    QTest::keyClick(Tree(), code, modifiers);
  }
  void PressInCrop(test::CropKey key) override {
    static const std::map<test::CropKey, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
        {test::CropKey::Down, {Qt::Key_Down, Qt::NoModifier}},
        {test::CropKey::ShiftDown, {Qt::Key_Down, Qt::ShiftModifier}},
        {test::CropKey::Enter, {Qt::Key_Return, Qt::NoModifier}},
        {test::CropKey::Escape, {Qt::Key_Escape, Qt::NoModifier}},
    };
    const auto [code, modifiers] = keys.at(key);
    QTest::keyClick(window_->Actions().Overlay(), code, modifiers);
    QApplication::processEvents();  // a closed frame goes once its events are handled
  }
  std::optional<PixelRect> CropFrame() override {
    const CropOverlay* overlay = window_->Actions().Overlay();
    return overlay ? std::optional(overlay->Frame().Frame()) : std::nullopt;
  }
  void PressKeysBesideDelete() override {
    // "." has Delete's Windows key code in Qt.
    QTest::keyClick(window_->List(id::kImagesList), Qt::Key_Period);
    QTest::qWait(100);
  }
  void PressDelete(int repeats) override {
    ListWidget* images = window_->List(id::kImagesList);
    QTest::keyPress(images, Qt::Key_Delete);
    // Held: X11 repeats as a release and at once a press, not always flagged as repeated.
    for (int i = 0; i < repeats; ++i) {
      const bool flagged = i % 2 == 0;
      QKeyEvent up(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier, QString(), flagged);
      QKeyEvent down(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(), flagged);
      QApplication::sendEvent(images, &up);
      QApplication::sendEvent(images, &down);
      QTest::qWait(20);
    }
    QTest::keyRelease(images, Qt::Key_Delete);
    QTest::qWait(100);
  }
  void Drop(const std::vector<fs::path>& files) override {
    QMimeData data;
    QList<QUrl> urls;
    for (const fs::path& file : files) urls.push_back(FileUrl(file));
    data.setUrls(urls);
    QWidget* viewport = window_->List(id::kImagesList)->viewport();
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);
    QApplication::processEvents();  // the files are attached after the drop
  }
  void ChooseTreeMenu() override {
    std::unique_ptr<QMenu>(window_->Bulk().TreeMenu())->actions().front()->trigger();
  }
  void ChooseStrayMenu() override {
    std::unique_ptr<QMenu>(window_->Bulk().StrayMenu())->actions().front()->trigger();
  }
  void FindType(const std::string& text) override {
    window_->FindBar().Open(QString());
    window_->FindBar().clear();
    QTest::keyClicks(&window_->FindBar(), ToQString(text));
  }
  void FindEnter() override { QTest::keyClick(&window_->FindBar(), Qt::Key_Return); }
  void FindEscape() override { QTest::keyClick(&window_->FindBar(), Qt::Key_Escape); }

  void AnswerMessages(MessageScript script) override { QtMessageBox::SetScript(std::move(script)); }
  void AnswerFileDialog(FileScript script) override { QtFileDialog::SetScript(std::move(script)); }
  void AnswerMatchDialog(std::function<void(test::MatchDialogView&)> inside, bool attach) override {
    // Looks for the dialog once it is open, from inside its own event loop.
    auto* look = new QTimer;
    look->setInterval(10);
    QObject::connect(look, &QTimer::timeout, [look, inside, attach] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (!dialog || dialog->objectName() != "matchDialog") return;
      look->stop();
      look->deleteLater();
      QtMatchView view(dialog->findChild<QTableView*>());
      inside(view);
      const QString button = ToQString(attach ? kAttachCheckedButton : kCancelButton);
      for (auto* push : dialog->findChildren<QPushButton*>())
        if (push->text() == button) push->click();
    });
    look->start();
  }

  bool HasFocus(int control) override {
    return QApplication::focusWidget() == window_->WidgetById(control);
  }
  bool PreviewDrawn() override {
    EXPECT_TRUE(window_->Imaging().WaitIdle());
    const QImage& canvas = window_->Imaging().Area()->Canvas();
    return canvas.pixel(canvas.width() / 2, canvas.height() / 2) != kBackground;
  }
  bool FindOpen() override { return window_->FindBar().isVisible(); }
  bool FindNotFound() override {
    return window_->FindBar().palette().color(QPalette::Base) != QColor(Qt::white);
  }
  std::vector<std::string> Emphasised(int list) override {
    std::vector<std::string> out;
    ListWidget* widget = window_->List(list);
    for (int row = 0; row < widget->count(); ++row) {
      QListWidgetItem* item = widget->item(row);
      if (item->font().bold())
        out.push_back(item->text().toStdString() + ": " +
                      item->data(Qt::ToolTipRole).toString().toStdString());
    }
    return out;
  }
  std::string PictureTip(int list, const std::string& item) override {
    ListWidget* widget = window_->List(list);
    const QPoint at = ItemCenter(widget, item);
    bool shown = false;
    QObject::connect(&window_->Tips(), &PictureTips::tipShown, widget, [&] { shown = true; });
    QCursor::setPos(widget->viewport()->mapToGlobal(at));
    QHelpEvent help(QEvent::ToolTip, at, widget->viewport()->mapToGlobal(at));
    QApplication::sendEvent(widget->viewport(), &help);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown; }, 5000));
    const std::string text = QToolTip::text().toStdString();
    QToolTip::hideText();
    return text;
  }
  std::string FieldTip(int field) override {
    QToolTip::hideText();
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000)) ADD_FAILURE() << "tip stays";
    QWidget* widget = window_->WidgetById(field);
    auto* multi = qobject_cast<QPlainTextEdit*>(widget);
    QWidget* target = multi ? multi->viewport() : widget;
    const QPoint at = target->rect().center();
    QHelpEvent event(QEvent::ToolTip, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    // The tip is rich text, to keep its line whole.
    const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
    QToolTip::hideText();
    return QTextDocumentFragment::fromHtml(text).toPlainText().toStdString();
  }
  std::string NodeTip(NodeHandle node) override {
    return window_->Tree().IndexOf(node).data(Qt::ToolTipRole).toString().toStdString();
  }
  bool ShowsNode(NodeHandle node) override { return window_->Tree().IndexOf(node).isValid(); }
  bool ShowsMarked(NodeHandle node) override {
    const QModelIndex index = window_->Tree().IndexOf(node);
    const bool italic = index.data(Qt::FontRole).value<QFont>().italic();
    const bool described = !index.data(Qt::AccessibleDescriptionRole).toString().isEmpty();
    EXPECT_EQ(italic, described) << W().tree.Text(node);
    return italic && !index.data(TreeModel::kMarkRole).toString().isEmpty();
  }

 private:
  QTreeView* Tree() const { return static_cast<QTreeView*>(window_->WidgetById(id::kItemsTree)); }
  static QPoint ItemCenter(ListWidget* list, const std::string& text) {
    for (int row = 0; row < list->count(); ++row)
      if (list->item(row)->data(Qt::UserRole).toByteArray().toStdString() == text) {
        list->scrollToItem(list->item(row));
        return list->visualItemRect(list->item(row)).center();
      }
    ADD_FAILURE() << "no item " << text;
    return {};
  }

  MainWindow* window_ = nullptr;
};

class QtDemoScenario : public ::testing::TestWithParam<test::DemoScenario> {};

TEST_P(QtDemoScenario, Runs) {
  QtDemoWindow window;
  ASSERT_TRUE(window.WriteDemo(window.Game()));
  GetParam().run(window);
}

INSTANTIATE_TEST_SUITE_P(DemoWindow, QtDemoScenario, ::testing::ValuesIn(test::DemoScenarios()),
                         test::ScenarioName());

// A drag of these URLs over the images list: whether the list would take it.
bool TakesDrag(MainWindow& window, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  QWidget* viewport = window.List(id::kImagesList)->viewport();
  QDragEnterEvent enter(viewport->rect().center(), Qt::CopyAction | Qt::MoveAction, &data,
                        Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(viewport, &enter);
  return enter.isAccepted();
}

TEST(DemoWindowTest, ADragIsTakenOnlyAsTheDialogWouldBe) {
  QtDemoWindow demo;
  ASSERT_TRUE(demo.WriteDemo(demo.Game()));
  const fs::path out = demo.Folder() / "outside";
  for (const char* name : {"a.JPG", "b.Bmp", "c.jpeg", "notes.txt", "d.png"})
    test::WriteBytes(out / name, "x");
  const QUrl a = FileUrl(out / "a.JPG"), b = FileUrl(out / "b.Bmp"), c = FileUrl(out / "c.jpeg"),
             notes = FileUrl(out / "notes.txt"), png = FileUrl(out / "d.png");
  const QUrl web("https://example.org/a.jpg");
  demo.Run(false, [&] {
    auto* window = qobject_cast<MainWindow*>(QApplication::activeWindow());
    ASSERT_NE(window, nullptr);
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
      if (!k.select.empty()) demo.ClickNode(k.select);
      EXPECT_EQ(TakesDrag(*window, k.urls), k.taken) << k.what;
    }
  });
}

}  // namespace
}  // namespace qvm
