#include "app/win32/Win32Tips.h"

#include "app/win32/WideText.h"
#include "images/MediaFile.h"
#include "images/PictureHeader.h"

namespace qvm {
namespace {

// Wide enough for the longest key on one line; longer texts wrap only at their own line ends.
constexpr int kMaxTipWidth = 1000;

POINT CursorIn(HWND window) {
  POINT at{};
  ::GetCursorPos(&at);
  ::ScreenToClient(window, &at);
  return at;
}

}  // namespace

Win32Tips::Win32Tips(HWND dialog, Os& os, const GamePaths& paths) : os_(os), paths_(paths) {
  tip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
  // A picture list's tip stays while the mouse rests on the item.
  ::SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
}

Win32Tips::~Win32Tips() {
  if (::IsWindow(tip_)) ::DestroyWindow(tip_);
}

void Win32Tips::WatchText(HWND field, bool subclass) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | (subclass ? TTF_SUBCLASS : 0);
  tool.hwnd = ::GetParent(field);
  tool.uId = reinterpret_cast<UINT_PTR>(field);
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  ::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Tips::WatchList(Win32ListBox& list) {
  lists_[list.Window()] = &list;
  hovered_[list.Window()] = -1;
  WatchText(list.Window(), false);
}

void Win32Tips::OnListMouse(const MSG& message) {
  auto found = lists_.find(message.hwnd);
  if (found == lists_.end()) return;
  ::SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
  if (message.message != WM_MOUSEMOVE) return;
  const POINT at{static_cast<short>(LOWORD(message.lParam)),
                 static_cast<short>(HIWORD(message.lParam))};
  const int index = found->second->ItemAt(at);
  if (hovered_[message.hwnd] == index) return;
  hovered_[message.hwnd] = index;
  // The tip for the item left goes; the next one asks for its text again.
  ::SendMessageW(tip_, TTM_POP, 0, 0);
}

bool Win32Tips::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != tip_) return false;
  if (header.code == TTN_GETDISPINFOW) {
    auto& info = *reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(&header));
    auto tool = reinterpret_cast<HWND>(info.hdr.idFrom);
    shown_ = TextFor(tool, CursorIn(tool));
    info.lpszText = shown_.data();
    info.hinst = nullptr;
  }
  return true;
}

std::wstring Win32Tips::TextFor(HWND tool, POINT at) const {
  auto list = lists_.find(tool);
  if (list == lists_.end()) return FieldText(tool);
  const int index = list->second->ItemAt(at);
  return index < 0 ? std::wstring() : PictureText(*list->second, index);
}

std::wstring Win32Tips::FieldText(HWND field) const {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(field)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
  if (text.empty()) return text;
  RECT room;
  ::GetClientRect(field, &room);
  // What the edit control keeps free around its text.
  RECT format{};
  ::SendMessageW(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  if (format.right > format.left) room = format;
  HDC dc = ::GetDC(field);
  HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(field, WM_GETFONT, 0, 0)));
  RECT needed{0, 0, 0, 0};
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX);
  ::SelectObject(dc, old);
  ::ReleaseDC(field, dc);
  const bool clipped = needed.right - needed.left > room.right - room.left ||
                       needed.bottom - needed.top > room.bottom - room.top;
  return clipped ? text : std::wstring();
}

std::wstring Win32Tips::PictureText(const Win32ListBox& list, int index) const {
  const std::string name = list.ItemText(index);
  std::wstring text = WideFromCp1252(name);
  const auto file = ResolveMediaFile(os_, paths_, name);
  if (!file) {
    text += L"\r\nnot in the media folder";
  } else {
    const PictureHeader header = ReadPictureHeader(os_, *file);
    if (header.Shown())
      text += L"\r\n" + std::to_wstring(header.Width()) + L" x " +
              std::to_wstring(header.Height()) + L" pixels";
    else
      text += L"\r\n" + WideFromCp1252(PictureProblemText(header));
  }
  if (auto why = list.EmphasisTip(index)) text += L"\r\n" + WideFromCp1252(*why);
  return text;
}

}  // namespace qvm
