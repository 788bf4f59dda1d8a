// qvm-image-wizard [GAME_FOLDER]: opens the wizard on the game folder (default: the current one).
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QIcon>
#include <cstdio>
#include <filesystem>

#include "app/Startup.h"
#include "app/qt/MainWindow.h"
#include "app/qt/QtMessageBox.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("qvm-image-wizard");
  QApplication::setDesktopFileName("org.qvm7.ImageWizard");
  QApplication::setFont(QFont("Liberation Sans", 8));
  QApplication::setWindowIcon(QIcon(":/icons/102/32.png"));
  // The run ends when RunWizard returns, after the index is saved, not when the window closes.
  QApplication::setQuitOnLastWindowClosed(false);
  qvm::QtMessageBox messages;

  QStringList args = QApplication::arguments();
  args.removeFirst();
  if (args.size() > 1) {
    std::fprintf(stderr, "usage: qvm-image-wizard [GAME_FOLDER]\n");
    return 2;
  }
  // The game folder becomes the working folder, as if the wizard had been started there.
  if (!args.isEmpty() && ::chdir(QFile::encodeName(args.first()).constData()) != 0) {
    messages.Show(qvm::kNotGameFolderMessage);
    return 1;
  }
  const std::filesystem::path folder = std::filesystem::current_path();
  return qvm::RunWizard(folder, messages,
                        [&](qvm::GameDatabase& db) { qvm::RunMainWindow(folder, db); });
}
