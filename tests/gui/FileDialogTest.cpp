// The open-file dialog on screen, unscripted: what it asks, which files it offers, what it
// answers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <set>

#include "app/ImageOperations.h"
#include "app/qt/QtFileDialog.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;

// The names the dialog's file list shows.
std::set<QString> Listed(QFileDialog* dialog) {
  std::set<QString> names;
  auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
  if (!view || !view->model()) return names;
  for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
    names.insert(view->model()->index(row, 0, view->rootIndex()).data().toString());
  return names;
}

// Confirms what the name box holds, as Enter does; a refusal (a message box) fails the test.
void Confirm(QFileDialog* dialog) {
  QTimer::singleShot(0, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      ADD_FAILURE() << box->text().toStdString();
      box->close();
    }
  });
  static_cast<QDialog*>(dialog)->accept();
}

// Runs the dialog with `act` doing what the user would once it is open.
std::optional<FileChoice> RunDialog(const fs::path& game,
                                    const std::function<void(QFileDialog*)>& act) {
  QWidget owner;
  QtFileDialog adapter(&owner);
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
      ADD_FAILURE() << "no dialog";
      if (QWidget* other = QApplication::activeModalWidget()) other->close();
      return;
    }
    act(dialog);
    if (dialog->isVisible()) dialog->reject();
  });
  return adapter.ChooseImageFiles(ImageFileRequest(ResolveGamePaths(SystemOs(), game)));
}

TEST(QtFileDialogTest, OffersThePicturesOfMediaAndAnswersTheirFolderAndNames) {
  test::GameFolder game;
  // The media folder as a copy from Windows may spell it.
  for (const char* name :
       {"Hero.JPG", "photo.jpeg", "Logo.Bmp", "notes.jpg.txt", "readme.txt", "pic.png"})
    game.Write(std::string("Media/") + name, "x");
  const QString media =
      QDir(QString::fromStdString((game.path() / "Media").string())).canonicalPath();

  std::optional<FileChoice> choice = RunDialog(game.path(), [&](QFileDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "QVM 7 Visualizer");
    EXPECT_EQ(dialog->directory().canonicalPath(), media);
    EXPECT_EQ(dialog->nameFilters(),
              QStringList({"Jpegs (*.JP*)", "Bitmaps (*.BMP)",
                           "All pictures (*.JP* *.BMP *.PNG *.GIF *.WEBP *.TIF *.TIFF)"}));
    EXPECT_EQ(dialog->selectedNameFilter(), "Jpegs (*.JP*)");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);  // several, and they must exist
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "*.JP*");

    // The patterns match without regard to case; "*" takes dots as well.
    const std::set<QString> jpegs = {"Hero.JPG", "photo.jpeg", "notes.jpg.txt"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(dialog) == jpegs; }, 5000))
        << Listed(dialog).size();
    dialog->selectNameFilter(QStringLiteral("Bitmaps (*.BMP)"));
    const std::set<QString> bitmaps = {"Logo.Bmp"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(dialog) == bitmaps; }, 5000))
        << Listed(dialog).size();

    // A pattern confirmed in the name box, the initial one too, filters the list.
    for (const char* pattern : {"*.JP*", "*.bmp"}) {
      name->setText(QString::fromLatin1(pattern));
      Confirm(dialog);
      EXPECT_TRUE(dialog->isVisible()) << pattern;
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(dialog) == bitmaps; }, 5000));

    // Several files at once, of the type shown.
    dialog->selectNameFilter(QStringLiteral("Jpegs (*.JP*)"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(dialog) == jpegs; }, 5000));
    name->setText(QStringLiteral("\"photo.jpeg\" \"Hero.JPG\""));
    Confirm(dialog);
  });
  ASSERT_TRUE(choice.has_value());
  EXPECT_EQ(QString::fromStdString(choice->sourceFolder.string()), media);
  EXPECT_EQ(choice->names, (std::vector<fs::path>{"photo.jpeg", "Hero.JPG"}));

  // Cancelled: no answer.
  EXPECT_FALSE(RunDialog(game.path(), [](QFileDialog* dialog) { dialog->reject(); }).has_value());
}

}  // namespace
}  // namespace qvm
