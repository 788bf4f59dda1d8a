#include "app/qt/PictureTips.h"

#include <QBuffer>
#include <QCursor>
#include <QFutureWatcher>
#include <QHelpEvent>
#include <QToolTip>
#include <QtConcurrent/QtConcurrentRun>

#include "app/qt/QtImaging.h"
#include "app/qt/QtText.h"
#include "images/ExifOrientation.h"
#include "platform/Os.h"

namespace qvm {
namespace {

constexpr qsizetype kCacheKilobytes = 16 * 1024;

QByteArray NameOf(const QListWidgetItem* item) {
  return item ? item->data(Qt::UserRole).toByteArray() : QByteArray();
}

}  // namespace

QImage PictureTips::DecodeThumbnail(Os& os, const std::filesystem::path& file, int side,
                                    QSize* pictureSize, int* orientation) {
  const PictureHeader header = ReadPictureHeader(os, file);
  *pictureSize = QSize(header.Width(), header.Height());
  if (orientation) *orientation = header.orientation;
  if (!header.Shown()) return {};
  QSize size = *pictureSize;
  if (size.width() > side || size.height() > side) {
    size = size.scaled(side, side, Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1));
  }
  return DecodePicture(os, file, header, size);
}

PictureTips::PictureTips(QObject* parent, Os& os, Resolver resolver)
    : QObject(parent),
      os_(os),
      resolver_(std::move(resolver)),
      decoder_([&os](const std::filesystem::path& file, int side, QSize* pictureSize,
                     int* orientation) {
        return DecodeThumbnail(os, file, side, pictureSize, orientation);
      }) {
  cache_.setMaxCost(kCacheKilobytes);
  pool_.setMaxThreadCount(1);
}

PictureTips::~PictureTips() {
  newest_->store(++generation_);  // requests still waiting are skipped
  pool_.waitForDone();
}

void PictureTips::Watch(QListWidget* list) { list->viewport()->installEventFilter(this); }

bool PictureTips::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QObject::eventFilter(watched, event);
  // Only the viewports of watched lists come here; tips are asked of the viewport.
  auto* list = qobject_cast<QListWidget*>(watched->parent());
  if (!list) return QObject::eventFilter(watched, event);
  auto* help = static_cast<QHelpEvent*>(event);
  OnToolTip(list, help->pos(), help->globalPos());
  return true;
}

void PictureTips::OnToolTip(QListWidget* list, const QPoint& pos, const QPoint& globalPos) {
  QByteArray name = NameOf(list->itemAt(pos));
  if (name.isEmpty()) {
    hover_ = {};
    QToolTip::hideText();
    return;
  }
  hover_ = {list, name, globalPos, false};
  // What the cache holds shows at once; the worker then checks that the file is unchanged.
  if (const Thumb* thumb = cache_.object(name)) Show(*thumb);
  Request(name);
}

void PictureTips::Request(const QByteArray& name) {
  newest_->store(++generation_);
  const std::uint64_t generation = generation_;
  std::optional<Stamp> known;
  if (const Thumb* thumb = cache_.object(name)) known = thumb->stamp;
  ++pending_;
  auto work = [&os = os_, resolver = resolver_, decoder = decoder_, newest = newest_, generation,
               known, name = name.toStdString()]() {
    Outcome out;
    if (newest->load() != generation) {
      out.skipped = true;
      return out;
    }
    Thumb& thumb = out.thumb;
    std::optional<std::filesystem::path> file = resolver(name);
    if (file) {
      if (const EntryInfo info = os.Info(*file, true); info.type != EntryType::Missing) {
        thumb.found = true;
        thumb.stamp = {Utf8FromPath(*file), info.modified, static_cast<std::int64_t>(info.size)};
      }
    }
    if (known && *known == thumb.stamp) {
      out.unchanged = true;
      return out;
    }
    if (thumb.found) {
      int orientation = 1;
      QImage image = decoder(*file, kThumbnailSide, &thumb.pictureSize, &orientation);
      thumb.note = TurnedPictureNote(orientation);
      out.decoded = true;
      if (!image.isNull()) {
        QBuffer buffer(&thumb.png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
      }
    }
    return out;
  };
  auto* watcher = new QFutureWatcher<Outcome>(this);
  connect(watcher, &QFutureWatcher<Outcome>::finished, this, [this, watcher, name] {
    --pending_;
    Outcome outcome = watcher->future().result();
    watcher->deleteLater();
    Finished(name, outcome);
  });
  watcher->setFuture(QtConcurrent::run(&pool_, std::move(work)));
}

void PictureTips::Finished(const QByteArray& name, const Outcome& outcome) {
  if (outcome.skipped) return;
  if (outcome.decoded) ++decodes_;
  if (!outcome.unchanged)
    cache_.insert(name, new Thumb(outcome.thumb), outcome.thumb.png.size() / 1024 + 1);
  const Thumb* thumb = cache_.object(name);
  if (!thumb || !StillHovering(name)) return;
  if (outcome.unchanged && hover_.shown) return;
  Show(*thumb);
}

bool PictureTips::StillHovering(const QByteArray& name) const {
  QListWidget* list = hover_.list;
  if (!list || hover_.name != name || !list->isVisible()) return false;
  QPoint at = list->viewport()->mapFromGlobal(QCursor::pos());
  return list->viewport()->rect().contains(at) && NameOf(list->itemAt(at)) == name;
}

void PictureTips::Show(const Thumb& thumb) {
  QListWidget* list = hover_.list;
  if (!list) return;
  QListWidgetItem* item = nullptr;
  for (int row = 0; row < list->count() && !item; ++row)
    if (NameOf(list->item(row)) == hover_.name) item = list->item(row);
  if (!item) return;
  QString html = QStringLiteral("<qt><div align=\"center\">");
  if (!thumb.png.isEmpty())
    html += QStringLiteral("<img src=\"data:image/png;base64,") +
            QString::fromLatin1(thumb.png.toBase64()) + QStringLiteral("\"><br>");
  html += ToQString(std::string_view(hover_.name.constData(), hover_.name.size())).toHtmlEscaped();
  html += QStringLiteral("<br>");
  if (!thumb.found)
    html += QStringLiteral("There is no such file in the media folder.");
  else if (thumb.pictureSize.isEmpty() || thumb.png.isEmpty())
    html += QStringLiteral("This file cannot be shown as a picture.");
  else
    html += QStringLiteral("%1 \u00d7 %2 pixels")
                .arg(thumb.pictureSize.width())
                .arg(thumb.pictureSize.height());
  if (!thumb.note.empty()) html += QStringLiteral("<br>") + ToQString(thumb.note).toHtmlEscaped();
  // What the list says about the item, such as the record a stray picture is named after.
  if (const QString said = item->data(Qt::ToolTipRole).toString(); !said.isEmpty())
    html += QStringLiteral("<br>") + said.toHtmlEscaped();
  html += QStringLiteral("</div></qt>");
  QToolTip::showText(hover_.globalPos, html, list->viewport(), list->visualItemRect(item));
  hover_.shown = true;
  emit tipShown(hover_.name);
}

bool PictureTips::WaitIdle(int timeoutMs) { return WaitForPool(pool_, &pending_, timeoutMs); }

}  // namespace qvm
