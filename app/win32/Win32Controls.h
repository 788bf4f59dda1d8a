// The control layer on Win32 windows: a control's text and state, and the list boxes the core
// expects. The program's own calls never notify (list-box messages sent by the program send no
// LBN_SELCHANGE); the dialog reports what the user did.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/win32/Win32Api.h"
#include "platform/Controls.h"

namespace qvm {

// Posted by a list box to its parent when it has stopped redrawing for a run of insertions
// (lParam: the list's window); the parent calls ResumeRedraw() of that list.
inline constexpr UINT kListRedrawMessage = WM_APP + 10;

// Text, enabled and visible state of any child window, for any of the control interfaces.
template <class Interface>
class Win32WindowControl : public Interface {
 public:
  explicit Win32WindowControl(HWND window) : window_(window) {}

  void SetText(std::string_view text) override;
  std::string Text() const override;
  void SetEnabled(bool enabled) override { ::EnableWindow(window_, enabled ? TRUE : FALSE); }
  bool IsEnabled() const override { return ::IsWindowEnabled(window_) != FALSE; }
  void SetVisible(bool visible) override { ::ShowWindow(window_, visible ? SW_SHOW : SW_HIDE); }
  // The control's own state, whether or not its dialog is on screen yet.
  bool IsVisible() const override {
    return (::GetWindowLongPtrW(window_, GWL_STYLE) & WS_VISIBLE) != 0;
  }

  HWND Window() const { return window_; }

 protected:
  HWND window_;
};

using Win32Control = Win32WindowControl<Control>;

// A list box with LBS_EXTENDEDSEL | LBS_HASSTRINGS | LBS_OWNERDRAWFIXED. Texts are inserted at
// the place the core's list order gives (LB_INSERTSTRING, which never sorts by itself), and
// kept as CP1252 bytes beside the control, which answers the text queries; the control keeps
// the selection and the focus (caret) item. A native list box always has a caret item once it
// holds any: "no current item" is kept here until the program or the user makes one current.
class Win32ListBox : public Win32WindowControl<ListBox> {
 public:
  explicit Win32ListBox(HWND list) : Win32WindowControl<ListBox>(list) {}

  int Count() const override { return static_cast<int>(texts_.size()); }
  int Current() const override;
  int SetCurrent(int index) override;
  int SelCount() const override;
  std::vector<int> SelItems(int maxCount) const override;
  int SetSel(bool select, int index) override;
  int FindExact(int start, std::string_view text) const override;
  std::string ItemText(int index) const override;
  int AddString(std::string_view text) override;
  int DeleteString(int index) override;
  void ResetContent() override;
  void SetEmphasis(const std::vector<Emphasis>& emphasis) override;

  // Draws again after a run of insertions: 2,000 names at once would otherwise update the
  // scroll bar 2,000 times.
  void ResumeRedraw();
  // The user clicked or typed in the list: its caret item is current from now on.
  void UserActed() { noCurrent_ = false; }
  // The tip of an item shown emphasised (bold); none when it is shown plainly.
  std::optional<std::string> EmphasisTip(int index) const;
  // Draws one item (WM_DRAWITEM of the list): bold when emphasised. `bold` is the list's font
  // in bold, made by the dialog.
  void DrawItem(const DRAWITEMSTRUCT& item, HFONT bold) const;
  // The item under a point of the list's client area; -1 when none.
  int ItemAt(POINT point) const;

 private:
  bool Valid(int index) const { return index >= 0 && index < Count(); }
  std::vector<std::string> texts_;
  std::map<std::string, std::string, std::less<>> emphasis_;  // text -> tip
  bool noCurrent_ = true;
  bool redrawStopped_ = false;
};

}  // namespace qvm

namespace qvm {
extern template class Win32WindowControl<Control>;
extern template class Win32WindowControl<ListBox>;
extern template class Win32WindowControl<TreeView>;
}  // namespace qvm
