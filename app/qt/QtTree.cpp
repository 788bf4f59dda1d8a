#include "app/qt/QtTree.h"

#include <QProxyStyle>
#include <QStyleFactory>
#include <memory>

#include "app/qt/QtText.h"

namespace qvm {
namespace {

class TreeLinesStyle : public QProxyStyle {
 public:
  TreeLinesStyle() : lines_(QStyleFactory::create(QStringLiteral("Windows"))) {}

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element == PE_IndicatorBranch && lines_)
      lines_->drawPrimitive(element, option, painter, widget);
    else
      QProxyStyle::drawPrimitive(element, option, painter, widget);
  }

 private:
  std::unique_ptr<QStyle> lines_;
};

}  // namespace

void ShowTreeLines(QTreeView* view) {
  auto* style = new TreeLinesStyle;
  style->setParent(view);
  view->setStyle(style);
}

// --- TreeModel -----------------------------------------------------------------------------------

TreeModel::TreeModel(QObject* parent) : QAbstractItemModel(parent) {}

NodeHandle TreeModel::Append(NodeHandle parent, std::string_view text) {
  if (parent != 0 && !Valid(parent)) return 0;
  if (texts_.size() + text.size() > UINT32_MAX) return 0;
  int row = static_cast<int>(ChildrenOf(parent).size());
  if (!bulk_) beginInsertRows(IndexOf(parent), row, row);
  Node node;
  node.parent = parent;
  node.row = row;
  node.textOffset = static_cast<std::uint32_t>(texts_.size());
  node.textLength = static_cast<std::uint32_t>(text.size());
  texts_.append(text);
  nodes_.push_back(std::move(node));
  NodeHandle handle = nodes_.size();
  (parent ? nodes_[parent - 1].children : roots_).push_back(handle);
  if (!bulk_) endInsertRows();
  return handle;
}

bool TreeModel::MarkHasChildren(NodeHandle node) {
  if (!Valid(node)) return false;
  nodes_[node - 1].markedHasChildren = true;
  return true;
}

std::string_view TreeModel::Text(NodeHandle node) const {
  if (!Valid(node)) return {};
  const Node& n = nodes_[node - 1];
  return std::string_view(texts_).substr(n.textOffset, n.textLength);
}

NodeHandle TreeModel::ParentOf(NodeHandle node) const {
  return Valid(node) ? nodes_[node - 1].parent : 0;
}

NodeHandle TreeModel::NextSiblingOf(NodeHandle node) const {
  if (!Valid(node)) return 0;
  const Node& n = nodes_[node - 1];
  const auto& siblings = ChildrenOf(n.parent);
  size_t next = static_cast<size_t>(n.row) + 1;
  return next < siblings.size() ? siblings[next] : 0;
}

NodeHandle TreeModel::FirstChildOf(NodeHandle node) const {
  if (node != 0 && !Valid(node)) return 0;
  const auto& children = ChildrenOf(node);  // node 0: the top level, as the in-memory tree
  return children.empty() ? 0 : children.front();
}

QModelIndex TreeModel::IndexOf(NodeHandle node) const {
  if (!Valid(node)) return {};
  return createIndex(nodes_[node - 1].row, 0, static_cast<quintptr>(node));
}

NodeHandle TreeModel::HandleOf(const QModelIndex& index) {
  return index.isValid() ? static_cast<NodeHandle>(index.internalId()) : 0;
}

void TreeModel::BeginBulk() {
  if (bulk_) return;
  beginResetModel();
  bulk_ = true;
}

void TreeModel::EndBulk() {
  if (!bulk_) return;
  bulk_ = false;
  endResetModel();
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0 || parent.column() > 0) return {};
  NodeHandle p = HandleOf(parent);
  if (p != 0 && !Valid(p)) return {};
  const auto& children = ChildrenOf(p);
  if (static_cast<size_t>(row) >= children.size()) return {};
  return createIndex(row, 0, static_cast<quintptr>(children[static_cast<size_t>(row)]));
}

QModelIndex TreeModel::parent(const QModelIndex& child) const {
  return IndexOf(ParentOf(HandleOf(child)));
}

int TreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  NodeHandle p = HandleOf(parent);
  if (p != 0 && !Valid(p)) return 0;
  return static_cast<int>(ChildrenOf(p).size());
}

int TreeModel::columnCount(const QModelIndex&) const { return 1; }

bool TreeModel::hasChildren(const QModelIndex& parent) const {
  if (parent.column() > 0) return false;
  NodeHandle p = HandleOf(parent);
  if (p == 0) return !roots_.empty();
  if (!Valid(p)) return false;
  // A marked node shows its expand button even before its first child arrives.
  return nodes_[p - 1].markedHasChildren || !nodes_[p - 1].children.empty();
}

QVariant TreeModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  NodeHandle node = HandleOf(index);
  if (!Valid(node)) return {};
  return ToQString(Text(node));
}

Qt::ItemFlags TreeModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// --- QtTreeView ----------------------------------------------------------------------------------

QtTreeView::QtTreeView(QTreeView* view, TreeModel* model)
    : QtWidgetControl<TreeView>(view), view_(view), model_(model) {}

NodeHandle QtTreeView::InsertItem(NodeHandle parent, std::string_view text) {
  return model_ ? model_->Append(parent, text) : 0;
}

bool QtTreeView::SetHasChildren(NodeHandle node) { return model_ && model_->MarkHasChildren(node); }

std::optional<std::string> QtTreeView::ItemText(NodeHandle node) const {
  if (!model_ || !model_->Valid(node)) return std::nullopt;
  return std::string(model_->Text(node).substr(0, 255));
}

NodeHandle QtTreeView::Parent(NodeHandle node) const { return model_ ? model_->ParentOf(node) : 0; }

NodeHandle QtTreeView::NextSibling(NodeHandle node) const {
  return model_ ? model_->NextSiblingOf(node) : 0;
}

NodeHandle QtTreeView::FirstChild(NodeHandle node) const {
  return model_ ? model_->FirstChildOf(node) : 0;
}

NodeHandle QtTreeView::Selection() const {
  return view_ ? TreeModel::HandleOf(view_->currentIndex()) : 0;
}

}  // namespace qvm
