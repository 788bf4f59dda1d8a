#include "app/qt/QtTree.h"

#include <QColor>
#include <QFont>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QToolTip>
#include <memory>

#include "app/qt/QtText.h"

namespace qvm {
namespace {

class TreeLinesStyle : public QProxyStyle {
 public:
  TreeLinesStyle() : lines_(QStyleFactory::create(QStringLiteral("Windows"))) {}

  // Left on a leaf or a closed branch goes to its parent, Right on an open one to its first
  // child, as in every tree view.
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_ItemView_ArrowKeysNavigateIntoChildren) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }

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

// Keeps a press on blank space, and the drag and release that follow it, from the view, which
// would otherwise clear its selection.
class BlankClickFilter : public QObject {
 public:
  explicit BlankClickFilter(QTreeView* view) : QObject(view), view_(view) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick: {
        QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        swallowing_ = !view_->indexAt(at).isValid();
        return swallowing_;
      }
      case QEvent::MouseMove:
        return swallowing_ && static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton;
      case QEvent::MouseButtonRelease: {
        bool swallow = swallowing_;
        if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) swallowing_ = false;
        return swallow;
      }
      default:
        return false;
    }
  }

 private:
  QTreeView* view_;
  bool swallowing_ = false;
};

}  // namespace

void ShowTreeLines(QTreeView* view) {
  auto* style = new TreeLinesStyle;
  style->setParent(view);
  view->setStyle(style);
}

void GoToNode(QTreeView* view, const TreeModel* model, NodeHandle node) {
  const QModelIndex index = model->IndexOf(node);
  if (!index.isValid()) return;
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) view->expand(up);
  view->setCurrentIndex(index);
  view->scrollTo(index);
}

void KeepSelectionOnBlankClicks(QTreeView* view) {
  view->viewport()->installEventFilter(new BlankClickFilter(view));
}

// --- TreeModel -----------------------------------------------------------------------------------

TreeModel::TreeModel(QObject* parent) : QAbstractItemModel(parent) {}

void TreeModel::SetNodes(const TreeNodes* nodes) {
  beginResetModel();
  nodes_ = nodes;
  endResetModel();
}

QModelIndex TreeModel::IndexOf(NodeHandle node) const {
  if (!nodes_ || !nodes_->Contains(node)) return {};
  return createIndex(nodes_->Row(node), 0, static_cast<quintptr>(node));
}

NodeHandle TreeModel::HandleOf(const QModelIndex& index) {
  return index.isValid() ? static_cast<NodeHandle>(index.internalId()) : 0;
}

std::span<const NodeHandle> TreeModel::ChildrenOf(const QModelIndex& parent) const {
  if (!nodes_ || parent.column() > 0) return {};
  return nodes_->Children(HandleOf(parent));
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  std::span<const NodeHandle> children = ChildrenOf(parent);
  if (static_cast<std::size_t>(row) >= children.size()) return {};
  return createIndex(row, 0, static_cast<quintptr>(children[static_cast<std::size_t>(row)]));
}

QModelIndex TreeModel::parent(const QModelIndex& child) const {
  return nodes_ ? IndexOf(nodes_->Parent(HandleOf(child))) : QModelIndex();
}

int TreeModel::rowCount(const QModelIndex& parent) const {
  return static_cast<int>(ChildrenOf(parent).size());
}

int TreeModel::columnCount(const QModelIndex&) const { return 1; }

bool TreeModel::hasChildren(const QModelIndex& parent) const { return !ChildrenOf(parent).empty(); }

QVariant TreeModel::data(const QModelIndex& index, int role) const {
  NodeHandle node = HandleOf(index);
  if (!nodes_ || !nodes_->Contains(node)) return {};
  switch (role) {
    case Qt::DisplayRole:
      return ToQString(nodes_->Text(node));
    case Qt::ToolTipRole:
      return ToQString(nodes_->Tip(node));
    case Qt::FontRole:
    case Qt::ForegroundRole:
    case Qt::AccessibleDescriptionRole:
    case kMarkRole:
      break;
    default:
      return {};
  }
  const std::string_view mark = nodes_->Mark(node);
  if (mark.empty()) return {};
  if (role == Qt::FontRole) {
    QFont italic;
    italic.setItalic(true);
    return italic;
  }
  if (role == Qt::ForegroundRole) return QColor(160, 0, 0);
  return ToQString(mark);
}

Qt::ItemFlags TreeModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// --- QtTreeView ----------------------------------------------------------------------------------

QtTreeView::QtTreeView(QTreeView* view, TreeModel* model)
    : QtWidgetControl<TreeView>(view), view_(view), model_(model) {}

void QtTreeView::SetNodes(const TreeNodes& nodes) {
  if (model_) model_->SetNodes(&nodes);
}

NodeHandle QtTreeView::Selection() const {
  return view_ ? TreeModel::HandleOf(view_->currentIndex()) : 0;
}

void QtTreeView::MarksChanged() {
  if (view_) view_->viewport()->update();
}

void QtTreeView::GoTo(NodeHandle node) {
  if (view_ && model_) GoToNode(view_, model_, node);
}

void QtTreeView::ShowNote(std::string_view text) {
  if (!view_) return;
  QRect at = view_->visualRect(view_->currentIndex());
  if (!at.isValid()) at = QRect(view_->viewport()->rect().topLeft(), QSize(1, 1));
  QToolTip::showText(view_->viewport()->mapToGlobal(at.bottomLeft()), ToQString(text),
                     view_->viewport(), {}, 3000);
}

}  // namespace qvm
