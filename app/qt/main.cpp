// qvm-image-wizard [GAME_FOLDER | --choose-folder]: opens the wizard on the game folder (default:
// the current one). --choose-folder, used by the desktop entry, takes the folder remembered from
// the last run or asks for one.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/Launcher.h"
#include "app/Startup.h"
#include "app/qt/MainWindow.h"
#include "app/qt/QtMessageBox.h"
#include "app/qt/QtText.h"
#include "platform/PathText.h"

namespace {

// For the benchmark (scripts/run-bench): with QVM_EXIT_AFTER_FIRST_PAINT set, the process says
// when the main window has painted for the first time (tree built, stray list filled) and ends
// right there, without saving the index.
class ExitAfterFirstPaint : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && qobject_cast<qvm::MainWindow*>(watched) && !seen_) {
      seen_ = true;
      // Once the whole window, children included, has painted.
      QTimer::singleShot(0, [this] {
        std::printf("first paint %.1f ms after main started\n",
                    static_cast<double>(sinceMain_.nsecsElapsed()) / 1e6);
        std::fflush(stdout);
        std::_Exit(0);
      });
    }
    return false;
  }
  QElapsedTimer sinceMain_;

 private:
  bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  // --help and --version answer without a display too (a terminal over ssh): before Qt, which
  // ends at once without one.
  if (argc == 2) {
    if (const auto answer = qvm::AnswerWithoutWindow(qvm::ProgramArguments(argc, argv))) {
      std::fputs(answer->output.c_str(), stdout);
      return *answer->exitStatus;
    }
  }
  ExitAfterFirstPaint exitAfterFirstPaint;
  exitAfterFirstPaint.sinceMain_.start();
  QApplication app(argc, argv);
  if (qEnvironmentVariableIsSet("QVM_EXIT_AFTER_FIRST_PAINT"))
    app.installEventFilter(&exitAfterFirstPaint);
  QApplication::setApplicationName("qvm-image-wizard");
  QApplication::setDesktopFileName("org.qvm7.ImageWizard");
  QApplication::setFont(QFont("Liberation Sans", 8));
  QApplication::setWindowIcon(QIcon(":/icons/102/32.png"));
  // The run ends when RunWizard returns, after the index is saved, not when the window closes.
  QApplication::setQuitOnLastWindowClosed(false);
  qvm::QtMessageBox messages;

  // The arguments as the system gives them (Qt has taken its own options out of argv): a
  // folder name that is no valid text in the system's encoding still names the folder.
  qvm::Os& os = qvm::SystemOs();
  const qvm::WindowStart start =
      qvm::StartWindow(os, qvm::ProgramArguments(argc, argv), messages,
                       []() -> std::optional<std::filesystem::path> {
                         const QString chosen = QFileDialog::getExistingDirectory(
                             nullptr,
                             QObject::tr(
                                 "Choose the main folder of QVM 7 SE (the one holding qvm.vrs)"),
                             QDir::homePath());
                         if (chosen.isEmpty()) return std::nullopt;
                         return qvm::PathFromQString(chosen);
                       });
  if (start.exitStatus) {
    std::fputs(start.output.c_str(), *start.exitStatus != 0 ? stderr : stdout);
    return *start.exitStatus;
  }
  const std::filesystem::path& folder = start.folder;
  // The window is made while the game loads, and shown once it has.
  return qvm::RunWizard(os, folder, messages, [&os] { return qvm::MakeMainWindow(os); });
}
