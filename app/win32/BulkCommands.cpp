#include "app/win32/BulkCommands.h"

#include <cstring>

#include "app/PictureGaps.h"
#include "app/win32/UndoCommands.h"
#include "app/win32/WideText.h"

namespace qvm {
namespace {

bool Down(int key) { return ::GetKeyState(key) < 0; }

// The menu's place: where the mouse was clicked, or beside the keyboard's place in `window`
// (Shift+F10 and the menu key give -1, -1).
POINT MenuPlace(HWND window, LPARAM at, const RECT& keyboardPlace) {
  POINT place{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  if (place.x != -1 || place.y != -1) return place;
  place = {keyboardPlace.left, keyboardPlace.bottom};
  ::ClientToScreen(window, &place);
  return place;
}

}  // namespace

Win32BulkCommands::Win32BulkCommands(HWND dialog, Wizard& w, Win32TreeView& tree, HWND stray,
                                     HWND images)
    : dialog_(dialog),
      w_(w),
      tree_(tree),
      stray_(stray),
      images_(images),
      matchDialog_(dialog, w.os, w.paths) {
  w.c.matchDialog = &matchDialog_;
  if (HMENU system = ::GetSystemMenu(dialog, FALSE)) {
    ::AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    const std::wstring text = WideFromCp1252(kMatchCommand) + L"\tCtrl+M";
    ::AppendMenuW(system, MF_STRING, kMatchSysCommand, text.c_str());
  }
}

bool Win32BulkCommands::OwnKey(const MSG& message) {
  // Alt+F4 closes the window whichever control has the keyboard (a tree view keeps it).
  if (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4) {
    ::SendMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
  }
  if (message.message != WM_KEYDOWN) return false;
  const bool ctrl = Down(VK_CONTROL), shift = Down(VK_SHIFT);
  if (message.wParam == VK_F4 && ctrl && shift) {
    ToggleOnlyMissing(w_);
  } else if (message.wParam == VK_F4 && !ctrl) {
    GoToNextMissing(w_, shift);
  } else if (message.wParam == 'M' && ctrl && !shift) {
    MatchStrayPictures(w_);
  } else {
    return false;
  }
  return true;
}

bool Win32BulkCommands::OnContextMenu(HWND window, LPARAM at) {
  HMENU menu = ::CreatePopupMenu();
  RECT place{};
  if (window == tree_.Window()) {
    const std::wstring text = WideFromCp1252(kOnlyMissingCommand) + L"\tCtrl+Shift+F4";
    const UINT checked = w_.shownTree.Filtered() ? MF_CHECKED : MF_UNCHECKED;
    ::AppendMenuW(menu, MF_STRING | checked, kOnlyMissingItem, text.c_str());
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendUndoEntries(menu, w_);
    if (HTREEITEM item = tree_.ItemOf(tree_.Selection())) {
      std::memcpy(&place, &item, sizeof item);  // the message takes the item in the rectangle
      ::SendMessageW(window, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&place));
    }
  } else if (window == stray_) {
    const std::wstring text = WideFromCp1252(kMatchCommand) + L"\tCtrl+M";
    ::AppendMenuW(menu, MF_STRING, kMatchItem, text.c_str());
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendUndoEntries(menu, w_);
  } else if (window == images_) {
    AppendUndoEntries(menu, w_);
  } else {
    ::DestroyMenu(menu);
    return false;
  }
  const POINT where = MenuPlace(window, at, place);
  const UINT chosen = static_cast<UINT>(::TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, where.x, where.y, 0, dialog_, nullptr));
  ::DestroyMenu(menu);
  Run(chosen);
  return true;
}

bool Win32BulkCommands::OnSysCommand(WPARAM command) {
  if ((command & 0xFFF0) != kMatchSysCommand) return false;
  MatchStrayPictures(w_);
  return true;
}

void Win32BulkCommands::Run(UINT command) {
  if (RunUndoEntry(w_, command)) return;
  if (command == kOnlyMissingItem) ToggleOnlyMissing(w_);
  if (command == kMatchItem) MatchStrayPictures(w_);
}

}  // namespace qvm
