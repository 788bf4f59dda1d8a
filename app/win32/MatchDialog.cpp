#include "app/win32/MatchDialog.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/Startup.h"
#include "app/win32/DialogTemplate.h"
#include "app/win32/WideText.h"
#include "app/win32/imaging/Win32Imaging.h"
#include "images/MediaFile.h"

namespace qvm {
namespace {

constexpr UINT kPicturesMadeMessage = WM_APP + 20;
constexpr UINT kOpenedMessage = WM_APP + 21;
constexpr std::size_t kPictureSlots = 256;
constexpr int kSide = Win32MatchDialog::kPictureSide;

// The dialog and its controls, in dialog units.
constexpr short kDialogW = 440, kDialogH = 262;
constexpr int kColumnWidths[kMatchColumnCount] = {125, 90, 40, 110, 50};  // dialog units

Win32MatchDialog::OpenedHook& Opened() {
  static Win32MatchDialog::OpenedHook hook;
  return hook;
}

// A 32-bit top-down DIB section of width x height, transparent; its pixels in `bits`.
HBITMAP NewBitmap(int width, int height, std::uint32_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (bitmap && pixels) std::memset(pixels, 0, static_cast<std::size_t>(width) * height * 4);
  *bits = static_cast<std::uint32_t*>(pixels);
  return bitmap;
}

// The small picture (a top-down 32-bit DIB section of at most the side either way) centred on
// a transparent square, so that every row's text starts at the same place. Safe on any thread.
OwnedBitmap Squared(OwnedBitmap small) {
  DIBSECTION section{};
  if (!small || ::GetObjectW(small.get(), sizeof(section), &section) != sizeof(section) ||
      section.dsBm.bmBitsPixel != 32 || !section.dsBm.bmBits)
    return {};
  const int width = std::min<int>(section.dsBm.bmWidth, kSide);
  const int height = std::min<int>(std::abs(section.dsBm.bmHeight), kSide);
  std::uint32_t* square = nullptr;
  OwnedBitmap out(NewBitmap(kSide, kSide, &square));
  if (!out || !square) return {};
  const auto* from = static_cast<const std::uint8_t*>(section.dsBm.bmBits);
  const int left = (kSide - width) / 2, top = (kSide - height) / 2;
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(from + y * section.dsBm.bmWidthBytes);
    for (int x = 0; x < width; ++x) square[(top + y) * kSide + left + x] = row[x] | 0xFF000000;
  }
  return out;
}

// The image list: slot 0 blank for rows whose picture is not there (yet), then one per kept
// picture, blank until one takes it.
HIMAGELIST NewImageList() {
  constexpr int count = static_cast<int>(kPictureSlots) + 1;
  HIMAGELIST images = ::ImageList_Create(kSide, kSide, ILC_COLOR32, count, 0);
  std::uint32_t* bits = nullptr;
  OwnedBitmap strip(NewBitmap(kSide * count, kSide, &bits));
  if (images && strip) ::ImageList_Add(images, strip.get(), nullptr);
  return images;
}

}  // namespace

Win32MatchDialog::Win32MatchDialog(HWND owner, Os& os, const GamePaths& paths)
    : owner_(owner), os_(os), paths_(paths) {}

void Win32MatchDialog::SetOpenedHook(OpenedHook opened) { Opened() = std::move(opened); }

bool Win32MatchDialog::Choose(MatchList& list) {
  list_ = &list;
  const std::wstring title = WideFromCp1252(ProgramTitle());
  const std::vector<DWORD> dialogTemplate = DialogTemplate(
      {.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK |
                DS_CENTER,
       .exStyle = 0,
       .x = 0,
       .y = 0,
       .cx = kDialogW,
       .cy = kDialogH,
       .title = title,
       .pointSize = 8,
       .typeface = L"MS Sans Serif"});
  const INT_PTR answer = ::DialogBoxIndirectParamW(
      ::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
      owner_, DialogProc, reinterpret_cast<LPARAM>(this));
  list_ = nullptr;
  return answer == IDOK;
}

INT_PTR CALLBACK Win32MatchDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<Win32MatchDialog*>(lParam);
    self->dialog_ = dialog;
    self->Create();
    ::PostMessageW(dialog, kOpenedMessage, 0, 0);
    return FALSE;  // the focus is set on the list
  }
  auto* self = reinterpret_cast<Win32MatchDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  return self ? self->OnMessage(message, wParam, lParam) : FALSE;
}

void Win32MatchDialog::Create() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const auto font = static_cast<WPARAM>(::SendMessageW(dialog_, WM_GETFONT, 0, 0));
  auto create = [&](int id, const wchar_t* className, const std::wstring& text, RECT at,
                    DWORD style, DWORD exStyle) {
    ::MapDialogRect(dialog_, &at);
    HWND window = ::CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                    at.left, at.top, at.right - at.left, at.bottom - at.top,
                                    dialog_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                    instance, nullptr);
    ::SendMessageW(window, WM_SETFONT, font, FALSE);
    return window;
  };
  create(kSummaryId, L"STATIC", WideFromCp1252(MatchSummary(*list_)), RECT{7, 7, 433, 17},
         SS_LEFT, 0);
  view_ = create(kListId, WC_LISTVIEWW, L"", RECT{7, 20, 433, 234},
                 WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
                     LVS_SHOWSELALWAYS,
                 WS_EX_CLIENTEDGE);
  create(IDOK, L"BUTTON", WideFromCp1252(kAttachCheckedButton), RECT{300, 240, 370, 255},
         WS_TABSTOP | BS_DEFPUSHBUTTON, 0);
  create(IDCANCEL, L"BUTTON", WideFromCp1252(kCancelButton), RECT{376, 240, 433, 255},
         WS_TABSTOP | BS_PUSHBUTTON, 0);

  ::SendMessageW(view_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  // The check boxes are state images the view asks for, as it asks for everything else.
  ::SendMessageW(view_, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
  images_ = NewImageList();
  ::SendMessageW(view_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
  for (int column = 0; column < kMatchColumnCount; ++column) {
    RECT width{0, 0, kColumnWidths[column], 0};
    ::MapDialogRect(dialog_, &width);
    const std::wstring title = WideFromCp1252(MatchColumnTitle(static_cast<MatchColumn>(column)));
    LVCOLUMNW spec{};
    spec.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    spec.cx = width.right;
    spec.pszText = const_cast<wchar_t*>(title.c_str());
    spec.iSubItem = column;
    ::SendMessageW(view_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&spec));
  }
  pictures_ = std::make_unique<SmallPictures<OwnedBitmap>>(
      [&os = os_, &paths = paths_](const std::string& name) {
        const auto file = ResolveMediaFile(os, paths, name);
        return file ? Squared(OwnedBitmap(SmallPicture(os, *file, kSide))) : OwnedBitmap();
      },
      [dialog = dialog_] { ::PostMessageW(dialog, kPicturesMadeMessage, 0, 0); }, kPictureSlots);
  ::SendMessageW(view_, LVM_SETITEMCOUNT, list_->Count(), 0);
  LVITEMW first{};
  first.stateMask = first.state = LVIS_FOCUSED | LVIS_SELECTED;
  if (list_->Count() > 0) ::SendMessageW(view_, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
  ::SetFocus(view_);
}

INT_PTR Win32MatchDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY:
      if (LRESULT answer = 0; OnNotify(lParam, &answer)) {
        ::SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, answer);
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(dialog_, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case kPicturesMadeMessage:
      ShowPictures();
      return TRUE;
    case kOpenedMessage:
      if (Opened()) Opened()(dialog_);
      return TRUE;
    case WM_DESTROY:
      pictures_.reset();  // the worker stops before the dialog goes
      if (images_) ::ImageList_Destroy(images_);
      images_ = nullptr;
      dialog_ = view_ = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

bool Win32MatchDialog::OnNotify(LPARAM lParam, LRESULT* result) {
  const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
  if (header.hwndFrom != view_ || !list_) return false;
  *result = 0;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
      const auto column = static_cast<MatchColumn>(item.iSubItem);
      if (item.mask & LVIF_TEXT)
        CopyToBuffer(WideFromCp1252(list_->Text(item.iItem, column)), item.pszText,
                     item.cchTextMax);
      if ((item.mask & LVIF_IMAGE) && column == MatchColumn::Picture) {
        const auto found = pictures_->Find(item.iItem, list_->Text(item.iItem, column));
        item.iImage = found && *found->picture ? static_cast<int>(found->slot) + 1 : 0;
      }
      if (item.mask & LVIF_STATE) {
        item.state = INDEXTOSTATEIMAGEMASK(list_->Checked(item.iItem) ? 2 : 1);
        item.stateMask |= LVIS_STATEIMAGEMASK;
      }
      return true;
    }
    case NM_CLICK: {
      // A click on a row's check box toggles it.
      LVHITTESTINFO hit{};
      hit.pt = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->ptAction;
      ::SendMessageW(view_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.iItem >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) Toggle(hit.iItem);
      return true;
    }
    case LVN_KEYDOWN:
      if (reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == VK_SPACE)
        Toggle(static_cast<int>(::SendMessageW(view_, LVM_GETNEXTITEM, -1, LVNI_FOCUSED)));
      return true;
    default:
      return false;
  }
}

void Win32MatchDialog::Toggle(int row) {
  if (row < 0 || row >= list_->Count()) return;
  list_->SetChecked(row, !list_->Checked(row));
  ::SendMessageW(view_, LVM_REDRAWITEMS, row, row);
  ::SetDlgItemTextW(dialog_, kSummaryId, WideFromCp1252(MatchSummary(*list_)).c_str());
}

void Win32MatchDialog::ShowPictures() {
  if (!pictures_ || !list_) return;
  for (int row : pictures_->Collect()) {
    const auto found = pictures_->Find(row, list_->Text(row, MatchColumn::Picture));
    if (!found || !*found->picture) continue;
    ::ImageList_Replace(images_, static_cast<int>(found->slot) + 1, found->picture->get(),
                        nullptr);
    ::SendMessageW(view_, LVM_REDRAWITEMS, row, row);
  }
}

}  // namespace qvm
