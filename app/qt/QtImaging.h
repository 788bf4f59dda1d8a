// Our imaging library: a drawing area in the window that the preview clears and draws into.
// What a file is, its size and whether it is shown come from the one picture-header reader
// (images/PictureHeader.h), which `info` and `check` use as well; pictures are decoded at the
// size they are shown. BMP goes through our own reader (images/BmpDecoder.h), JPEG through
// Qt's, and only once the header reader has judged it. A picture that is not shown has the
// sizes 0 and draws nothing.
//
// Large pictures decode on a worker thread; only the newest request draws: every clear and
// every draw starts a new generation, and a decode finished for an older one is dropped.
#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "images/PictureHeader.h"
#include "platform/Controls.h"
#include "platform/Os.h"

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

// Qt's own allocation limit, a second guard behind the header's limits (its environment
// variable may lift it).
inline constexpr int kAllocationLimitMb = 64;
// Decodes that go through more than this (PictureHeader::DecodeCost) run on the worker thread.
inline constexpr std::uint64_t kSynchronousDecodeCost = std::uint64_t{8} << 20;

// Decodes `file` (a BMP read through `os`), judged shown by `header`, scaled to exactly `size`
// as Format_RGB32; a null image when it cannot.
// `stale`, when given and true, abandons a decode early (its result is not wanted any more).
// Safe on any thread.
QImage DecodePicture(Os& os, const std::filesystem::path& file, const PictureHeader& header,
                     const QSize& size, const std::function<bool()>& stale = {});

// Runs the window's events while `pool` works until `*pending` is 0 (true) or `timeoutMs` has
// passed (false): for tests that wait for decodes on a worker.
bool WaitForPool(QThreadPool& pool, const int* pending, int timeoutMs);

class QtImagingLibrary : public QObject, public ImagingLibrary {
  Q_OBJECT
 public:
  // Files are read through `os`, which must outlive the library.
  QtImagingLibrary(QWidget* window, Os& os);
  ~QtImagingLibrary() override;

  // The area at x, y of the window, width x height pixels. The flags select nothing here.
  void OpenGfx(int x, int y, int width, int height, int flags) override;
  // Shows the area; the value selects nothing here.
  void GfxWindow(int value) override;
  void BrushColor(std::uint32_t colorRef) override;
  // Clears at once; a picture still being decoded for an earlier draw will not appear.
  void GfxCLS() override;
  // Width (1) or height (2) from the file's header; 0 when it cannot be read or is refused.
  // The last few answers are kept by path, modification time and size.
  int ImageParam(const std::filesystem::path& file, int which) override;
  // Our drawing unit is the pixel.
  int GfxConvert(int axis, int pixels) override;
  // Draws the picture at width x height centred in the area: small pictures at once, large
  // ones when their decode on the worker finishes (if nothing newer came first). Returns 1
  // when it drew or started the decode, 0 when there is nothing to draw.
  int StretchImage(const std::filesystem::path& file, int width, int height) override;

  PreviewArea* Area() const { return area_; }
  // The number of the newest clear or draw.
  quint64 Generation() const { return generation_; }
  // Decodes started and not yet delivered.
  int Pending() const { return pending_; }
  // Runs the event loop until every started decode has drawn or been dropped. False when
  // `timeoutMs` passed first.
  bool WaitIdle(int timeoutMs = 30000);

 signals:
  // A picture was drawn into the area for `generation` (at once or after its decode).
  void pictureDrawn(quint64 generation);
  // A decode on the worker has ended, drawn or dropped.
  void decodeFinished(quint64 generation);

 private:
  PictureHeader Header(const std::filesystem::path& file);
  void NewGeneration();
  void Draw(const QImage& image);

  Os& os_;
  QPointer<QWidget> window_;
  QPointer<PreviewArea> area_;
  QColor brush_ = Qt::black;
  quint64 generation_ = 0;
  // The newest generation as the worker sees it, to skip or abandon stale decodes.
  std::shared_ptr<std::atomic<quint64>> newest_ = std::make_shared<std::atomic<quint64>>(0);
  int pending_ = 0;

  struct CachedHeader {
    std::string path;
    std::int64_t modified = 0;
    std::uint64_t fileSize = 0;
    PictureHeader header;
  };
  std::vector<CachedHeader> headers_;  // most recent first

  QThreadPool pool_;  // last member: its destruction waits for a running decode
};

}  // namespace qvm
