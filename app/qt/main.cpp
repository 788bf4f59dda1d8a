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
#include <string_view>
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

// The answer to --help, --version or wrong usage, printed; nothing when the window is to open.
std::optional<int> AnswerWithoutWindow(const std::vector<std::string>& args) {
  if (args.size() > 1 || (!args.empty() && args.front() == "--help")) {
    std::fprintf(args.size() > 1 ? stderr : stdout,
                 "usage: qvm-image-wizard [GAME_FOLDER | --choose-folder]\n");
    return args.size() > 1 ? 2 : 0;
  }
  if (!args.empty() && args.front() == "--version") {
    std::printf("qvm-image-wizard %s\n", qvm::BuildNumber().c_str());
    return 0;
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  // --help and --version answer without a display too (a terminal over ssh): before Qt, which
  // ends at once without one.
  if (argc == 2 &&
      (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "--version"))
    return *AnswerWithoutWindow(qvm::ProgramArguments(argc, argv));
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
  std::vector<std::string> args = qvm::ProgramArguments(argc, argv);
  if (std::optional<int> answered = AnswerWithoutWindow(args)) return *answered;
  const bool chooseFolder = !args.empty() && args.front() == "--choose-folder";
  qvm::Os& os = qvm::SystemOs();
  const std::filesystem::path settings = qvm::LastFolderSettingsPath();
  std::optional<std::filesystem::path> start;
  if (chooseFolder) {
    start = qvm::RememberedGameFolder(os, settings);
    if (!start) {
      QString chosen = QFileDialog::getExistingDirectory(
          nullptr, QObject::tr("Choose the main folder of QVM 7 SE (the one holding qvm.vrs)"),
          QDir::homePath());
      if (chosen.isEmpty()) return 0;  // the user changed their mind
      start = qvm::PathFromQString(chosen);
    }
  } else if (!args.empty()) {
    start = qvm::PathFromArgument(args.front());
  }
  // The game folder becomes the working folder, as if the wizard had been started there.
  std::error_code changed;
  if (start) std::filesystem::current_path(*start, changed);
  if (changed) {
    messages.Show(qvm::kNotGameFolderMessage);
    return 1;
  }
  const std::filesystem::path folder = std::filesystem::current_path();
  if (chooseFolder && qvm::IsGameFolder(os, folder)) qvm::RememberGameFolder(os, settings, folder);
  return qvm::RunWizard(os, folder, messages,
                        [&](const qvm::GamePaths& paths, qvm::GameDatabase& db) {
                          qvm::RunMainWindow(os, paths, db);
                        });
}
