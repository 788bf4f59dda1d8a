#include "app/qt/TreeFindBar.h"

#include <QKeyEvent>

#include "app/qt/QtText.h"

namespace qvm {

TreeFindBar::TreeFindBar(QTreeView* view, TreeModel* model, const CategoryTree& tree,
                         QWidget* parent)
    : QLineEdit(parent), view_(view), model_(model), tree_(tree) {
  setPlaceholderText(tr("Find a name"));
  setClearButtonEnabled(true);
  hide();
  view->installEventFilter(this);
  connect(this, &QLineEdit::textEdited, this, [this] { Search(false, false); });
}

void TreeFindBar::Open(const QString& text) {
  if (finder_.Empty()) finder_.Build(tree_);
  // Over the bottom of the tree, inside its frame: the window's layout stays as it is.
  QRect area = view_->geometry();
  int height = sizeHint().height();
  setGeometry(area.x() + 2, area.bottom() - height - 1, area.width() - 4, height);
  raise();
  show();
  setFocus(Qt::ShortcutFocusReason);
  if (!text.isNull()) {
    setText(text);
    Search(false, false);
  } else {
    selectAll();
  }
}

void TreeFindBar::Close() {
  hide();
  if (view_) view_->setFocus(Qt::OtherFocusReason);
}

bool TreeFindBar::FindNext(bool backward) { return Search(true, backward); }

bool TreeFindBar::Search(bool next, bool backward) {
  if (finder_.Empty()) finder_.Build(tree_);
  NodeHandle from = TreeModel::HandleOf(view_->currentIndex());
  NodeHandle found = finder_.Find(FromQString(text()), from, backward, !next);
  ShowFound(found != 0 || text().isEmpty());
  if (found) GoTo(found);
  return found != 0;
}

void TreeFindBar::ShowFound(bool found) {
  QPalette p = palette();
  p.setColor(QPalette::Base, found ? QColor(Qt::white) : QColor(255, 200, 200));
  setPalette(p);
}

void TreeFindBar::GoTo(NodeHandle node) { GoToNode(view_, model_, node); }

void TreeFindBar::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      Close();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Search(true, event->modifiers() & Qt::ShiftModifier);
      return;
    case Qt::Key_F3:
      Search(true, event->modifiers() & Qt::ShiftModifier);
      return;
    default:
      QLineEdit::keyPressEvent(event);
  }
}

bool TreeFindBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    // F3 opens the field with what was last looked for, and goes on looking for it.
    if (key->key() == Qt::Key_F3) {
      Open(QString());
      if (!text().isEmpty()) Search(true, key->modifiers() & Qt::ShiftModifier);
      return true;
    }
  }
  return QLineEdit::eventFilter(watched, event);
}

}  // namespace qvm
