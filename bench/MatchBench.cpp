// qvm-match-bench GAME CLI RUNS: how long the window's match dialog takes to open on a
// game folder (the full-capacity one of qvm-full-game): from Ctrl+M to the dialog painted with
// its rows (the stray list scanned again, every suggestion listed), beside the CLI's `suggest`
// on the same game, a whole process, the runs taken in turns. Offscreen. Prints tab-separated
// rows (see Harness.h) on stdout, progress on stderr.
#include <QApplication>
#include <QDialog>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/MatchList.h"
#include "app/qt/MainWindow.h"
#include "bench/Harness.h"
#include "gamedb/LoadGameDatabase.h"

using namespace qvm;
using namespace qvm::bench;

namespace {

// Ends the match dialog at its first paint with rows on screen, noting when that was.
class FirstRowsPainted : public QObject {
 public:
  double paintedMs = 0;
  int rows = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || paintedMs > 0) return false;
    auto* view = qobject_cast<QWidget*>(watched);
    auto* table = view ? qobject_cast<QTableView*>(view->parentWidget()) : nullptr;
    if (!table || table->window()->objectName() != "matchDialog") return false;
    paintedMs = NowMs();
    rows = table->model()->rowCount();
    QTimer::singleShot(0, table->window(), [dialog = table->window()] {
      static_cast<QDialog*>(dialog)->reject();
    });
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || std::atoi(argv[3]) < 1) {
    std::fprintf(stderr, "usage: qvm-match-bench GAME CLI RUNS\n");
    return 2;
  }
  const std::string game = argv[1], cli = argv[2];
  const int runs = std::atoi(argv[3]);
  QApplication app(argc, argv);

  NewPool();
  GameDatabase db;
  const GamePaths paths = ResolveGamePaths(SystemOs(), game);
  LoadGameDatabase(SystemOs(), paths, db);
  MainWindow window(SystemOs(), paths, db);
  window.show();
  QApplication::processEvents();
  FirstRowsPainted painted;
  app.installEventFilter(&painted);

  // Taken in turns, so that a busy moment weighs on both alike. The shell that starts the CLI
  // adds a millisecond or two to its side.
  const std::string suggest = "'" + cli + "' -C '" + game + "' suggest >/dev/null 2>&1";
  std::fprintf(stderr, "  the match dialog and the CLI's suggest\n");
  std::vector<double> floors, opening;
  for (int i = 0; i < runs; ++i) {
    double started = NowMs();
    KeepAlive(std::system(suggest.c_str()));
    floors.push_back(NowMs() - started);
    painted.paintedMs = 0;
    started = NowMs();
    MatchStrayPictures(window.wizard());
    if (painted.paintedMs == 0) {
      std::fprintf(stderr, "the match dialog did not open: no suggestions on %s\n", game.c_str());
      return 1;
    }
    opening.push_back(painted.paintedMs - started);
  }
  const double value = Median(opening), floor = Median(floors);

  Table table;
  table.Add({"match dialog (Ctrl+M) to its rows painted, full game (" +
                 std::to_string(painted.rows) + " suggestions)",
             value, "ms", "CLI suggest on the full game", floor, "<= 2x the floor",
             value <= 2 * floor});
  std::fputs(table.Tsv().c_str(), stdout);
  window.close();
  ReleasePool();
  return 0;
}
