// The entity tree on Qt: a small item model over flat node vectors, so that a full game's
// 75,000 nodes are appended without a widget item each, and the TreeView adapter over it.
#pragma once

#include <QAbstractItemModel>
#include <QPointer>
#include <QTreeView>
#include <cstdint>
#include <string>
#include <vector>

#include "app/qt/QtControls.h"
#include "platform/Controls.h"

namespace qvm {

// Nodes are only ever appended. A node's handle is its place in the node vector plus one.
class TreeModel : public QAbstractItemModel {
  Q_OBJECT
 public:
  explicit TreeModel(QObject* parent = nullptr);

  // Appends a node as the last child of `parent` (0: top level); 0 for an unknown parent.
  NodeHandle Append(NodeHandle parent, std::string_view text);
  bool MarkHasChildren(NodeHandle node);
  bool Valid(NodeHandle node) const { return node >= 1 && node <= nodes_.size(); }
  std::string_view Text(NodeHandle node) const;
  NodeHandle ParentOf(NodeHandle node) const;
  NodeHandle NextSiblingOf(NodeHandle node) const;
  NodeHandle FirstChildOf(NodeHandle node) const;
  std::size_t NodeCount() const { return nodes_.size(); }

  QModelIndex IndexOf(NodeHandle node) const;
  static NodeHandle HandleOf(const QModelIndex& index);

  // Between these, appends are announced as one reset instead of one insertion each.
  void BeginBulk();
  void EndBulk();

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  struct Node {
    NodeHandle parent = 0;
    int row = 0;
    bool markedHasChildren = false;
    std::uint32_t textOffset = 0;
    std::uint32_t textLength = 0;
    std::vector<NodeHandle> children;
  };
  const std::vector<NodeHandle>& ChildrenOf(NodeHandle node) const {
    return node ? nodes_[node - 1].children : roots_;
  }

  std::vector<Node> nodes_;
  std::vector<NodeHandle> roots_;
  std::string texts_;  // every node's CP1252 text, one after another
  bool bulk_ = false;
};

// Draws the view's expand buttons as boxed plus and minus signs joined by dotted lines; the
// rest of the view keeps the application's style.
void ShowTreeLines(QTreeView* view);

// The tree view over a TreeModel. The selected node is the view's current node.
class QtTreeView : public QtWidgetControl<TreeView> {
 public:
  QtTreeView(QTreeView* view, TreeModel* model);

  NodeHandle InsertItem(NodeHandle parent, std::string_view text) override;
  bool SetHasChildren(NodeHandle node) override;
  std::optional<std::string> ItemText(NodeHandle node) const override;
  NodeHandle Parent(NodeHandle node) const override;
  NodeHandle NextSibling(NodeHandle node) const override;
  NodeHandle FirstChild(NodeHandle node) const override;
  NodeHandle Selection() const override;

  TreeModel* Model() const { return model_; }

 private:
  QPointer<QTreeView> view_;
  QPointer<TreeModel> model_;
};

}  // namespace qvm
