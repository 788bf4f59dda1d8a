#include "app/qt/PreviewActions.h"

#include <QAction>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

#include "app/PictureActions.h"
#include "app/qt/QtText.h"

namespace qvm {
namespace {

QRect ToQRect(const PixelRect& r) { return QRect(r.x, r.y, r.width, r.height); }

}  // namespace

CropOverlay::CropOverlay(QWidget* area, const CropFrame& frame) : QWidget(area), frame_(frame) {
  setGeometry(area->rect());
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::SizeAllCursor);
  show();
  setFocus(Qt::OtherFocusReason);
}

void CropOverlay::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect shown = ToQRect(frame_.ShownFrame());
  // Everything but the frame dimmed: what the crop leaves out.
  QRegion outside(ToQRect(frame_.ShownPicture()));
  outside -= QRegion(shown);
  painter.setClipRegion(outside);
  painter.fillRect(rect(), QColor(0, 0, 0, 150));
  painter.setClipping(false);
  painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
  painter.drawRect(shown.adjusted(0, 0, -1, -1));
}

void CropOverlay::mousePressEvent(QMouseEvent* event) {
  frame_.BeginDrag(event->position().toPoint().x(), event->position().toPoint().y());
}

void CropOverlay::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  frame_.DragTo(event->position().toPoint().x(), event->position().toPoint().y());
  update();
}

void CropOverlay::mouseDoubleClickEvent(QMouseEvent*) {
  ended_ = true;
  emit accepted();
}

void CropOverlay::keyPressEvent(QKeyEvent* event) {
  const bool fast = event->modifiers() & Qt::ShiftModifier;
  switch (event->key()) {
    case Qt::Key_Left: frame_.Step(-1, 0, fast); break;
    case Qt::Key_Right: frame_.Step(1, 0, fast); break;
    case Qt::Key_Up: frame_.Step(0, -1, fast); break;
    case Qt::Key_Down: frame_.Step(0, 1, fast); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      ended_ = true;
      emit accepted();
      return;
    case Qt::Key_Escape:
      ended_ = true;
      emit cancelled();
      return;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  update();
}

void CropOverlay::focusOutEvent(QFocusEvent* event) {
  // Another control taken in hand ends the crop; another window or a popup does not.
  if (ended_ || event->reason() == Qt::ActiveWindowFocusReason ||
      event->reason() == Qt::PopupFocusReason)
    return;
  ended_ = true;
  emit cancelled();
}

PreviewActions::PreviewActions(QWidget* window, Wizard& w, QWidget* area)
    : QObject(window), w_(w), area_(area) {
  area->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(area, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowMenu(area_->mapToGlobal(at)); });
  auto* crop = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), window);
  connect(crop, &QShortcut::activated, this, &PreviewActions::StartCrop);
}

void PreviewActions::ShowMenu(const QPoint& globalPos) {
  if (overlay_) return;
  const std::vector<PreviewMenuItem> items = PreviewMenu(w_);
  if (items.empty()) return;
  QMenu menu(area_);
  for (const PreviewMenuItem& item : items) {
    QAction* action = menu.addAction(ToQString(item.text));
    action->setEnabled(item.enabled && item.action != PreviewAction::None);
    action->setData(static_cast<int>(item.action));
    if (item.action == PreviewAction::CropToRatio)
      action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
  }
  QAction* chosen = menu.exec(globalPos);
  if (!chosen) return;
  switch (static_cast<PreviewAction>(chosen->data().toInt())) {
    case PreviewAction::CropToRatio:
      StartCrop();
      break;
    case PreviewAction::MakeUpright:
      MakeUprightCopy(w_);
      break;
    case PreviewAction::None:
      break;
  }
}

void PreviewActions::StartCrop() {
  if (overlay_ || !area_) return;
  const std::optional<CropFrame> frame = qvm::StartCrop(w_);
  if (!frame) return;
  overlay_ = new CropOverlay(area_, *frame);
  connect(overlay_, &CropOverlay::accepted, this, [this] { EndCrop(true); });
  connect(overlay_, &CropOverlay::cancelled, this, [this] { EndCrop(false); });
}

void PreviewActions::EndCrop(bool accept) {
  if (!overlay_) return;
  const PixelRect frame = overlay_->Frame().Frame();
  overlay_->hide();
  overlay_->deleteLater();
  overlay_ = nullptr;
  if (accept) CropCurrentPicture(w_, frame);
}

}  // namespace qvm
