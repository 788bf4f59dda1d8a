// qvm-start-bench GAME WIZARD [--runs N]: time from process start to the window's first paint
// on GAME (offscreen, tree built, stray list filled), and the window's peak resident memory.
// The floor is an empty Qt window process started the same way (this program with
// --empty-window) plus `cat` of every game and index file. Prints tab-separated rows (see
// Harness.h) on stdout, progress on stderr.
//
// The wizard is started with QVM_EXIT_AFTER_FIRST_PAINT=1: it prints one line at its first
// paint and ends at once, without saving the index (see app/qt/main.cpp).
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/Harness.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace qvm::bench;

namespace {

// The floor's window: shown, painted once, gone; the same hook as the wizard's.
int EmptyWindow(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(800, 600);
  struct FirstPaint : QObject {
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::Paint && watched->isWidgetType() &&
          static_cast<QWidget*>(watched)->isWindow()) {
        QTimer::singleShot(0, [] {
          std::printf("first paint\n");
          std::fflush(stdout);
          std::_Exit(0);
        });
      }
      return false;
    }
  } hook;
  app.installEventFilter(&hook);
  window.show();
  return app.exec();
}

struct Run {
  double ms = 0;    // spawn to the first line on stdout (or to the end when none)
  long peakKb = 0;  // the child's peak resident set
  bool ok = false;
  std::string line;
};

// Starts `args` with `extraEnv` added; when `waitForLine`, the time runs until the child's
// first line, else until it ends. Stdout goes to /dev/null when no line is awaited.
Run Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
          bool waitForLine) {
  std::vector<std::string> envText;
  for (char** e = environ; *e; ++e) envText.emplace_back(*e);
  for (const std::string& e : extraEnv) envText.push_back(e);
  std::vector<char*> env, argv;
  for (std::string& e : envText) env.push_back(e.data());
  env.push_back(nullptr);
  std::vector<std::string> argsCopy = args;
  for (std::string& a : argsCopy) argv.push_back(a.data());
  argv.push_back(nullptr);

  int pipeFd[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (waitForLine) {
    if (::pipe2(pipeFd, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_adddup2(&actions, pipeFd[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  // Qt's notes about the offscreen platform are of no interest here.
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  Run run;
  double start = NowMs();
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (waitForLine) ::close(pipeFd[1]);
  if (rc != 0) {
    if (waitForLine) ::close(pipeFd[0]);
    std::fprintf(stderr, "cannot start %s\n", args[0].c_str());
    return {};
  }
  if (waitForLine) {
    char c;
    while (::read(pipeFd[0], &c, 1) == 1 && c != '\n') run.line += c;
    run.ms = NowMs() - start;
    ::close(pipeFd[0]);
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  if (!waitForLine) run.ms = NowMs() - start;
  run.peakKb = usage.ru_maxrss;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && (!waitForLine || !run.line.empty());
  return run;
}

// Every file of the game that loading reads: all but the pictures.
std::vector<std::string> GameFiles(const fs::path& game) {
  std::vector<std::string> files;
  for (auto it = fs::recursive_directory_iterator(game); it != fs::recursive_directory_iterator();
       ++it) {
    if (it->is_directory()) {
      if (it->path().filename() == "media") it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file()) files.push_back(it->path().string());
  }
  files.push_back((game / "media" / "index.dat").string());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--empty-window") == 0) return EmptyWindow(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: qvm-start-bench GAME WIZARD [--runs N]\n");
    return 2;
  }
  const fs::path game = fs::absolute(argv[1]);
  const std::string wizard = fs::absolute(argv[2]).string();
  const std::string self = fs::canonical("/proc/self/exe").string();
  int runs = 9;
  if (argc >= 5 && std::strcmp(argv[3], "--runs") == 0) runs = std::max(1, std::atoi(argv[4]));

  const std::vector<std::string> offscreen{"QT_QPA_PLATFORM=offscreen"};
  const std::vector<std::string> hook{"QT_QPA_PLATFORM=offscreen", "QVM_EXIT_AFTER_FIRST_PAINT=1"};
  std::vector<std::string> cat{"cat"};
  for (const std::string& f : GameFiles(game)) cat.push_back(f);

  std::vector<double> windowMs, emptyMs, catMs;
  std::vector<double> windowKb, emptyKb;
  std::string lastLine;
  // Interleaved, so that a busy moment of the machine weighs on the figure and its floor alike.
  for (int r = 0; r < runs; ++r) {
    Run empty = Spawn({self, "--empty-window"}, offscreen, true);
    Run files = Spawn(cat, {}, false);
    Run window = Spawn({wizard, game.string()}, hook, true);
    if (!empty.ok || !files.ok || !window.ok) {
      std::fprintf(stderr, "a run failed (empty window %d, cat %d, wizard %d)\n", empty.ok,
                   files.ok, window.ok);
      return 1;
    }
    emptyMs.push_back(empty.ms);
    catMs.push_back(files.ms);
    windowMs.push_back(window.ms);
    emptyKb.push_back(static_cast<double>(empty.peakKb));
    windowKb.push_back(static_cast<double>(window.peakKb));
    lastLine = window.line;
  }
  std::fprintf(stderr, "  the wizard said: %s\n", lastLine.c_str());
  std::fprintf(stderr, "  empty window %.1f ms, cat %.1f ms\n", Median(emptyMs), Median(catMs));

  Table table;
  double floor = Median(emptyMs) + Median(catMs);
  double first = Median(windowMs);
  table.Add({"process start to first paint, full game", first, "ms",
             "empty Qt window + cat of the game files", floor, "<= 2.5x the floor",
             first <= 2.5 * floor});
  double peakMb = Median(windowKb) / 1024, emptyMb = Median(emptyKb) / 1024;
  table.Add({"peak resident memory of the window (VmHWM)", peakMb, "MB", "empty Qt window", emptyMb,
             "<= 150 MB", peakMb <= 150});
  std::fputs(table.Tsv().c_str(), stdout);
  return 0;
}
