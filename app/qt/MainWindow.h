#pragma once

#include <QWidget>

#include "gamedb/GameDatabase.h"

namespace qvm {

// The wizard's one fixed-size window.
class MainWindow : public QWidget {
  Q_OBJECT
 public:
  explicit MainWindow(GameDatabase& db, QWidget* parent = nullptr);

 private:
  GameDatabase& db_;
};

}  // namespace qvm
