#include "app/qt/KeyReleaseFilter.h"

#include <QKeyEvent>
#include <QWidget>

namespace qvm {

KeyReleaseFilter::KeyReleaseFilter(QWidget* widget, int key, std::function<void()> released,
                                   std::chrono::milliseconds settle)
    : QObject(widget), widget_(widget), key_(key), released_(std::move(released)) {
  settle_.setSingleShot(true);
  settle_.setInterval(settle);
  connect(&settle_, &QTimer::timeout, this, &KeyReleaseFilter::Settled);
  widget->installEventFilter(this);
}

void KeyReleaseFilter::Detach() {
  widget_->removeEventFilter(this);
  settle_.stop();
  pressed_ = false;
}

bool KeyReleaseFilter::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() != key_) break;
      if (settle_.isActive())
        settle_.stop();  // the release just before was one of a hold's
      else if (!key->isAutoRepeat())
        pressed_ = true;
      break;
    }
    case QEvent::KeyRelease:
      // Every release waits, also one flagged as auto-repeat: the press after it must not
      // count as a new press.
      if (static_cast<QKeyEvent*>(event)->key() == key_) settle_.start();
      break;
    case QEvent::FocusOut:
      // A release yet to come would go elsewhere; one that comes back later ends no press
      // seen here.
      if (!settle_.isActive()) pressed_ = false;
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

void KeyReleaseFilter::Settled() {
  if (!pressed_) return;
  pressed_ = false;  // before acting: a question asked now must not find the key still pressed
  released_();
}

}  // namespace qvm
