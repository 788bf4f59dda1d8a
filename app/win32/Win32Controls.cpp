#include "app/win32/Win32Controls.h"

#include <algorithm>

#include "app/win32/WideText.h"
#include "platform/Cp1252.h"
#include "platform/ListOrder.h"

namespace qvm {

template <class Interface>
void Win32WindowControl<Interface>::SetText(std::string_view text) {
  ::SetWindowTextW(window_, WideFromCp1252(text).c_str());
}

template <class Interface>
std::string Win32WindowControl<Interface>::Text() const {
  std::wstring wide(static_cast<std::size_t>(::GetWindowTextLengthW(window_)) + 1, L'\0');
  wide.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window_, wide.data(), static_cast<int>(wide.size()))));
  return Cp1252FromWide(wide);
}

template class Win32WindowControl<Control>;
template class Win32WindowControl<ListBox>;
template class Win32WindowControl<TreeView>;

// --- Win32ListBox ------------------------------------------------------------------------------

namespace {

int Caret(HWND list) { return static_cast<int>(::SendMessageW(list, LB_GETCARETINDEX, 0, 0)); }

}  // namespace

int Win32ListBox::Current() const {
  if (noCurrent_ || texts_.empty()) return -1;
  const int caret = Caret(window_);
  return Valid(caret) ? caret : -1;
}

int Win32ListBox::SetCurrent(int index) {
  if (index == -1) {
    ::SendMessageW(window_, LB_SETSEL, FALSE, -1);
    noCurrent_ = true;
    return -1;
  }
  if (!Valid(index)) return -1;
  ::SendMessageW(window_, LB_SETSEL, TRUE, index);
  ::SendMessageW(window_, LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
  noCurrent_ = false;
  return index;
}

int Win32ListBox::SelCount() const {
  return std::max(0, static_cast<int>(::SendMessageW(window_, LB_GETSELCOUNT, 0, 0)));
}

std::vector<int> Win32ListBox::SelItems(int maxCount) const {
  std::vector<int> rows(texts_.size());
  if (rows.empty()) return rows;
  const LRESULT n =
      ::SendMessageW(window_, LB_GETSELITEMS, rows.size(), reinterpret_cast<LPARAM>(rows.data()));
  rows.resize(static_cast<std::size_t>(std::max<LRESULT>(n, 0)));
  std::sort(rows.begin(), rows.end());
  if (static_cast<int>(rows.size()) > std::max(maxCount, 0))
    rows.resize(static_cast<std::size_t>(std::max(maxCount, 0)));
  return rows;
}

int Win32ListBox::SetSel(bool select, int index) {
  if (index != -1 && !Valid(index)) return -1;
  // Selecting moves the caret in some list boxes; the current item stays where it was.
  const int caret = Caret(window_);
  ::SendMessageW(window_, LB_SETSEL, select ? TRUE : FALSE, index);
  if (Valid(caret) && Caret(window_) != caret)
    ::SendMessageW(window_, LB_SETCARETINDEX, static_cast<WPARAM>(caret), FALSE);
  return 0;
}

int Win32ListBox::FindExact(int start, std::string_view text) const {
  return FindExactInList(Count(), start, text, [this](int i) -> const std::string& {
    return texts_[static_cast<std::size_t>(i)];
  });
}

std::string Win32ListBox::ItemText(int index) const {
  if (index < 0) index = Current();
  return Valid(index) ? texts_[static_cast<std::size_t>(index)] : std::string();
}

int Win32ListBox::AddString(std::string_view text) {
  const int index = ListInsertPlace(Count(), text, [this](int i) -> const std::string& {
    return texts_[static_cast<std::size_t>(i)];
  });
  // Without a current item there is no focus to keep in place.
  const int caret = texts_.empty() || noCurrent_ ? -1 : Caret(window_);
  if (!redrawStopped_) {
    redrawStopped_ = true;
    ::SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
    ::PostMessageW(::GetParent(window_), kListRedrawMessage, 0, reinterpret_cast<LPARAM>(window_));
  }
  ::SendMessageW(window_, LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(WideFromCp1252(text).c_str()));
  texts_.insert(texts_.begin() + index, std::string(text));
  // The focus stays on its item.
  if (Valid(caret)) {
    const int expected = caret >= index ? caret + 1 : caret;
    if (Caret(window_) != expected)
      ::SendMessageW(window_, LB_SETCARETINDEX, static_cast<WPARAM>(expected), FALSE);
  }
  return index;
}

int Win32ListBox::DeleteString(int index) {
  if (!Valid(index)) return -1;
  const int caret = Caret(window_);
  ::SendMessageW(window_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
  texts_.erase(texts_.begin() + index);
  if (texts_.empty()) {
    noCurrent_ = true;
  } else if (Valid(caret) || caret == Count()) {
    // The item that takes the deleted one's place gets the focus (the last one when it was
    // last); another item keeps it.
    const int expected = caret > index ? caret - 1 : std::min(caret, Count() - 1);
    if (Caret(window_) != expected)
      ::SendMessageW(window_, LB_SETCARETINDEX, static_cast<WPARAM>(expected), FALSE);
  }
  return Count();
}

void Win32ListBox::ResumeRedraw() {
  if (!redrawStopped_) return;
  redrawStopped_ = false;
  ::SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(window_, nullptr, TRUE);
}

void Win32ListBox::ResetContent() {
  ::SendMessageW(window_, LB_RESETCONTENT, 0, 0);
  texts_.clear();
  noCurrent_ = true;
}

void Win32ListBox::SetEmphasis(const std::vector<Emphasis>& emphasis) {
  emphasis_.clear();
  for (const Emphasis& e : emphasis) emphasis_[e.text] = e.tip;
  ::InvalidateRect(window_, nullptr, TRUE);
}

std::optional<std::string> Win32ListBox::EmphasisTip(int index) const {
  if (!Valid(index) || (::GetWindowLongPtrW(window_, GWL_STYLE) & LBS_OWNERDRAWFIXED) == 0)
    return std::nullopt;
  auto found = emphasis_.find(texts_[static_cast<std::size_t>(index)]);
  if (found == emphasis_.end()) return std::nullopt;
  return found->second;
}

int Win32ListBox::ItemAt(POINT point) const {
  const LRESULT hit = ::SendMessageW(window_, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
  if (HIWORD(hit) != 0) return -1;  // outside every item
  const int index = LOWORD(hit);
  return Valid(index) ? index : -1;
}

void Win32ListBox::DrawItem(const DRAWITEMSTRUCT& item, HFONT bold) const {
  const int index = static_cast<int>(item.itemID);
  HDC dc = item.hDC;
  if (Valid(index)) {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool enabled = ::IsWindowEnabled(window_) != FALSE;
    ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(!enabled   ? COLOR_GRAYTEXT
                                     : selected ? COLOR_HIGHLIGHTTEXT
                                                : COLOR_WINDOWTEXT));
    const bool emphasised = emphasis_.count(texts_[static_cast<std::size_t>(index)]) != 0;
    HFONT font = emphasised && bold
                     ? bold
                     : reinterpret_cast<HFONT>(::SendMessageW(window_, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
    RECT text = item.rcItem;
    text.left += 2;
    const std::wstring wide = WideFromCp1252(texts_[static_cast<std::size_t>(index)]);
    ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (old) ::SelectObject(dc, old);
  }
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &item.rcItem);
}

}  // namespace qvm
