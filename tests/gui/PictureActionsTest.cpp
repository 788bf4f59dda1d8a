// The preview's actions in the window on the demo game, as a user would take them: an upright
// copy of the turned picture; a PNG chosen in the Add dialog and attached as a JPEG copy after
// the question.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTreeView>
#include <cstdlib>
#include <filesystem>

#include "app/PictureActions.h"
#include "app/qt/MainWindow.h"
#include "app/qt/PreviewActions.h"
#include "app/qt/QtFileDialog.h"
#include "app/qt/QtMessageBox.h"
#include "gamedb/LoadGameDatabase.h"
#include "images/PictureHeader.h"
#include "tests/support/TreePath.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;

class PictureActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string command = std::string("'") + QVM_DEMO_GAME + "' '" + game.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    NewPool();
    paths = ResolveGamePaths(SystemOs(), game);
    LoadGameDatabase(SystemOs(), paths, db);
    window = std::make_unique<MainWindow>(SystemOs(), paths, db);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void TearDown() override {
    window.reset();
    QtMessageBox::SetScript(nullptr);
    QtFileDialog::SetScript(nullptr);
  }

  // Selects the wrestler in the tree and `picture` in the images list, as clicks would.
  void Show(const char* wrestler, const char* picture) {
    Wizard& w = window->wizard();
    const std::string letter(1, wrestler[0]);
    const NodeHandle node = test::NodeAtPath(w.tree, {"Wrestlers", letter, wrestler});
    auto* view = static_cast<QTreeView*>(window->WidgetById(id::kItemsTree));
    view->setCurrentIndex(window->Tree().IndexOf(node));
    ASSERT_EQ(w.c.indexLineText->Text(), wrestler);
    w.c.imagesList->SetCurrent(w.c.imagesList->FindExact(-1, picture));
    window->Dispatch(MessageKind::Command, id::kImagesList, 1);
    ASSERT_EQ(w.c.imagesList->ItemText(-1), picture);
  }
  std::vector<std::string> Entry(const char* key) {
    const IndexEntry& e = db.imageIndex.Entry(db.imageIndex.FindEntry(key));
    return {e.images.begin(), e.images.end()};
  }

  test::TempFolder folder;
  fs::path game = folder / "demo";
  GamePaths paths;
  GameDatabase db;
  std::unique_ptr<MainWindow> window;
};

TEST_F(PictureActionsTest, TheMenuOffersAnUprightCopyOfATurnedPicture) {
  Show("Nova Sinclair", "nova.jpg");
  Wizard& w = window->wizard();
  const std::vector<PreviewMenuItem> menu = PreviewMenu(w);
  ASSERT_EQ(menu.size(), 3u);
  EXPECT_EQ(menu[0].text, "Stored turned (EXIF orientation 6): the game shows it turned");
  EXPECT_EQ(menu[1].action, PreviewAction::MakeUpright);
  EXPECT_EQ(menu[2].action, PreviewAction::CropToRatio);
  ASSERT_TRUE(MakeUprightCopy(w));
  EXPECT_EQ(Entry("Nova Sinclair"), std::vector<std::string>{"nova-upright.jpg"});
  const PictureHeader upright = ReadPictureHeader(SystemOs(), game / "media" / "nova-upright.jpg");
  EXPECT_EQ(upright.orientation, 1);
  EXPECT_EQ(upright.Width(), 256);  // stored 320 x 256
  EXPECT_EQ(PreviewMenu(w).size(), 1u);  // the crop alone
}

TEST_F(PictureActionsTest, AChosenPngIsAttachedAsAJpegCopyAfterTheQuestion) {
  Show("Ace Harmon", "ace_harmon.jpg");
  std::vector<std::string> asked;
  QtMessageBox::SetScript([&](std::string_view text, const MessageStyle&) {
    asked.emplace_back(text);
    return MessageAnswer::Yes;
  });
  QtFileDialog::SetScript([&](const OpenFileRequest& request) {
    EXPECT_EQ(request.filters.back().first, "All pictures");
    return std::optional<FileChoice>(FileChoice{paths.media, {"tess_marlowe.png"}});
  });
  window->Dispatch(MessageKind::Command, id::kAddImagesButton, 0);
  EXPECT_EQ(asked, std::vector<std::string>{"The game shows only JPEG and BMP pictures. Attach "
                                            "JPEG copies of these 1 pictures?"});
  EXPECT_EQ(Entry("Ace Harmon"),
            (std::vector<std::string>{"ace_harmon.jpg", "ace_harmon_2.jpg", "tess_marlowe.jpg"}));
  const PictureHeader copy = ReadPictureHeader(SystemOs(), game / "media" / "tess_marlowe.jpg");
  EXPECT_EQ(copy.format, PictureFormat::Jpeg);
  EXPECT_EQ(copy.Width(), 240);
}

}  // namespace
}  // namespace qvm
