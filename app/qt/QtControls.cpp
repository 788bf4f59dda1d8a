#include "app/qt/QtControls.h"

#include <QAbstractButton>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QUrl>
#include <algorithm>

#include "app/qt/QtText.h"
#include "platform/Cp1252.h"
#include "platform/ListOrder.h"

namespace qvm {
namespace {

QString ShownText(const QWidget* widget) {
  if (auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
  if (auto* multi = qobject_cast<const QPlainTextEdit*>(widget)) return multi->toPlainText();
  if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  return widget->windowTitle();
}

}  // namespace

template <class Interface>
void QtWidgetControl<Interface>::SetText(std::string_view text) {
  if (!widget_) return;
  QString shown = ToQString(text);
  const QSignalBlocker blocker(widget_.data());
  if (auto* edit = qobject_cast<QLineEdit*>(widget_)) {
    edit->setText(shown);
    edit->setCursorPosition(0);
  } else if (auto* multi = qobject_cast<QPlainTextEdit*>(widget_)) {
    // The core ends lines with CR LF; the text widget wants bare line feeds.
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    multi->setPlainText(shown);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget_)) {
    button->setText(shown);
  } else if (auto* label = qobject_cast<QLabel*>(widget_)) {
    label->setText(shown);
  } else {
    widget_->setWindowTitle(shown);
  }
  lastBytes_.assign(text);
  lastShown_ = ShownText(widget_);
}

template <class Interface>
std::string QtWidgetControl<Interface>::Text() const {
  if (!widget_) return {};
  QString shown = ShownText(widget_);
  if (shown == lastShown_) return lastBytes_;
  if (qobject_cast<const QPlainTextEdit*>(widget_))
    shown.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return FromQString(shown);
}

template class QtWidgetControl<Control>;
template class QtWidgetControl<ListBox>;
template class QtWidgetControl<TreeView>;

// --- ListWidget ----------------------------------------------------------------------------------

ListWidget::ListWidget(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setUniformItemSizes(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragDropMode(QAbstractItemView::NoDragDrop);
}

ListWidget::State ListWidget::Snapshot() const {
  State state;
  state.current = currentRow();
  for (const QModelIndex& index : selectionModel()->selectedIndexes())
    state.selected.push_back(index.row());
  std::sort(state.selected.begin(), state.selected.end());
  return state;
}

template <class Handler>
void ListWidget::Tracked(Handler&& handler) {
  // A handler may pass its event on to another (a double-click becomes a press): one report.
  if (tracking_) {
    handler();
    return;
  }
  tracking_ = true;
  State before = Snapshot();
  handler();
  tracking_ = false;
  if (!(Snapshot() == before)) emit userSelectionChanged();
}

void ListWidget::mousePressEvent(QMouseEvent* event) {
  Tracked([&] { QListWidget::mousePressEvent(event); });
}
void ListWidget::mouseMoveEvent(QMouseEvent* event) {
  Tracked([&] { QListWidget::mouseMoveEvent(event); });
}
void ListWidget::mouseReleaseEvent(QMouseEvent* event) {
  Tracked([&] { QListWidget::mouseReleaseEvent(event); });
}
void ListWidget::keyPressEvent(QKeyEvent* event) {
  Tracked([&] { QListWidget::keyPressEvent(event); });
}

void ListWidget::AcceptFileDrops(FileDropFilter accepts) {
  acceptsFiles_ = std::move(accepts);
  setAcceptDrops(static_cast<bool>(acceptsFiles_));
  viewport()->setAcceptDrops(static_cast<bool>(acceptsFiles_));
}

std::vector<std::filesystem::path> ListWidget::DroppableFiles(const QDropEvent* event) const {
  std::vector<std::filesystem::path> files;
  const QMimeData* mime = event->mimeData();
  if (!acceptsFiles_ || !mime || !mime->hasUrls()) return files;
  for (const QUrl& url : mime->urls()) {
    if (!url.isLocalFile()) return {};
    files.push_back(PathFromQString(url.toLocalFile()));
  }
  if (files.empty() || !acceptsFiles_(files)) return {};
  return files;
}

void ListWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (!acceptsFiles_) return QListWidget::dragEnterEvent(event);
  if (DroppableFiles(event).empty()) return event->ignore();
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void ListWidget::dragMoveEvent(QDragMoveEvent* event) {
  if (!acceptsFiles_) return QListWidget::dragMoveEvent(event);
  if (DroppableFiles(event).empty()) return event->ignore();
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void ListWidget::dropEvent(QDropEvent* event) {
  if (!acceptsFiles_) return QListWidget::dropEvent(event);
  std::vector<std::filesystem::path> files = DroppableFiles(event);
  if (files.empty()) return event->ignore();
  event->setDropAction(Qt::CopyAction);
  event->accept();
  emit filesDropped(files);
}

void ListWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  bool onItem = event->button() == Qt::LeftButton && itemAt(event->position().toPoint());
  Tracked([&] { QListWidget::mouseDoubleClickEvent(event); });
  if (onItem) emit userDoubleClicked();
}

// --- QtListBox -----------------------------------------------------------------------------------

std::string QtListBox::Bytes(int index) const {
  QByteArray bytes = list_->item(index)->data(Qt::UserRole).toByteArray();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

int QtListBox::Count() const { return list_ ? list_->count() : 0; }

int QtListBox::Current() const { return list_ ? list_->currentRow() : -1; }

int QtListBox::SetCurrent(int index) {
  if (index == -1 && list_) {
    list_->clearSelection();
    list_->selectionModel()->clearCurrentIndex();
  }
  if (!Valid(index)) return -1;
  list_->setCurrentRow(index, QItemSelectionModel::Select);
  list_->scrollToItem(list_->item(index));
  return index;
}

int QtListBox::SelCount() const {
  return list_ ? static_cast<int>(list_->selectionModel()->selectedIndexes().size()) : 0;
}

std::vector<int> QtListBox::SelItems(int maxCount) const {
  std::vector<int> rows;
  if (!list_) return rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedIndexes())
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  if (static_cast<int>(rows.size()) > std::max(maxCount, 0))
    rows.resize(static_cast<size_t>(std::max(maxCount, 0)));
  return rows;
}

int QtListBox::SetSel(bool select, int index) {
  if (!list_) return -1;
  if (index == -1) {
    if (select)
      list_->selectAll();
    else
      list_->clearSelection();
    return 0;
  }
  if (!Valid(index)) return -1;
  list_->selectionModel()->select(
      list_->model()->index(index, 0),
      select ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
  return 0;
}

int QtListBox::FindExact(int start, std::string_view text) const {
  return FindExactInList(Count(), start, text, [this](int i) { return Bytes(i); });
}

std::string QtListBox::ItemText(int index) const {
  if (index < 0) index = Current();
  return Valid(index) ? Bytes(index) : std::string();
}

int QtListBox::LowerBound(std::string_view text) const {
  int low = 0, high = list_->count();
  while (low < high) {
    int mid = low + (high - low) / 2;
    if (CompareListOrder(Bytes(mid), text) < 0)
      low = mid + 1;
    else
      high = mid;
  }
  return low;
}

int QtListBox::AddString(std::string_view text) {
  if (!list_) return -1;
  const int low = ListInsertPlace(list_->count(), text, [this](int i) { return Bytes(i); });
  auto* item = new QListWidgetItem(ToQString(text));
  item->setData(Qt::UserRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  if (emphasis_.count(text) != 0) ShowEmphasis(item, text);
  list_->insertItem(low, item);
  return low;
}

int QtListBox::DeleteString(int index) {
  if (!Valid(index)) return -1;
  const bool wasCurrent = list_->currentRow() == index;
  delete list_->takeItem(index);
  // The item that takes the deleted one's place gets the focus (the last one when it was
  // last), as in a native list box; Qt's own choice would be the item above.
  if (wasCurrent && list_->count() > 0) {
    const QSignalBlocker blocker(list_->selectionModel());
    list_->selectionModel()->setCurrentIndex(
        list_->model()->index(std::min(index, list_->count() - 1), 0),
        QItemSelectionModel::NoUpdate);
  }
  return list_->count();
}

void QtListBox::ResetContent() {
  if (list_) list_->clear();
}

void QtListBox::ShowEmphasis(QListWidgetItem* item, std::string_view text) const {
  auto found = emphasis_.find(text);
  if (found == emphasis_.end()) {
    item->setData(Qt::FontRole, QVariant());  // the list's own font again
    item->setData(Qt::ToolTipRole, QVariant());
    return;
  }
  QFont bold = list_->font();
  bold.setBold(true);
  item->setFont(bold);
  item->setData(Qt::ToolTipRole, ToQString(found->second));
}

void QtListBox::SetEmphasis(const std::vector<Emphasis>& emphasis) {
  std::map<std::string, std::string, std::less<>> before = std::move(emphasis_);
  emphasis_.clear();
  for (const Emphasis& e : emphasis) emphasis_[e.text] = e.tip;
  if (!list_) return;
  // Only the items of texts emphasised before or now change: found by their sorted place.
  auto update = [this](const std::string& text) {
    for (int row = LowerBound(text);
         row < list_->count() && CompareListOrder(Bytes(row), text) == 0; ++row) {
      if (Bytes(row) == text) ShowEmphasis(list_->item(row), text);
    }
  };
  for (const auto& [text, tip] : before) update(text);
  for (const auto& [text, tip] : emphasis_) update(text);
}

}  // namespace qvm
