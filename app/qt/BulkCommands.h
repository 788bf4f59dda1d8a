// The window's commands for bulk work, on Qt: F4 and Shift+F4 (the next and previous entity
// without a picture), Ctrl+Shift+F4 and the tree's context menu (only those without a
// picture), Ctrl+M and the stray list's context menu (the match dialog). They only forward to
// the core (app/PictureGaps.h, app/MatchList.h).
#pragma once

#include <QObject>
#include <QPointer>

#include "app/Wizard.h"
#include "app/qt/MatchDialog.h"

class QListWidget;
class QMenu;
class QTreeView;

namespace qvm {

class BulkCommands : public QObject {
  Q_OBJECT
 public:
  // Binds the keys on `window` and the menus on its tree and stray list, and hands the match
  // dialog to the session.
  BulkCommands(QWidget* window, Wizard& w, QTreeView* tree, QListWidget* stray);

  // The context menus, their commands connected; the caller owns them.
  QMenu* TreeMenu();
  QMenu* StrayMenu();

 private:

  Wizard& w_;
  QPointer<QTreeView> tree_;
  QPointer<QListWidget> stray_;
  QtMatchDialog matchDialog_;
};

}  // namespace qvm
