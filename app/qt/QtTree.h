// The entity tree on Qt: a small item model over the core's tree data, and the TreeView adapter
// over it.
#pragma once

#include <QAbstractItemModel>
#include <QPointer>
#include <QTreeView>
#include <span>

#include "app/qt/QtControls.h"
#include "platform/Controls.h"

namespace qvm {

// A tree of nodes shown through Qt's model interface, read in place: rows, parents and texts
// come straight from the nodes, so a full game's 71,000 nodes cost no item each. A marked node
// is drawn in italics and dark red, and gives its mark as its accessible description and as
// kMarkRole.
class TreeModel : public QAbstractItemModel {
  Q_OBJECT
 public:
  static constexpr int kMarkRole = Qt::UserRole + 1;

  explicit TreeModel(QObject* parent = nullptr);

  // Shows `nodes` (nullptr: none) as one model reset. The model keeps the pointer: the nodes
  // must stay alive and unchanged while it shows them.
  void SetNodes(const TreeNodes* nodes);
  const TreeNodes* Nodes() const { return nodes_; }

  QModelIndex IndexOf(NodeHandle node) const;
  static NodeHandle HandleOf(const QModelIndex& index);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  // The children of an index's node; none for an index of another model's column.
  std::span<const NodeHandle> ChildrenOf(const QModelIndex& parent) const;

  const TreeNodes* nodes_ = nullptr;
};

// Draws the view's expand buttons as boxed plus and minus signs joined by dotted lines; the
// rest of the view keeps the application's style.
void ShowTreeLines(QTreeView* view);

// Opens every branch above the model's `node`, makes it the view's current node (as a click
// would: the view notifies) and scrolls to it.
void GoToNode(QTreeView* view, const TreeModel* model, NodeHandle node);

// A click on the view's blank space (below the last node, or beside the nodes) changes nothing:
// the selected node stays selected and shown, as the record it stands for stays shown.
void KeepSelectionOnBlankClicks(QTreeView* view);

// The tree view over a TreeModel. The selected node is the view's current node.
class QtTreeView : public QtWidgetControl<TreeView> {
 public:
  QtTreeView(QTreeView* view, TreeModel* model);

  void SetNodes(const TreeNodes& nodes) override;
  NodeHandle Selection() const override;
  void MarksChanged() override;
  void GoTo(NodeHandle node) override;
  void ShowNote(std::string_view text) override;

  TreeModel* Model() const { return model_; }

 private:
  QPointer<QTreeView> view_;
  QPointer<TreeModel> model_;
};

}  // namespace qvm
