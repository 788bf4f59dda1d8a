// The find field of the tree: Ctrl+F, or F3 while the tree has the focus, opens it over the
// bottom of the tree. It goes to entities and aliases whose names contain the text, regardless
// of case and accents; Enter or F3 goes to the next match, Shift+F3 to the previous, Escape
// closes it. Going to a match selects it as a user's click would. Typing in the tree itself
// stays the tree's own: it goes to the next visible node starting with the letters typed.
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QTreeView>

#include "app/qt/QtTree.h"
#include "tree/CategoryTree.h"
#include "tree/TreeFind.h"

namespace qvm {

class TreeFindBar : public QLineEdit {
  Q_OBJECT
 public:
  TreeFindBar(QTreeView* view, TreeModel* model, const CategoryTree& tree, QWidget* parent);

  // Shows the field with `text` and the focus in it.
  void Open(const QString& text);
  void Close();
  // Goes to the next (or previous) match after the tree's current node.
  bool FindNext(bool backward);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void GoTo(NodeHandle node);
  bool Search(bool next, bool backward);
  void ShowFound(bool found);

  QPointer<QTreeView> view_;
  TreeModel* model_;
  const CategoryTree& tree_;
  TreeFinder finder_;  // built when first needed; the tree never changes afterwards
};

}  // namespace qvm
