#include "app/win32/Win32Tips.h"

#include <algorithm>

#include "app/win32/WideText.h"
#include "images/ExifOrientation.h"
#include "images/MediaFile.h"
#include "images/PictureHeader.h"

namespace qvm {
namespace {

// Wide enough for the longest key on one line; longer texts wrap only at their own line ends.
constexpr int kMaxTipWidth = 1000;
// Largest side of a tip's picture, and the room around it, in pixels.
constexpr int kThumbnailSide = 128;
constexpr int kTipMargin = 4;

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
  SetPicture(nullptr);
  if (::IsWindow(tip_)) ::DestroyWindow(tip_);
}

void Win32Tips::SetPicture(HBITMAP picture) {
  if (picture_) ::DeleteObject(picture_);
  picture_ = picture;
  pictureSize_ = {};
  BITMAP info{};
  if (picture_ && ::GetObjectW(picture_, sizeof(info), &info))
    pictureSize_ = {info.bmWidth, info.bmHeight};
  // Room above the text for the picture.
  RECT margin{kTipMargin, picture_ ? pictureSize_.cy + 2 * kTipMargin : 0, kTipMargin, 0};
  ::SendMessageW(tip_, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
}

HBITMAP Win32Tips::PictureFor(const Win32ListBox& list, int index) {
  const std::string name = list.ItemText(index);
  if (!maker_ || name.empty()) {
    SetPicture(nullptr);
    pictureName_.clear();
    return nullptr;
  }
  if (name != pictureName_) {
    pictureName_ = name;
    const auto file = ResolveMediaFile(os_, paths_, name);
    SetPicture(file ? maker_(*file, kThumbnailSide) : nullptr);
  }
  return picture_;
}

LRESULT Win32Tips::CustomDraw(const NMTTCUSTOMDRAW& draw) {
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
    return picture_ ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
  if (draw.nmcd.dwDrawStage != CDDS_POSTPAINT || !picture_) return CDRF_DODEFAULT;
  HDC source = ::CreateCompatibleDC(draw.nmcd.hdc);
  HGDIOBJ old = ::SelectObject(source, picture_);
  ::BitBlt(draw.nmcd.hdc, draw.nmcd.rc.left + kTipMargin, draw.nmcd.rc.top + kTipMargin,
           pictureSize_.cx, pictureSize_.cy, source, 0, 0, SRCCOPY);
  ::SelectObject(source, old);
  ::DeleteDC(source);
  return CDRF_DODEFAULT;
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

bool Win32Tips::OnNotify(const NMHDR& header, LRESULT* result) {
  if (header.hwndFrom != tip_) return false;
  *result = 0;
  switch (header.code) {
    case TTN_GETDISPINFOW: {
      auto& info = *reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(&header));
      auto tool = reinterpret_cast<HWND>(info.hdr.idFrom);
      const POINT at = CursorIn(tool);
      shown_ = TextFor(tool, at);
      auto list = lists_.find(tool);
      const int index = list == lists_.end() ? -1 : list->second->ItemAt(at);
      if (index >= 0) {
        PictureFor(*list->second, index);
      } else {
        SetPicture(nullptr);
        pictureName_.clear();
      }
      info.lpszText = shown_.data();
      info.hinst = nullptr;
      break;
    }
    case TTN_SHOW: {
      if (!picture_) break;
      // At least as wide as the picture.
      RECT window;
      ::GetWindowRect(tip_, &window);
      RECT client{0, 0, pictureSize_.cx + 2 * kTipMargin, 0};
      ::SendMessageW(tip_, TTM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&client));
      const int width = std::max<LONG>(window.right - window.left, client.right - client.left);
      ::SetWindowPos(tip_, nullptr, window.left, window.top, width, window.bottom - window.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      *result = TRUE;
      break;
    }
    case NM_CUSTOMDRAW:
      *result = CustomDraw(*reinterpret_cast<const NMTTCUSTOMDRAW*>(&header));
      break;
    default:
      break;
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
    if (const std::string note = TurnedPictureNote(header.orientation); !note.empty())
      text += L"\r\n" + WideFromCp1252(note);
  }
  if (auto why = list.EmphasisTip(index)) text += L"\r\n" + WideFromCp1252(*why);
  return text;
}

}  // namespace qvm
