// The match dialog on Qt: the core's list of matches in a table, a check box on each row, the
// small pictures drawn as the worker makes them (only for the rows the table draws).
#pragma once

#include <QAbstractTableModel>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/MatchList.h"
#include "app/SmallPictures.h"

namespace qvm {

// The side of the small pictures, in pixels.
inline constexpr int kMatchPictureSide = 32;

class MatchTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Makes a row's small picture from its picture's name; runs on the worker.
  using Maker = std::function<QImage(const std::string& name)>;
  MatchTableModel(MatchList& list, Maker make, QObject* parent = nullptr);
  ~MatchTableModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  void checkedChanged();

 private:
  void Collect();

  MatchList& list_;
  std::unique_ptr<SmallPictures<QImage>> pictures_;
};

class QtMatchDialog : public MatchChooser {
 public:
  QtMatchDialog(QWidget* parent, MatchTableModel::Maker make)
      : parent_(parent), make_(std::move(make)) {}
  // Shows the list modally until "Attach checked" (true) or "Cancel".
  bool Choose(MatchList& list) override;

 private:
  QPointer<QWidget> parent_;
  MatchTableModel::Maker make_;
};

}  // namespace qvm
