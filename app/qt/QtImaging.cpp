#include "app/qt/QtImaging.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <cstdlib>

namespace qvm {
namespace {

// Larger pictures are refused rather than decoded into a huge buffer.
constexpr int kMaxSide = 32768;

QString FileName(const std::filesystem::path& file) { return QFile::decodeName(file.c_str()); }

// The size the header gives, nothing decoded; empty when there is no readable header. A
// bitmap stored top-down reports a negative height.
QSize HeaderSize(QImageReader& reader) {
  QSize size = reader.size();
  if (size.width() <= 0 || size.height() == 0) return QSize(0, 0);
  return QSize(size.width(), std::abs(size.height()));
}

}  // namespace

PreviewArea::PreviewArea(QWidget* parent, const QSize& size, const QColor& fill)
    : QWidget(parent), canvas_(size, QImage::Format_RGB32) {
  canvas_.fill(fill);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

void PreviewArea::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, canvas_);
}

void QtImagingLibrary::OpenGfx(int x, int y, int width, int height, int) {
  if (!window_ || width <= 0 || height <= 0) return;
  delete area_;
  area_ = new PreviewArea(window_, QSize(width, height), brush_);
  area_->setGeometry(x, y, width, height);
}

void QtImagingLibrary::GfxWindow(int) {
  if (area_) area_->show();
}

void QtImagingLibrary::BrushColor(std::uint32_t colorRef) {
  brush_ = QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

void QtImagingLibrary::GfxCLS() {
  if (!area_) return;
  area_->Canvas().fill(brush_);
  area_->update();
}

int QtImagingLibrary::ImageParam(const std::filesystem::path& file, int which) {
  QImageReader reader(FileName(file));
  reader.setDecideFormatFromContent(true);
  QSize size = HeaderSize(reader);
  if (which == 1) return size.width();
  if (which == 2) return size.height();
  return 0;
}

int QtImagingLibrary::GfxConvert(int, int pixels) { return pixels; }

int QtImagingLibrary::StretchImage(const std::filesystem::path& file, int width, int height) {
  if (!area_ || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return 0;
  QImageReader reader(FileName(file));
  reader.setDecideFormatFromContent(true);
  if (HeaderSize(reader).isEmpty()) return 0;
  // JPEG decodes straight at the smaller size; other formats are scaled after reading.
  reader.setScaledSize(QSize(width, height));
  QImage image = reader.read();
  if (image.isNull()) return 0;
  if (image.size() != QSize(width, height))
    image = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  QImage& canvas = area_->Canvas();
  QPainter painter(&canvas);
  painter.drawImage((canvas.width() - width) / 2, (canvas.height() - height) / 2, image);
  painter.end();
  area_->update();
  return 1;
}

}  // namespace qvm
