// The Qt window's side of the preview's actions (app/PictureActions.h): the context menu on the
// preview area, Ctrl+K, and the crop frame drawn over the picture while the user places it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <optional>

#include "app/CropFrame.h"
#include "app/Wizard.h"

namespace qvm {

// Covers the preview area while a crop is placed: the area outside the frame dimmed, the frame
// moved by the mouse and the arrow keys (Shift: faster); Enter or a double-click accepts,
// Escape (or the focus going elsewhere in the window) cancels.
class CropOverlay : public QWidget {
  Q_OBJECT
 public:
  CropOverlay(QWidget* area, const CropFrame& frame);
  const CropFrame& Frame() const { return frame_; }

 signals:
  void accepted();
  void cancelled();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  CropFrame frame_;
  bool ended_ = false;
};

class PreviewActions : public QObject {
  Q_OBJECT
 public:
  // Offers the menu on `area` (the preview) and Ctrl+K in `window`.
  PreviewActions(QWidget* window, Wizard& w, QWidget* area);

  // The menu at `globalPos`; nothing when it would be empty.
  void ShowMenu(const QPoint& globalPos);
  // Ctrl+K and the menu's crop: shows the frame when a crop is offered.
  void StartCrop();
  // The frame being placed, if any (tests).
  CropOverlay* Overlay() const { return overlay_; }

 private:
  void EndCrop(bool accept);

  Wizard& w_;
  QPointer<QWidget> area_;
  QPointer<CropOverlay> overlay_;
};

}  // namespace qvm
