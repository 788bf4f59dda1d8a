// A look before a click: hovering a name in a picture list shows the picture, small, as the
// name's tooltip. Finding the file and decoding it happen on a worker thread; the window only
// ever shows what the cache already holds, so a slow disk or a large picture never holds it up.
// A tip that was not ready when the mouse stopped appears when its decode is done, if the
// mouse is still on that name.
#pragma once

#include <QCache>
#include <QImage>
#include <QListWidget>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace qvm {

class Os;

// Largest side of a thumbnail, in pixels; smaller pictures are shown at their own size.
inline constexpr int kThumbnailSide = 128;

class PictureTips : public QObject {
  Q_OBJECT
 public:
  // The file a list item's name (CP1252) stands for, or none. Runs on the worker.
  using Resolver = std::function<std::optional<std::filesystem::path>(const std::string& name)>;
  // Decodes a picture for a thumbnail of at most `side` pixels either way and gives the
  // picture's own size (empty when the preview does not show it) and its EXIF orientation; a
  // null image when it cannot be shown. Runs on the worker; tests replace it.
  using Decoder = std::function<QImage(const std::filesystem::path& file, int side,
                                       QSize* pictureSize, int* orientation)>;
  static QImage DecodeThumbnail(Os& os, const std::filesystem::path& file, int side,
                                QSize* pictureSize, int* orientation = nullptr);

  // Files are read through `os`, which must outlive the tips.
  PictureTips(QObject* parent, Os& os, Resolver resolver);
  ~PictureTips() override;

  // Gives the items of `list` their picture tips. The items carry their CP1252 names as
  // Qt::UserRole bytes (see QtListBox).
  void Watch(QListWidget* list);
  void SetDecoder(Decoder decoder) { decoder_ = std::move(decoder); }

  // For tests: decodes run so far, and waiting until no request is outstanding.
  int Decodes() const { return decodes_; }
  bool WaitIdle(int timeoutMs = 10000);

 signals:
  // A tip was put on screen for the item `name` (CP1252 bytes).
  void tipShown(const QByteArray& name);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // What the cache keeps per name: the file's identity when it was decoded, and the tip.
  struct Stamp {
    std::string path;
    std::int64_t mtimeNs = 0;
    std::int64_t size = -1;
    bool operator==(const Stamp&) const = default;
  };
  struct Thumb {
    Stamp stamp;
    bool found = false;  // a file was found in media
    QSize pictureSize;   // empty when it cannot be read
    QByteArray png;      // the thumbnail, empty when there is none
    std::string note;    // CP1252: a picture stored turned says so
  };
  // What one request on the worker came to.
  struct Outcome {
    bool skipped = false;    // something newer was asked for before it started
    bool unchanged = false;  // the cached thumbnail still shows the file
    bool decoded = false;
    Thumb thumb;
  };
  struct Hover {
    QPointer<QListWidget> list;
    QByteArray name;
    QPoint globalPos;
    bool shown = false;
  };

  void OnToolTip(QListWidget* list, const QPoint& pos, const QPoint& globalPos);
  void Request(const QByteArray& name);
  void Finished(const QByteArray& name, const Outcome& outcome);
  void Show(const Thumb& thumb);
  bool StillHovering(const QByteArray& name) const;

  Os& os_;
  Resolver resolver_;
  Decoder decoder_;
  QCache<QByteArray, Thumb> cache_;  // cost: bytes of the thumbnail
  Hover hover_;
  // Only the newest request is worth a decode; older ones still waiting are skipped.
  std::shared_ptr<std::atomic<std::uint64_t>> newest_ =
      std::make_shared<std::atomic<std::uint64_t>>(0);
  std::uint64_t generation_ = 0;
  int pending_ = 0;
  int decodes_ = 0;
  QThreadPool pool_;  // last member: its destruction waits for a running decode
};

}  // namespace qvm
