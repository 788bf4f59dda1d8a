// Our imaging library: a drawing area in the window that the preview clears and draws into.
// Sizes come from the picture's header alone; pictures are decoded at the size they are shown.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include "platform/Controls.h"

namespace qvm {

// The drawing area: shows its canvas, nothing else.
class PreviewArea : public QWidget {
  Q_OBJECT
 public:
  PreviewArea(QWidget* parent, const QSize& size, const QColor& fill);
  QImage& Canvas() { return canvas_; }
  const QImage& Canvas() const { return canvas_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage canvas_;
};

class QtImagingLibrary : public ImagingLibrary {
 public:
  explicit QtImagingLibrary(QWidget* window) : window_(window) {}

  // The area at x, y of the window, width x height pixels. The flags select nothing here.
  void OpenGfx(int x, int y, int width, int height, int flags) override;
  // Shows the area; the value selects nothing here.
  void GfxWindow(int value) override;
  void BrushColor(std::uint32_t colorRef) override;
  void GfxCLS() override;
  // Width (1) or height (2) from the file's header; 0 when it cannot be read as a picture.
  int ImageParam(const std::filesystem::path& file, int which) override;
  // Our drawing unit is the pixel.
  int GfxConvert(int axis, int pixels) override;
  // Decodes the picture at width x height and draws it centred in the area. Returns 1 when it
  // drew, 0 when the file could not be decoded or the size is empty.
  int StretchImage(const std::filesystem::path& file, int width, int height) override;

  PreviewArea* Area() const { return area_; }

 private:
  QPointer<QWidget> window_;
  QPointer<PreviewArea> area_;
  QColor brush_ = Qt::black;
};

}  // namespace qvm
