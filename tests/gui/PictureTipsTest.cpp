// Picture tips of the lists: decoded on the worker, cached, shown only while the mouse is still
// on the name, and never holding up the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QLabel>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <chrono>
#include <thread>

#include "app/qt/MainWindow.h"
#include "app/qt/PictureTips.h"
#include "app/qt/QtControls.h"
#include "images/MediaFile.h"
#include "platform/Os.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;

void WritePicture(const fs::path& file, int width, int height, const char* format) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::darkCyan);
  ASSERT_TRUE(image.save(QString::fromStdString(file.string()), format));
}

class PictureTipsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(game.path() / "media");
    WritePicture(game.path() / "media" / "Hero.JPG", 300, 200, "JPEG");
    WritePicture(game.path() / "media" / "tall.bmp", 40, 90, "BMP");
    game.Write("media/broken.jpg", "\xFF\xD8\xFF not really");
    list = new ListWidget(&top);
    list->setGeometry(0, 0, 200, 150);
    box = std::make_unique<QtListBox>(list);
    for (const char* name : {"hero.jpg", "tall.bmp", "broken.jpg", "missing.jpg"})
      box->AddString(name);
    tips = new PictureTips(&top, SystemOs(), [paths = game.Paths()](const std::string& name) {
      return ResolveMediaFile(SystemOs(), paths, name);
    });
    tips->Watch(list);
    top.resize(200, 150);
    top.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&top));
  }
  void TearDown() override { QToolTip::hideText(); }

  int Row(const char* name) const {
    for (int row = 0; row < list->count(); ++row)
      if (list->item(row)->text() == QLatin1String(name)) return row;
    ADD_FAILURE() << name;
    return 0;
  }
  // Rests the mouse on the item as the toolkit does before it asks for a tip.
  void Hover(const char* name) {
    QPoint at = list->visualItemRect(list->item(Row(name))).center();
    QPoint global = list->viewport()->mapToGlobal(at);
    QCursor::setPos(global);
    QHelpEvent event(QEvent::ToolTip, at, global);
    QApplication::sendEvent(list->viewport(), &event);
  }
  void MoveTo(const char* name) {
    QCursor::setPos(
        list->viewport()->mapToGlobal(list->visualItemRect(list->item(Row(name))).center()));
  }
  static QString TipText() { return QToolTip::isVisible() ? QToolTip::text() : QString(); }

  test::GameFolder game;
  QWidget top;
  ListWidget* list = nullptr;
  std::unique_ptr<QtListBox> box;
  PictureTips* tips = nullptr;
};

TEST_F(PictureTipsTest, ShowsTheSizeAndAThumbnailOnceDecodedThenFromTheCache) {
  QSignalSpy shown(tips, &PictureTips::tipShown);
  Hover("hero.jpg");
  ASSERT_TRUE(tips->WaitIdle());
  ASSERT_EQ(shown.count(), 1);
  EXPECT_EQ(shown.at(0).at(0).toByteArray(), "hero.jpg");
  QString text = TipText();
  EXPECT_TRUE(text.contains("<img src=\"data:image/png;base64,")) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromUtf8("300 \u00d7 200 pixels"))) << text.toStdString();
  // The picture really is in the tip: the label is taller than two lines of text.
  QLabel* label = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->inherits("QTipLabel") && w->isVisible()) label = static_cast<QLabel*>(w);
  ASSERT_NE(label, nullptr);
  EXPECT_GE(label->sizeHint().height(), 128 * 200 / 300);
  EXPECT_EQ(tips->Decodes(), 1);

  // Again: at once, from the cache, and the unchanged file is not decoded again.
  QToolTip::hideText();
  Hover("hero.jpg");
  EXPECT_EQ(shown.count(), 2);
  ASSERT_TRUE(tips->WaitIdle());
  EXPECT_EQ(shown.count(), 2);
  EXPECT_EQ(tips->Decodes(), 1);

  // A changed file is decoded anew and its tip replaced.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  WritePicture(game.path() / "media" / "Hero.JPG", 100, 250, "JPEG");
  Hover("hero.jpg");
  ASSERT_TRUE(tips->WaitIdle());
  EXPECT_EQ(tips->Decodes(), 2);
  EXPECT_TRUE(TipText().contains(QString::fromUtf8("100 \u00d7 250 pixels")));
}

TEST_F(PictureTipsTest, SaysWhatIsWrongWithNamesThatShowNoPicture) {
  struct Case {
    const char* name;
    const char* says;
    bool image;
  } cases[] = {
      {"tall.bmp", "40 \u00d7 90 pixels", true},  // small pictures keep their size
      {"broken.jpg", "This file cannot be shown as a picture.", false},
      {"missing.jpg", "There is no such file in the media folder.", false},
  };
  for (const Case& c : cases) {
    Hover(c.name);
    ASSERT_TRUE(tips->WaitIdle());
    QString text = TipText();
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.says))) << c.name << text.toStdString();
    EXPECT_EQ(text.contains("<img"), c.image) << c.name;
  }
  // Below the last item there is no name and no tip.
  QHelpEvent below(QEvent::ToolTip, QPoint(5, 140), list->viewport()->mapToGlobal(QPoint(5, 140)));
  QApplication::sendEvent(list->viewport(), &below);
  EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
}

TEST_F(PictureTipsTest, ASlowDecodeNeitherBlocksNorShowsOnceTheMouseHasMovedOn) {
  QSemaphore started, release;
  tips->SetDecoder([&](const fs::path& file, int side, QSize* size, int* orientation) {
    started.release();
    release.tryAcquire(1, 10000);  // holds the worker, never the window
    return PictureTips::DecodeThumbnail(SystemOs(), file, side, size, orientation);
  });
  QSignalSpy shown(tips, &PictureTips::tipShown);

  Hover("hero.jpg");  // returns while the decode is held
  ASSERT_TRUE(started.tryAcquire(1, 5000));
  EXPECT_EQ(shown.count(), 0);
  MoveTo("tall.bmp");  // the mouse leaves before the picture is ready
  release.release();
  ASSERT_TRUE(tips->WaitIdle());
  EXPECT_EQ(shown.count(), 0);

  // The decode was kept all the same: coming back shows it at once.
  Hover("hero.jpg");
  EXPECT_EQ(shown.count(), 1);
  ASSERT_TRUE(tips->WaitIdle());  // the file is unchanged: no decode to hold

  // Still on the name when the decode ends: the tip appears then.
  Hover("tall.bmp");
  ASSERT_TRUE(started.tryAcquire(1, 5000));
  EXPECT_EQ(shown.count(), 1);
  release.release();
  ASSERT_TRUE(tips->WaitIdle());
  ASSERT_EQ(shown.count(), 2);
  EXPECT_EQ(shown.at(1).at(0).toByteArray(), "tall.bmp");
}

TEST(PictureTipsWindowTest, TheWindowsPictureListsHaveTips) {
  NewPool();
  {
    test::GameFolder game;
    std::filesystem::create_directories(game.path() / "media");
    WritePicture(game.path() / "media" / "stray.jpg", 60, 80, "JPEG");
    GameDatabase db;
    const GamePaths paths = game.Paths();
    MainWindow window(SystemOs(), paths, db);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* stray = static_cast<ListWidget*>(window.WidgetById(id::kStrayList));
    ASSERT_EQ(stray->count(), 1);
    QPoint at = stray->visualItemRect(stray->item(0)).center();
    QCursor::setPos(stray->viewport()->mapToGlobal(at));
    QHelpEvent event(QEvent::ToolTip, at, stray->viewport()->mapToGlobal(at));
    QApplication::sendEvent(stray->viewport(), &event);
    ASSERT_TRUE(window.Tips().WaitIdle());
    EXPECT_TRUE(QToolTip::isVisible() &&
                QToolTip::text().contains(QString::fromUtf8("60 \u00d7 80")));
    QToolTip::hideText();
  }
  ReleasePool();
}

}  // namespace
}  // namespace qvm
