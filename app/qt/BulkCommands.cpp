#include "app/qt/BulkCommands.h"

#include <QListWidget>
#include <QMenu>
#include <QShortcut>
#include <QTreeView>
#include <memory>

#include "app/PictureGaps.h"
#include "app/qt/PictureTips.h"
#include "app/qt/QtText.h"
#include "app/qt/UndoCommands.h"
#include "images/MediaFile.h"

namespace qvm {
namespace {

const QKeySequence kOnlyMissingKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_F4);
const QKeySequence kMatchKeys(Qt::CTRL | Qt::Key_M);

}  // namespace

BulkCommands::BulkCommands(QWidget* window, Wizard& w, QTreeView* tree, QListWidget* stray)
    : QObject(window),
      w_(w),
      tree_(tree),
      stray_(stray),
      matchDialog_(window, [&os = w.os, &paths = w.paths](const std::string& name) {
        const auto file = ResolveMediaFile(os, paths, name);
        QSize size;
        return file ? PictureTips::DecodeThumbnail(os, *file, kMatchPictureSide, &size) : QImage();
      }) {
  w.c.matchDialog = &matchDialog_;
  const std::pair<QKeySequence, std::function<void()>> keys[] = {
      {QKeySequence(Qt::Key_F4), [this] { GoToNextMissing(w_, false); }},
      {QKeySequence(Qt::SHIFT | Qt::Key_F4), [this] { GoToNextMissing(w_, true); }},
      {kOnlyMissingKeys, [this] { ToggleOnlyMissing(w_); }},
      {kMatchKeys, [this] { MatchStrayPictures(w_); }},
  };
  for (const auto& [sequence, act] : keys)
    connect(new QShortcut(sequence, window), &QShortcut::activated, this, act);

  // Each menu's command runs once the menu has closed.
  for (auto [view, menuOf] : {std::pair<QAbstractItemView*, QMenu* (BulkCommands::*)()>{
                                  tree, &BulkCommands::TreeMenu},
                              {stray, &BulkCommands::StrayMenu}}) {
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view, menuOf](QPoint at) {
      std::unique_ptr<QMenu> menu((this->*menuOf)());
      menu->exec(view->viewport()->mapToGlobal(at));
    });
  }
}

QMenu* BulkCommands::TreeMenu() {
  auto* menu = new QMenu(tree_);
  QAction* only = menu->addAction(ToQString(kOnlyMissingCommand));
  only->setCheckable(true);
  only->setChecked(w_.shownTree.Filtered());
  only->setShortcut(kOnlyMissingKeys);
  connect(only, &QAction::triggered, this, [this] { ToggleOnlyMissing(w_); });
  menu->addSeparator();
  AddUndoEntries(*menu, w_);
  return menu;
}

QMenu* BulkCommands::StrayMenu() {
  auto* menu = new QMenu(stray_);
  QAction* match = menu->addAction(ToQString(kMatchCommand));
  match->setShortcut(kMatchKeys);
  connect(match, &QAction::triggered, this, [this] { MatchStrayPictures(w_); });
  menu->addSeparator();
  AddUndoEntries(*menu, w_);
  return menu;
}

}  // namespace qvm
