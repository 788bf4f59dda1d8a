#include "app/win32/Win32Tree.h"

#include "app/win32/WideText.h"

namespace qvm {

void Win32TreeView::SetNodes(const TreeNodes& nodes) {
  ::SendMessageW(window_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  nodes_ = &nodes;
  items_.assign(nodes.NodeCount() + 1, nullptr);
  childrenInserted_.assign(nodes.NodeCount() + 1, false);
  InsertChildren(0, TVI_ROOT);
}

void Win32TreeView::InsertChildren(NodeHandle parent, HTREEITEM parentItem) {
  if (!nodes_ || childrenInserted_[parent]) return;
  childrenInserted_[parent] = true;
  ::SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
  for (NodeHandle child : nodes_->Children(parent)) {
    const std::wstring text = WideFromCp1252(nodes_->Text(child));
    TVINSERTSTRUCTW insert{};
    insert.hParent = parentItem;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = static_cast<LPARAM>(child);
    // The expand button shows before the children are there.
    insert.item.cChildren = nodes_->HasChildren(child) ? 1 : 0;
    items_[child] = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(window_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  }
  ::SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
}

void Win32TreeView::OnItemExpanding(const NMTREEVIEWW& notify) {
  if (!(notify.action & TVE_EXPAND)) return;
  const auto node = static_cast<NodeHandle>(notify.itemNew.lParam);
  if (nodes_ && nodes_->Contains(node)) InsertChildren(node, notify.itemNew.hItem);
}

HTREEITEM Win32TreeView::ItemOf(NodeHandle node) {
  if (!nodes_ || !nodes_->Contains(node)) return nullptr;
  if (!items_[node]) {
    const NodeHandle parent = nodes_->Parent(node);
    HTREEITEM parentItem = parent ? ItemOf(parent) : TVI_ROOT;
    if (!parentItem) return nullptr;
    InsertChildren(parent, parentItem);
  }
  return items_[node];
}

void Win32TreeView::GoTo(NodeHandle node) {
  HTREEITEM item = ItemOf(node);
  if (!item) return;
  for (NodeHandle up = nodes_->Parent(node); up != 0; up = nodes_->Parent(up))
    ::SendMessageW(window_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(items_[up]));
  ::SendMessageW(window_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  ::SendMessageW(window_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
}

NodeHandle Win32TreeView::Selection() const {
  auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(window_, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item) return 0;
  TVITEMW data{};
  data.mask = TVIF_PARAM | TVIF_HANDLE;
  data.hItem = item;
  if (!::SendMessageW(window_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return 0;
  return static_cast<NodeHandle>(data.lParam);
}

}  // namespace qvm
