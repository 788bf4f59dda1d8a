#include "app/win32/Win32Tree.h"

#include <algorithm>
#include <cstring>

#include "app/win32/WideText.h"

namespace qvm {
namespace {

constexpr COLORREF kMarkedText = RGB(160, 0, 0);
constexpr UINT kNoteMilliseconds = 3000;

// The note shown last, hidden by its timer.
HWND shownNote = nullptr;

void CALLBACK HideNote(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  if (shownNote) ::SendMessageW(shownNote, TTM_TRACKACTIVATE, FALSE, 0);
}

}  // namespace

Win32TreeView::Win32TreeView(HWND tree) : Win32WindowControl<TreeView>(tree) {
  // Roots and groups tell their counts in a tip of their own.
  ::SetWindowLongPtrW(tree, GWL_STYLE, ::GetWindowLongPtrW(tree, GWL_STYLE) | TVS_INFOTIP);
}

Win32TreeView::~Win32TreeView() {
  if (note_) {
    if (shownNote == note_) shownNote = nullptr;
    ::DestroyWindow(note_);
  }
  if (italic_) ::DeleteObject(italic_);
}

UINT Win32TreeView::MarkState(NodeHandle node) const {
  return INDEXTOSTATEIMAGEMASK(nodes_ && !nodes_->Mark(node).empty() ? 1 : 0);
}

void Win32TreeView::MarksChanged() {
  if (!nodes_) return;
  ::SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
  for (NodeHandle node = 1; node < items_.size(); ++node) {
    if (!items_[node]) continue;
    TVITEMW item{};
    item.mask = TVIF_STATE | TVIF_HANDLE;
    item.hItem = items_[node];
    item.state = MarkState(node);
    item.stateMask = TVIS_STATEIMAGEMASK;
    ::SendMessageW(window_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  ::SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(window_, nullptr, TRUE);
}

bool Win32TreeView::ShowsMarked(NodeHandle node) const {
  if (!nodes_ || node >= items_.size() || !items_[node]) return false;
  const auto state = static_cast<UINT>(::SendMessageW(
      window_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(items_[node]), TVIS_STATEIMAGEMASK));
  return (state & TVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(1);
}

void Win32TreeView::ShowNote(std::string_view text) {
  if (!note_) {
    note_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                              nullptr, ::GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(window_);
    tool.lpszText = const_cast<wchar_t*>(L"");
    ::SendMessageW(note_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  noteText_ = WideFromCp1252(text);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(window_);
  tool.lpszText = noteText_.data();
  ::SendMessageW(note_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  // Under the selected node, or at the tree's top when none is.
  RECT at{};
  auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(window_, TVM_GETNEXTITEM, TVGN_CARET, 0));
  std::memcpy(&at, &item, sizeof item);  // the message takes the item in the rectangle
  if (!item || !::SendMessageW(window_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&at)))
    at = RECT{};
  POINT corner{at.left, at.bottom};
  ::ClientToScreen(window_, &corner);
  ::SendMessageW(note_, TTM_TRACKPOSITION, 0, MAKELPARAM(corner.x, corner.y));
  ::SendMessageW(note_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  shownNote = note_;
  ::SetTimer(nullptr, 0, kNoteMilliseconds, HideNote);
}

bool Win32TreeView::OnNotify(LPARAM lParam, LRESULT* result) {
  auto& header = *reinterpret_cast<NMHDR*>(lParam);
  if (header.hwndFrom != window_ || !nodes_) return false;
  if (header.code == NM_CUSTOMDRAW) {
    *result = CustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(lParam));
    return true;
  }
  if (header.code == TVN_GETINFOTIPW) {
    auto& tip = *reinterpret_cast<NMTVGETINFOTIPW*>(lParam);
    CopyToBuffer(WideFromCp1252(nodes_->Tip(static_cast<NodeHandle>(tip.lParam))), tip.pszText,
                 tip.cchTextMax);
    *result = 0;
    return true;
  }
  return false;
}

LRESULT Win32TreeView::CustomDraw(NMTVCUSTOMDRAW& draw) {
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  if (nodes_->Mark(static_cast<NodeHandle>(draw.nmcd.lItemlParam)).empty()) return CDRF_DODEFAULT;
  if (!italic_) {
    auto font = reinterpret_cast<HFONT>(::SendMessageW(window_, WM_GETFONT, 0, 0));
    LOGFONTW italic{};
    if (font && ::GetObjectW(font, sizeof(italic), &italic)) {
      italic.lfItalic = TRUE;
      italic_ = ::CreateFontIndirectW(&italic);
    }
  }
  if (italic_) ::SelectObject(draw.nmcd.hdc, italic_);
  // The selected node keeps the system's highlight colours.
  if (!(draw.nmcd.uItemState & CDIS_SELECTED)) draw.clrText = kMarkedText;
  return CDRF_NEWFONT;
}

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
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_STATE;
    insert.item.state = MarkState(child);
    insert.item.stateMask = TVIS_STATEIMAGEMASK;
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
