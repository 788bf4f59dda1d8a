#include "app/qt/MatchDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "app/Startup.h"
#include "app/qt/QtText.h"

namespace qvm {
namespace {

constexpr int kPictureColumn = static_cast<int>(MatchColumn::Picture);

// The picture centred on a square of the small pictures' side, so that every row's text
// starts at the same place.
QImage Squared(const QImage& picture) {
  if (picture.isNull()) return picture;
  QImage square(kMatchPictureSide, kMatchPictureSide, QImage::Format_ARGB32_Premultiplied);
  square.fill(Qt::transparent);
  QPainter painter(&square);
  painter.drawImage((kMatchPictureSide - picture.width()) / 2,
                    (kMatchPictureSide - picture.height()) / 2, picture);
  return square;
}

QString Summary(const MatchList& list) { return ToQString(MatchSummary(list)); }

}  // namespace

MatchTableModel::MatchTableModel(MatchList& list, Maker make, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {
  // The worker's news reaches the model on the window's thread; none once the model is gone.
  auto squared = [make = std::move(make)](const std::string& name) { return Squared(make(name)); };
  pictures_ = std::make_unique<SmallPictures<QImage>>(std::move(squared), [this] {
    QMetaObject::invokeMethod(this, [this] { Collect(); }, Qt::QueuedConnection);
  });
}

MatchTableModel::~MatchTableModel() { pictures_.reset(); }

int MatchTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : list_.Count();
}

int MatchTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kMatchColumnCount;
}

QVariant MatchTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int row = index.row();
  const auto column = static_cast<MatchColumn>(index.column());
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return ToQString(list_.Text(row, column));
    case Qt::CheckStateRole:
      if (column != MatchColumn::Picture) return {};
      return list_.Checked(row) ? Qt::Checked : Qt::Unchecked;
    case Qt::DecorationRole: {
      if (column != MatchColumn::Picture) return {};
      // Every row keeps the picture's room, drawn or not yet.
      if (auto found = pictures_->Find(row, list_.Text(row, column)))
        if (!found->picture->isNull()) return *found->picture;
      static const QImage blank = [] {
        QImage image(kMatchPictureSide, kMatchPictureSide, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        return image;
      }();
      return blank;
    }
    default:
      return {};
  }
}

bool MatchTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || index.column() != kPictureColumn) return false;
  list_.SetChecked(index.row(), value.toInt() == Qt::Checked);
  emit dataChanged(index, index, {Qt::CheckStateRole});
  emit checkedChanged();
  return true;
}

Qt::ItemFlags MatchTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == kPictureColumn) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant MatchTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= kMatchColumnCount) return {};
  return ToQString(MatchColumnTitle(static_cast<MatchColumn>(section)));
}

void MatchTableModel::Collect() {
  for (int row : pictures_->Collect()) {
    const QModelIndex cell = index(row, kPictureColumn);
    emit dataChanged(cell, cell, {Qt::DecorationRole});
  }
}

bool QtMatchDialog::Choose(MatchList& list) {
  QDialog dialog(parent_);
  dialog.setObjectName(QStringLiteral("matchDialog"));
  dialog.setWindowTitle(ToQString(ProgramTitle()));
  dialog.resize(880, 520);

  auto* summary = new QLabel(Summary(list), &dialog);
  auto* table = new QTableView(&dialog);
  auto* model = new MatchTableModel(list, make_, table);
  table->setModel(model);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setWordWrap(false);
  table->setIconSize(QSize(kMatchPictureSide, kMatchPictureSide));
  table->verticalHeader()->hide();
  // Every row alike: thousands of rows cost nothing until they are drawn.
  table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table->verticalHeader()->setDefaultSectionSize(kMatchPictureSide + 4);
  table->horizontalHeader()->setStretchLastSection(true);
  for (auto [column, width] : {std::pair{MatchColumn::Picture, 250}, {MatchColumn::Entity, 170},
                               {MatchColumn::Kind, 70}, {MatchColumn::Key, 230}})
    table->setColumnWidth(static_cast<int>(column), width);
  QObject::connect(model, &MatchTableModel::checkedChanged, summary,
                   [summary, &list] { summary->setText(Summary(list)); });

  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* attach =
      buttons->addButton(ToQString(kAttachCheckedButton), QDialogButtonBox::AcceptRole);
  buttons->addButton(ToQString(kCancelButton), QDialogButtonBox::RejectRole);
  attach->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(summary);
  layout->addWidget(table);
  layout->addWidget(buttons);
  table->setFocus();
  table->setCurrentIndex(model->index(0, kPictureColumn));
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace qvm
