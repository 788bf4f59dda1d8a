#include "app/qt/ClippedTextTip.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QToolTip>

namespace qvm {
namespace {

// What a line edit keeps free on each side of its text (Qt's own margin plus the cursor's).
constexpr int kLineEditMargin = 3;

class ClippedTextTip : public QObject {
 public:
  explicit ClippedTextTip(QWidget* field) : QObject(field), field_(field) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ToolTip || !field_) return QObject::eventFilter(watched, event);
    QString text;
    QSize room;
    int tabs = 0;
    if (auto* line = qobject_cast<QLineEdit*>(field_)) {
      text = line->text();
      room = line->contentsRect().size() - QSize(2 * kLineEditMargin, 0);
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(field_)) {
      text = multi->toPlainText();
      int margin = static_cast<int>(multi->document()->documentMargin());
      room = multi->viewport()->size() - QSize(2 * margin, 2 * margin);
      tabs = static_cast<int>(multi->tabStopDistance());
    }
    QFontMetrics metrics(field_->font());
    QRect needed =
        metrics.boundingRect(QRect(0, 0, 1 << 20, 1 << 20),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs, text, tabs);
    auto* help = static_cast<QHelpEvent*>(event);
    if (!text.isEmpty() && (needed.width() > room.width() || needed.height() > room.height()))
      QToolTip::showText(help->globalPos(),
                         QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() +
                             QStringLiteral("</p>"),
                         field_);
    else
      QToolTip::hideText();
    return true;
  }

 private:
  QPointer<QWidget> field_;
};

}  // namespace

void ShowFullTextWhenClipped(QWidget* field) {
  auto* tip = new ClippedTextTip(field);
  field->installEventFilter(tip);
  // A text edit asks for its tips on its viewport.
  if (auto* multi = qobject_cast<QPlainTextEdit*>(field))
    multi->viewport()->installEventFilter(tip);
}

}  // namespace qvm
