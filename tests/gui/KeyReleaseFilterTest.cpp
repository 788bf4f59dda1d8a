// The Delete key's release as the images list sees it, from synthetic key sequences: taps,
// holds as X11 sends them (release-press pairs, flagged as auto-repeat or not), keys held while
// another window had the focus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include "app/qt/KeyReleaseFilter.h"

namespace qvm {
namespace {

using namespace std::chrono_literals;

constexpr auto kSettle = 10ms;

// Longer than the settling time, and its timer has run however late the test ran.
void Pause() {
  QTest::qWait(2 * kSettle.count());
  QCoreApplication::processEvents();
}

// Plays `keys` on a widget watched for Delete and counts the actions. P/R: Delete pressed and
// released; p/r: the same flagged as auto-repeat; O: another key pressed and released;
// F: the focus leaves; '.': a pause longer than the settling time; '#': the count so far must be
// the next digit.
void Play(const char* what, const std::string& keys, int expectedAtEnd) {
  QWidget widget;
  int acted = 0;
  new KeyReleaseFilter(
      &widget, Qt::Key_Delete, [&] { ++acted; }, kSettle);
  auto send = [&](QEvent::Type type, int key, bool autoRepeat) {
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(&widget, &event);
  };
  for (std::size_t i = 0; i < keys.size(); ++i) {
    switch (keys[i]) {
      case 'P':
        send(QEvent::KeyPress, Qt::Key_Delete, false);
        break;
      case 'R':
        send(QEvent::KeyRelease, Qt::Key_Delete, false);
        break;
      case 'p':
        send(QEvent::KeyPress, Qt::Key_Delete, true);
        break;
      case 'r':
        send(QEvent::KeyRelease, Qt::Key_Delete, true);
        break;
      case 'O':
        send(QEvent::KeyPress, Qt::Key_Period, false);
        send(QEvent::KeyRelease, Qt::Key_Period, false);
        break;
      case 'F': {
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(&widget, &out);
        break;
      }
      case '.':
        Pause();
        break;
      default:
        EXPECT_EQ(acted, keys[i] - '0') << what << " at " << i;
        break;
    }
  }
  Pause();
  EXPECT_EQ(acted, expectedAtEnd) << what;
}

TEST(KeyReleaseFilterTest, ActsOnceOnTheRealReleaseNeverDuringAHold) {
  struct Case {
    const char* what;
    std::string keys;
    int acted;
  } cases[] = {
      {"a tap", "PR", 1},
      {"two taps", "PR.1PR", 2},
      {"other keys do nothing", "O.OPOR", 1},
      {"held, repeats unflagged", "P.RP.RP.RP.0R", 1},
      {"held, repeats flagged", "P.rp.rp.0R", 1},
      {"held, flagged and unflagged mixed", "P.RP.rp.RP.0R", 1},
      {"still held", "P.RP.RP.", 0},
      {"pressed while another window had the focus", "rp.RP.R", 0},
      {"a release without a press", "R", 0},
      {"the focus left before the release", "PFR", 0},
      {"the focus left just after the release", "PRF", 1},
      {"a tap, then held in the question and let go here", "PR.1rp.RP.R", 1},
  };
  for (const Case& c : cases) Play(c.what, c.keys, c.acted);
}

}  // namespace
}  // namespace qvm
