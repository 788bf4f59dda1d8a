#include "app/qt/QtImaging.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFutureWatcher>
#include <QImageReader>
#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/qt/QtText.h"
#include "images/BmpDecoder.h"
#include "images/JpegHeader.h"
#include "platform/FileReader.h"

namespace qvm {
namespace {

constexpr std::size_t kCachedHeaders = 8;

QString FileName(const std::filesystem::path& file) { return QStringFromPath(file); }

// A file that stops giving bytes once its decode is no longer wanted: the decoder then sees
// the end of its data and finishes quickly.
class AbandonableFile : public QFile {
 public:
  AbandonableFile(const QString& name, const std::function<bool()>& stale)
      : QFile(name), stale_(stale) {}

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    if (stale_ && stale_()) return -1;
    return QFile::readData(data, maxSize);
  }

 private:
  const std::function<bool()>& stale_;
};

bool FitsSides(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

// The size Qt's reader of `format` finds in the header; empty when it finds none.
QSize QtHeaderSize(const std::filesystem::path& file, const QByteArray& format) {
  QImageReader reader(FileName(file), format);
  reader.setAutoDetectImageFormat(false);
  QSize size = reader.size();
  return size.isValid() ? size : QSize();
}

PictureHeader ReadBmp(Os& os, const std::filesystem::path& file, PictureHeader header) {
  BmpInfo info;
  if (ReadBmpInfo(os, file, info) != BmpStatus::Ok) return {};
  header.kind = PictureHeader::Kind::Bmp;
  header.size = QSize(info.width, info.height);
  // RLE is walked in full; otherwise only the shown rows are read (see StretchImage).
  bool rle = info.compression == 1 || info.compression == 2;
  if (rle)
    header.decodeCost = header.fileSize;
  else
    header.rowBytes = (static_cast<qint64>(info.width) * info.bitCount + 31) / 32 * 4;
  return header;
}

PictureHeader ReadJpeg(Os& os, const std::filesystem::path& file, PictureHeader header) {
  JpegFrame frame;
  if (!ReadJpegFrame(os, file, frame)) return {};
  qint64 pixels = static_cast<qint64>(frame.width) * frame.height;
  if (!FitsSides(frame.width, frame.height) || pixels > kMaxJpegPixels ||
      JpegDecodeMemory(frame) > static_cast<std::uint64_t>(kMaxJpegDecoderBytes))
    return {};
  header.kind = PictureHeader::Kind::Jpeg;
  header.format = "jpeg";
  header.size = QSize(frame.width, frame.height);
  // Qt's decoder must agree with the frame we found, or it is not the picture we judged.
  if (QtHeaderSize(file, header.format) != header.size) return {};
  header.decodeCost = std::max(header.fileSize, pixels);
  return header;
}

PictureHeader ReadOther(const std::filesystem::path& file, PictureHeader header,
                        const QByteArray& format) {
  QSize size = QtHeaderSize(file, format);
  if (!FitsSides(size.width(), size.height()) ||
      static_cast<qint64>(size.width()) * size.height() > kMaxOtherPixels)
    return {};
  header.kind = PictureHeader::Kind::Other;
  header.format = format;
  header.size = size;
  header.decodeCost =
      std::max(header.fileSize, static_cast<qint64>(size.width()) * size.height() * 4);
  return header;
}

}  // namespace

PictureHeader ReadPictureHeader(Os& os, const std::filesystem::path& file) {
  // Regular files only: a pipe or device named like a picture would block or never end.
  PictureHeader header;
  unsigned char magic[8] = {};
  {
    FileReader reader(os, file);
    if (!reader.IsOpen()) return {};
    header.fileSize = static_cast<qint64>(reader.Size());
    if (reader.ReadAt(0, magic, sizeof magic) < 3) return {};
  }
  // The content decides, not the name: a BMP called .jpg is still a BMP.
  if (LooksLikeBmp(std::span<const std::uint8_t>(magic, 2))) return ReadBmp(os, file, header);
  if (magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) return ReadJpeg(os, file, header);
  if (std::memcmp(magic, "\x89PNG\r\n\x1A\n", 8) == 0) return ReadOther(file, header, "png");
  if (std::memcmp(magic, "GIF87a", 6) == 0 || std::memcmp(magic, "GIF89a", 6) == 0)
    return ReadOther(file, header, "gif");
  return {};
}

QImage DecodePicture(Os& os, const std::filesystem::path& file, const PictureHeader& header,
                     const QSize& size, const std::function<bool()>& stale) {
  if (!FitsSides(size.width(), size.height()) ||
      static_cast<qint64>(size.width()) * size.height() > kBmpMaxTargetPixels)
    return {};
  if (header.kind == PictureHeader::Kind::Bmp) {
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
  if (header.kind == PictureHeader::Kind::None) return {};
  AbandonableFile device(FileName(file), stale);
  if (!device.open(QIODevice::ReadOnly)) return {};
  QImageReader reader(&device, header.format);
  reader.setAutoDetectImageFormat(false);
  // The file may have changed since its header was judged: judge what is read now.
  if (reader.size() != header.size) return {};
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

QtImagingLibrary::QtImagingLibrary(Os& os, QWidget* window) : os_(os), window_(window) {
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
  if (info.type == EntryType::Missing) return {};
  const qint64 mtime = info.modified;
  const auto fileSize = static_cast<qint64>(info.size);
  const std::string key = Utf8FromPath(file);
  auto hit = std::find_if(headers_.begin(), headers_.end(), [&](const CachedHeader& c) {
    return c.path == key && c.mtimeNs == mtime && c.fileSize == fileSize;
  });
  if (hit != headers_.end()) {
    std::rotate(headers_.begin(), hit, hit + 1);
    return headers_.front().header;
  }
  PictureHeader header = ReadPictureHeader(os_, file);
  headers_.insert(headers_.begin(), {key, mtime, fileSize, header});
  if (headers_.size() > kCachedHeaders) headers_.pop_back();
  return header;
}

int QtImagingLibrary::ImageParam(const std::filesystem::path& file, int which) {
  PictureHeader header = Header(file);
  if (which == 1) return header.size.width() > 0 ? header.size.width() : 0;
  if (which == 2) return header.size.height() > 0 ? header.size.height() : 0;
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
  if (!area_ || !FitsSides(width, height) ||
      static_cast<qint64>(width) * height > kBmpMaxTargetPixels)
    return 0;
  const PictureHeader header = Header(file);
  if (header.kind == PictureHeader::Kind::None) return 0;
  const QSize size(width, height);
  const qint64 cost = header.rowBytes > 0 ? header.rowBytes * std::min(height, header.size.height())
                                          : header.decodeCost;
  if (cost <= kSynchronousDecodeCost) {
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

bool QtImagingLibrary::WaitIdle(int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (pending_ > 0) {
    if (timer.elapsed() > timeoutMs) return false;
    pool_.waitForDone(5);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

}  // namespace qvm
