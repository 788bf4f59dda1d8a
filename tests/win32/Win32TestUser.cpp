#include "tests/win32/Win32TestUser.h"

namespace qvm::test {

namespace {
WPARAM KeyFlags(Keys keys) {
  return keys == Keys::Ctrl ? MK_CONTROL : keys == Keys::Shift ? MK_SHIFT : 0;
}
}  // namespace

void Click(HWND window, POINT at, Keys keys) {
  Pump();  // what the program left to do first (a list drawing again after insertions)
  const LPARAM where = MAKELPARAM(at.x, at.y);
  // The button's release waits in the queue: a control that follows the mouse while the button
  // is down (the tree view) finds it there.
  ::PostMessageW(window, WM_LBUTTONUP, KeyFlags(keys), where);
  ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON | KeyFlags(keys), where);
  Pump();
}

void DoubleClick(HWND window, POINT at) {
  Click(window, at);
  const LPARAM where = MAKELPARAM(at.x, at.y);
  ::PostMessageW(window, WM_LBUTTONUP, 0, where);
  ::SendMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
  Pump();
}

POINT ListItemCenter(HWND list, int index) {
  ::SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  RECT item{};
  ::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
}

void PressKey(HWND window, UINT key, int repeats) {
  ::SetFocus(window);
  ::SendMessageW(window, WM_KEYDOWN, key, 1);
  for (int i = 0; i < repeats; ++i) ::SendMessageW(window, WM_KEYDOWN, key, 1 | (1 << 30));
  ::SendMessageW(window, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
  Pump();
}

void Pump() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

}  // namespace qvm::test
