#include "app/qt/QtImaging.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFutureWatcher>
#include <QImageReader>
#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cstring>

#include "app/qt/QtText.h"
#include "images/BmpDecoder.h"
#include "platform/Os.h"

namespace qvm {
namespace {

constexpr std::size_t kCachedHeaders = 8;

// The picture file as the decoder reads it: opened through the Os (a regular file only, so a
// FIFO put in its place after the header was judged cannot make the decode wait), and giving
// no more bytes once the decode is no longer wanted, so the decoder finishes quickly.
class PictureDevice : public QIODevice {
 public:
  PictureDevice(Os& os, const std::filesystem::path& file, const std::function<bool()>& stale)
      : os_(os), file_(os, os.OpenForReading(file, nullptr)), stale_(stale) {
    if (file_.IsOpen()) {
      size_ = static_cast<qint64>(os.InfoOf(file_.Handle()).size);
      QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);  // seeks go straight to the file
    }
  }
  bool isSequential() const override { return false; }
  qint64 size() const override { return size_; }
  bool seek(qint64 pos) override {
    return pos >= 0 && os_.Seek(file_.Handle(), static_cast<std::uint64_t>(pos), nullptr) &&
           QIODevice::seek(pos);
  }

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    if (stale_ && stale_()) return -1;
    return os_.Read(file_.Handle(), data, static_cast<std::size_t>(maxSize), nullptr);
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  Os& os_;
  OsFile file_;
  qint64 size_ = 0;
  const std::function<bool()>& stale_;
};

bool FitsShown(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         static_cast<std::int64_t>(width) * height <= kMaxShownPixels;
}

}  // namespace

QImage DecodePicture(Os& os, const std::filesystem::path& file, const PictureHeader& header,
                     const QSize& size, const std::function<bool()>& stale) {
  if (!header.Shown() || !FitsShown(size.width(), size.height())) return {};
  if (header.format == PictureFormat::Bmp) {
    BmpPixels pixels;
    if (DecodeBmpScaled(os, file, size.width(), size.height(), pixels, stale) != BmpStatus::Ok)
      return {};
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) return {};
    for (int y = 0; y < size.height(); ++y)
      std::memcpy(image.scanLine(y),
                  pixels.pixels.data() + static_cast<std::size_t>(y) * size.width(),
                  static_cast<std::size_t>(size.width()) * 4);
    return image;
  }
  PictureDevice device(os, file, stale);
  if (!device.isOpen()) return {};
  QImageReader reader(&device, "jpeg");
  reader.setAutoDetectImageFormat(false);
  // The file may have changed since its header was judged: decode only the picture judged.
  if (reader.size() != QSize(header.Width(), header.Height())) return {};
  reader.setScaledSize(size);  // JPEG scales while decoding (DCT scaling)
  QImage image = reader.read();
  if (image.isNull() || (stale && stale())) return {};
  if (image.size() != size)
    image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  return image.convertToFormat(QImage::Format_RGB32);
}

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

QtImagingLibrary::QtImagingLibrary(QWidget* window, Os& os) : os_(os), window_(window) {
  pool_.setMaxThreadCount(1);  // only the newest picture matters; older ones are skipped
  QImageReader::setAllocationLimit(kAllocationLimitMb);
}

QtImagingLibrary::~QtImagingLibrary() {
  NewGeneration();  // a decode still running gives up
  pool_.clear();
  pool_.waitForDone();
}

void QtImagingLibrary::OpenGfx(int x, int y, int width, int height, int) {
  if (!window_ || width <= 0 || height <= 0) return;
  NewGeneration();
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
  NewGeneration();
  if (!area_) return;
  area_->Canvas().fill(brush_);
  area_->update();
}

PictureHeader QtImagingLibrary::Header(const std::filesystem::path& file) {
  const EntryInfo info = os_.Info(file, true);
  if (info.type != EntryType::Regular) return {};
  const std::string key = Utf8FromPath(file);
  auto hit = std::find_if(headers_.begin(), headers_.end(), [&](const CachedHeader& c) {
    return c.path == key && c.modified == info.modified && c.fileSize == info.size;
  });
  if (hit != headers_.end()) {
    std::rotate(headers_.begin(), hit, hit + 1);
    return headers_.front().header;
  }
  PictureHeader header = ReadPictureHeader(os_, file);
  headers_.insert(headers_.begin(), {key, info.modified, info.size, header});
  if (headers_.size() > kCachedHeaders) headers_.pop_back();
  return header;
}

int QtImagingLibrary::ImageParam(const std::filesystem::path& file, int which) {
  const PictureHeader header = Header(file);
  if (which == 1) return header.Width();
  if (which == 2) return header.Height();
  return 0;
}

int QtImagingLibrary::GfxConvert(int, int pixels) { return pixels; }

void QtImagingLibrary::NewGeneration() {
  ++generation_;
  newest_->store(generation_, std::memory_order_relaxed);
}

void QtImagingLibrary::Draw(const QImage& image) {
  if (!area_) return;
  QImage& canvas = area_->Canvas();
  QPainter painter(&canvas);
  painter.drawImage((canvas.width() - image.width()) / 2, (canvas.height() - image.height()) / 2,
                    image);
  painter.end();
  area_->update();
}

int QtImagingLibrary::StretchImage(const std::filesystem::path& file, int width, int height) {
  NewGeneration();
  const quint64 generation = generation_;
  if (!area_ || !FitsShown(width, height)) return 0;
  const PictureHeader header = Header(file);
  if (!header.Shown()) return 0;
  const QSize size(width, height);
  if (header.DecodeCost(height) <= kSynchronousDecodeCost) {
    QImage image = DecodePicture(os_, file, header, size);
    if (image.isNull()) return 0;
    Draw(image);
    emit pictureDrawn(generation);
    return 1;
  }

  ++pending_;
  std::shared_ptr<std::atomic<quint64>> newest = newest_;
  QFuture<QImage> future =
      QtConcurrent::run(&pool_, [&os = os_, file, header, size, newest, generation] {
        std::function<bool()> stale = [&] {
          return newest->load(std::memory_order_relaxed) != generation;
        };
        if (stale()) return QImage();  // skipped: something newer came while it waited
        return DecodePicture(os, file, header, size, stale);
      });
  auto* watcher = new QFutureWatcher<QImage>(this);
  connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, generation] {
    --pending_;
    QImage image = watcher->future().result();
    watcher->deleteLater();
    if (generation == generation_ && !image.isNull()) {
      Draw(image);
      emit pictureDrawn(generation);
    }
    emit decodeFinished(generation);
  });
  watcher->setFuture(future);
  return 1;
}

bool WaitForPool(QThreadPool& pool, const int* pending, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (*pending > 0) {
    if (timer.elapsed() > timeoutMs) return false;
    pool.waitForDone(5);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

bool QtImagingLibrary::WaitIdle(int timeoutMs) { return WaitForPool(pool_, &pending_, timeoutMs); }

}  // namespace qvm
