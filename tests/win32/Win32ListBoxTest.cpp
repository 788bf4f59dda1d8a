// The Win32 list box behaves as the core expects of every list box.
#include <gtest/gtest.h>

#include "app/win32/WideText.h"
#include "app/win32/Win32Controls.h"
#include "tests/support/ListBoxSuite.h"
#include "tests/win32/Win32TestUser.h"

namespace qvm {
namespace {

// A shown list with the window's list style, in a window that counts its notifications as the
// dialog does.
class Win32ListBoxDriver : public ListBoxDriver {
 public:
  Win32ListBoxDriver() {
    static const ATOM parentClass = [] {
      WNDCLASSW c{};
      c.lpfnWndProc = ParentProc;
      c.hInstance = ::GetModuleHandleW(nullptr);
      c.lpszClassName = L"QvmListTestParent";
      return ::RegisterClassW(&c);
    }();
    parent_ = ::CreateWindowExW(0, MAKEINTATOM(parentClass), L"", WS_OVERLAPPEDWINDOW, 0, 0, 300,
                                400, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(parent_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    HWND window = ::CreateWindowExW(
        WS_EX_CLIENTEDGE, L"LISTBOX", L"",
        WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_SORT | LBS_HASSTRINGS |
            LBS_NOINTEGRALHEIGHT | LBS_EXTENDEDSEL | LBS_OWNERDRAWFIXED,
        0, 0, 200, 380, parent_, reinterpret_cast<HMENU>(7), ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(window, LB_SETITEMHEIGHT, 0, 16);
    list_.emplace(window);
    ::ShowWindow(parent_, SW_SHOW);
  }
  ~Win32ListBoxDriver() override { ::DestroyWindow(parent_); }

  ListBox& List() override { return *list_; }
  void Click(int index, Modifier modifier) override {
    test::Click(list_->Window(), test::ListItemCenter(list_->Window(), index),
                modifier == Modifier::Ctrl    ? test::Keys::Ctrl
                : modifier == Modifier::Shift ? test::Keys::Shift
                                              : test::Keys::None);
  }
  void DoubleClick(int index) override {
    test::DoubleClick(list_->Window(), test::ListItemCenter(list_->Window(), index));
  }
  int SelectionChanges() const override { return selectionChanges_; }
  int DoubleClicks() const override { return doubleClicks_; }
  std::optional<std::string> Emphasis(int index) override { return list_->EmphasisTip(index); }

 private:
  static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32ListBoxDriver*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_COMMAND && LOWORD(wParam) == 7) {
      if (HIWORD(wParam) == LBN_SELCHANGE) ++self->selectionChanges_;
      if (HIWORD(wParam) == LBN_DBLCLK) ++self->doubleClicks_;
      self->list_->UserActed();
    }
    if (self && message == kListRedrawMessage) self->list_->ResumeRedraw();
    if (self && message == WM_DRAWITEM && self->list_)
      self->list_->DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam), nullptr);
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  HWND parent_ = nullptr;
  std::optional<Win32ListBox> list_;
  int selectionChanges_ = 0;
  int doubleClicks_ = 0;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ListBoxSuite, Win32ListBoxDriver);

namespace {

TEST(WideText, EveryCp1252ByteComesBackAndForeignCharactersBecomeQuestionMarks) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Cp1252FromWide(WideFromCp1252(all)), all);
  EXPECT_EQ(WideFromCp1252("\x80\xE9"), L"\u20AC\u00E9");
  EXPECT_EQ(Cp1252FromWide(L"a\u0100\u20AC\u0080"), "a?\x80?");
}

}  // namespace
}  // namespace qvm
