// Acts on the real release of one key on a widget, once, and never while the key is held down.
//
// On X11 a held key arrives as pairs of a release and a press, and the toolkit's auto-repeat
// flag misses some of those releases. So a release is decided a moment later: a press of the
// same key within that moment makes it part of a hold. Only a release ending a press that the
// widget itself saw counts: a key pressed while a message box had the focus, and released after
// it closed, does nothing.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace qvm {

class KeyReleaseFilter : public QObject {
 public:
  // Watches `widget` (it becomes the filter's parent) for `key`; `released` runs once per real
  // release, `settle` after it.
  KeyReleaseFilter(QWidget* widget, int key, std::function<void()> released,
                   std::chrono::milliseconds settle = std::chrono::milliseconds(50));

  // Stops watching; a release still being decided is dropped.
  void Detach();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Settled();

  QWidget* widget_;
  int key_;
  std::function<void()> released_;
  QTimer settle_;
  bool pressed_ = false;  // a press of the key that the widget saw, not yet released
};

}  // namespace qvm
