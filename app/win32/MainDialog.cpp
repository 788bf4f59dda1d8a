#include "app/win32/MainDialog.h"

#include <windowsx.h>

#include <cwctype>
#include <optional>
#include <string>

#include "app/ImageOperations.h"
#include "app/Selection.h"
#include "app/Startup.h"
#include "app/StrayList.h"
#include "app/win32/DialogTemplate.h"
#include "app/win32/UndoCommands.h"
#include "app/win32/WideText.h"
#include "codec/PictureCodecs.h"
#include "images/PictureEdits.h"
#include "images/StrayImages.h"
#include "platform/PathText.h"

namespace qvm {
namespace {

struct ControlSpec {
  int id;
  const wchar_t* className;
  const wchar_t* text;
  int x, y, w, h;  // dialog units
  DWORD style;
  DWORD exStyle;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kList = kChild | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT |
                        LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | LBS_EXTENDEDSEL;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kLabel = kChild | SS_LEFT;
constexpr DWORD kReadOnlyLines = kChild | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL |
                                 ES_AUTOHSCROLL | ES_READONLY | ES_WANTRETURN;
constexpr DWORD kLine = kChild | WS_TABSTOP | ES_AUTOHSCROLL;

// In the order of creation, which is also the tab order and the z-order. The stray list alone
// draws its items itself: its pictures named after the selected record are shown in bold.
constexpr ControlSpec kControls[] = {
    {id::kItemsTree, WC_TREEVIEWW, L"Items", 3, 4, 150, 326,
     kChild | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
         TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS | TVS_TRACKSELECT,
     0},
    {id::kMembersList, L"LISTBOX", L"", 165, 42, 125, 85, kList, WS_EX_CLIENTEDGE},
    {id::kRecordText, L"EDIT", L"Control", 165, 14, 124, 11,
     kChild | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY, WS_EX_CLIENTEDGE},
    {id::kImagesList, L"LISTBOX", L"", 165, 144, 125, 52, kList, WS_EX_CLIENTEDGE},
    {id::kAddImagesButton, L"BUTTON", L"&Add Image(s) From MEDIA folder", 165, 198, 125, 15,
     kButton, 0},
    {id::kIndexLineText, L"EDIT", L"", 167, 313, 206, 17, kReadOnlyLines, 0},
    {id::kMembersLabel, L"STATIC", L"&Members", 167, 32, 100, 10, kLabel, 0},
    {id::kRecordLabel, L"STATIC", L"&Record You're Editing", 167, 4, 100, 10, kLabel, 0},
    {id::kImagesLabel, L"STATIC", L"&Images For Selection", 167, 134, 100, 10, kLabel, 0},
    {id::kIndexLineLabel, L"STATIC", L"&Current Selection As It Will Appear in INDEX.DAT", 167, 302,
     163, 10, kLabel, 0},
    {id::kExitButton, L"BUTTON", L"E&xit", 420, 310, 75, 20, kButton, 0},
    {id::kImageInfoText, L"EDIT", L"", 300, 242, 206, 55, kReadOnlyLines, 0},
    {id::kStrayLabel, L"STATIC", L"&Stray Images In MEDIA Folder", 167, 220, 100, 10, kLabel, 0},
    {id::kStrayList, L"LISTBOX", L"", 165, 229, 125, 52, kList | LBS_OWNERDRAWFIXED,
     WS_EX_CLIENTEDGE},
    {id::kRefreshButton, L"BUTTON", L"&Refresh Files", 165, 283, 125, 15, kButton, 0},
    {id::kMatchText, L"EDIT", L"", 166, 72, 115, 15, kLine, WS_EX_CLIENTEDGE},
    {id::kShowText, L"EDIT", L"", 166, 42, 115, 15, kLine, WS_EX_CLIENTEDGE},
    {id::kShowLabel, L"STATIC", L"S&how", 166, 30, 100, 10, kLabel, 0},
    {id::kMatchLabel, L"STATIC", L"M&atch", 166, 61, 100, 10, kLabel, 0},
    {id::kSaveChangesButton, L"BUTTON", L"Sa&ve Changes", 166, 91, 125, 15, kButton, 0},
};

// A label's mnemonic moves the focus to the control it names.
constexpr std::pair<int, int> kBuddies[] = {
    {id::kMembersLabel, id::kMembersList}, {id::kRecordLabel, id::kRecordText},
    {id::kImagesLabel, id::kImagesList},   {id::kIndexLineLabel, id::kIndexLineText},
    {id::kStrayLabel, id::kStrayList},     {id::kShowLabel, id::kShowText},
    {id::kMatchLabel, id::kMatchText},
};

// The find field over the tree; no control of the layout.
constexpr int kFindFieldId = 1100;
constexpr int kFindFieldHeight = 12;  // dialog units

// The window and the preview area, in dialog units.
constexpr short kWindowX = 287, kWindowY = 106, kWindowW = 508, kWindowH = 350;
constexpr int kPreviewX = 297, kPreviewY = 5, kPreviewW = 200, kPreviewH = 230;
constexpr int kOpenGfxFlags = 2048;
constexpr int kGfxWindowValue = 5;
constexpr int kIconId = 102;

RECT DialogRect(HWND dialog, int x, int y, int w, int h) {
  RECT rect{x, y, x + w, y + h};
  ::MapDialogRect(dialog, &rect);
  return rect;
}

wchar_t Mnemonic(const wchar_t* text) {
  for (const wchar_t* c = text; *c; ++c)
    if (c[0] == L'&' && c[1] && c[1] != L'&') return static_cast<wchar_t>(std::towupper(c[1]));
  return 0;
}

}  // namespace

MainDialog::MainDialog(Os& os, const GamePaths& paths, GameDatabase& db) : MainDialog(os) {
  ShowGame(paths, db);
}

MainDialog::MainDialog(Os& os) : os_(os) {
  const std::wstring title = WideFromCp1252(ProgramTitle());
  const std::vector<DWORD> dialogTemplate =
      DialogTemplate({.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                               DS_SETFONT | DS_3DLOOK | DS_NOFAILCREATE,
                      .exStyle = 0,
                      .x = kWindowX,
                      .y = kWindowY,
                      .cx = kWindowW,
                      .cy = kWindowH,
                      .title = title,
                      .pointSize = 8,
                      .typeface = L"MS Sans Serif"});
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  dialog_ = ::CreateDialogIndirectParamW(instance,
                                         reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
                                         nullptr, DialogProc, reinterpret_cast<LPARAM>(this));

  for (auto [size, which] : {std::pair{32, ICON_BIG}, std::pair{16, ICON_SMALL}}) {
    HANDLE icon = ::LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, size, size, 0);
    if (icon) ::SendMessageW(dialog_, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }

  CreateControls();
  fileDialog_.SetOwner(dialog_);
  codec_ = MakePictureCodec();  // crops, upright copies, JPEG copies
  preview_ = std::make_unique<PreviewLibrary>(dialog_, os, kDecodeDoneMessage);
}

void MainDialog::ShowGame(const GamePaths& paths, GameDatabase& db) {
  Os& os = os_;
  wizard_.reset(new Wizard{.os = os, .paths = paths, .db = db, .c = {}, .currentName = {}});
  Wizard& w = *wizard_;
  w.c.itemsTree = tree_;
  w.c.membersList = &List(id::kMembersList);
  w.c.recordText = ControlById(id::kRecordText);
  w.c.imagesList = &List(id::kImagesList);
  w.c.addImagesButton = ControlById(id::kAddImagesButton);
  w.c.indexLineText = ControlById(id::kIndexLineText);
  w.c.imageInfoText = ControlById(id::kImageInfoText);
  w.c.strayList = &List(id::kStrayList);
  w.c.showText = ControlById(id::kShowText);
  w.c.matchText = ControlById(id::kMatchText);
  w.c.host = this;
  w.c.messages = &messages_;
  w.c.fileDialog = &fileDialog_;
  w.c.codec = codec_.get();

  // The preview area, placed in pixels.
  w.c.imaging = preview_.get();
  const RECT area = DialogRect(dialog_, kPreviewX, kPreviewY, kPreviewW, kPreviewH);
  w.previewWidth = area.right - area.left;
  w.previewHeight = area.bottom - area.top;
  preview_->OpenGfx(area.left, area.top, w.previewWidth, w.previewHeight, kOpenGfxFlags);
  preview_->GfxWindow(kGfxWindowValue);

  // The view inserts a branch's nodes when it is first opened.
  ShowCategoryTree(w);

  find_ = std::make_unique<FindField>(windows_.at(kFindFieldId), *tree_, w.tree);
  bulk_ = std::make_unique<Win32BulkCommands>(dialog_, w, *tree_, ControlWindow(id::kStrayList),
                                               ControlWindow(id::kImagesList));
  tips_ = std::make_unique<Win32Tips>(dialog_, os, paths);
  for (int field : {id::kRecordText, id::kIndexLineText, id::kImageInfoText})
    tips_->WatchText(ControlWindow(field));
  tips_->SetPictureMaker([&os](const std::filesystem::path& file, int maxSide) {
    return SmallPicture(os, file, maxSide);
  });
  tips_->WatchList(List(id::kImagesList));
  tips_->WatchList(List(id::kStrayList));

  // Our procedure before each list's own: the images list's Delete key and dropped files, and
  // the mouse for the picture tips.
  for (int list : {id::kMembersList, id::kImagesList, id::kStrayList}) {
    HWND window = ControlWindow(list);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    listProcs_[window] = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
  }
  ::DragAcceptFiles(ControlWindow(id::kImagesList), TRUE);

  w.c.addImagesButton->SetEnabled(false);
  HideControl(w, id::kShowText);
  HideControl(w, id::kMatchText);

  ScanStrayImages(w);
  // Every change from here on can be taken back.
  w.undo.Listen(db.imageIndex);
  ready_ = true;
}

MainDialog::~MainDialog() {
  if (dialog_) ::DestroyWindow(dialog_);
  if (boldFont_) ::DeleteObject(boldFont_);
}

void MainDialog::CreateControls() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  auto font = reinterpret_cast<HFONT>(::SendMessageW(dialog_, WM_GETFONT, 0, 0));
  LOGFONTW bold{};
  if (font && ::GetObjectW(font, sizeof(bold), &bold)) {
    bold.lfWeight = FW_BOLD;
    boldFont_ = ::CreateFontIndirectW(&bold);
  }
  auto create = [&](int id, const wchar_t* className, const wchar_t* text, RECT at, DWORD style,
                    DWORD exStyle) {
    HWND window = ::CreateWindowExW(
        exStyle, className, text, style, at.left, at.top, at.right - at.left, at.bottom - at.top,
        dialog_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    windows_[id] = window;
    return window;
  };
  for (const ControlSpec& spec : kControls) {
    HWND window =
        create(spec.id, spec.className, spec.text,
               DialogRect(dialog_, spec.x, spec.y, spec.w, spec.h), spec.style, spec.exStyle);
    std::unique_ptr<Control> control;
    if (spec.id == id::kItemsTree) {
      auto tree = std::make_unique<Win32TreeView>(window);
      tree_ = tree.get();
      control = std::move(tree);
    } else if (std::wstring_view(spec.className) == L"LISTBOX") {
      control = std::make_unique<Win32ListBox>(window);
    } else {
      control = std::make_unique<Win32Control>(window);
    }
    controls_[spec.id] = std::move(control);
  }
  // The stray list's items are as high as the font's lines.
  if (HDC dc = ::GetDC(dialog_)) {
    HGDIOBJ old = ::SelectObject(dc, boldFont_ ? boldFont_ : font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(dialog_, dc);
    ::SendMessageW(ControlWindow(id::kStrayList), LB_SETITEMHEIGHT, 0, metrics.tmHeight);
  }
  // Hidden until Ctrl+F or F3; over the bottom of the tree when shown.
  RECT tree = DialogRect(dialog_, 3, 4, 150, 326);
  RECT field = DialogRect(dialog_, 0, 0, 0, kFindFieldHeight);
  tree.top = tree.bottom - (field.bottom - field.top);
  create(kFindFieldId, L"EDIT", L"", tree, WS_CHILD | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0);
}

Control* MainDialog::ControlById(int controlId) {
  auto found = controls_.find(controlId);
  return found == controls_.end() ? nullptr : found->second.get();
}

HWND MainDialog::ControlWindow(int controlId) const {
  auto found = windows_.find(controlId);
  return found == windows_.end() ? nullptr : found->second;
}

Win32ListBox& MainDialog::List(int controlId) {
  return static_cast<Win32ListBox&>(*controls_.at(controlId));
}

void MainDialog::Dispatch(MessageKind kind, int controlId, int code) {
  if (!ready_ || Closed()) return;
  if (observer_) observer_(kind, controlId, code);
  if (HandleEvent(*wizard_, kind, controlId, code) == Operation::CloseWindow) Close();
}

void MainDialog::Close() {
  if (Closed()) return;
  // The lists get their own procedures back before the window goes.
  for (auto [window, proc] : listProcs_) {
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  }
  listProcs_.clear();
  ::DestroyWindow(dialog_);
}

void MainDialog::Run() {
  ::ShowWindow(dialog_, SW_SHOW);
  ::SetForegroundWindow(dialog_);
  MSG message;
  while (!Closed()) {
    if (onFirstPaint_ && painted_ && !::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      auto done = std::move(onFirstPaint_);
      onFirstPaint_ = nullptr;
      done();
    }
    if (::GetMessageW(&message, nullptr, 0, 0) <= 0) break;
    Process(message);
  }
}

void MainDialog::Process(MSG& message) {
  if (!Closed() && OwnKey(message)) return;
  if (!Closed() && ::IsDialogMessageW(dialog_, &message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

bool MainDialog::OwnKey(const MSG& message) {
  if (message.hwnd != dialog_ && !::IsChild(dialog_, message.hwnd)) return false;
  if (OnUndoKey(*wizard_, message)) return true;
  if (bulk_->OwnKey(message)) return true;
  const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
  const bool shift = ::GetKeyState(VK_SHIFT) < 0;
  if (message.message == WM_KEYDOWN && message.wParam == 'F' && ctrl) {
    find_->Open();
    return true;
  }
  if (message.message == WM_KEYDOWN && message.wParam == 'K' && ctrl) {
    StartCrop();
    return true;
  }
  if (message.message == WM_KEYDOWN && message.wParam == VK_F3) {
    // Opens the field with what was looked for last, and goes on looking for it.
    if (!find_->IsOpen()) find_->Open();
    if (::GetWindowTextLengthW(find_->Field()) > 0) find_->Search(true, shift);
    return true;
  }
  if (message.message != WM_SYSCHAR) return false;
  // A label's mnemonic goes to the control it names. Where buttons share the letter, the
  // dialog's own handling moves between them all.
  const auto letter = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(message.wParam)));
  std::vector<HWND> targets;
  bool buttons = false;
  for (const ControlSpec& spec : kControls) {
    if (Mnemonic(spec.text) != letter) continue;
    int target = spec.id;
    for (auto [label, buddy] : kBuddies)
      if (label == spec.id) target = buddy;
    HWND window = ControlWindow(target);
    if (!::IsWindowVisible(window) || !::IsWindowEnabled(window)) continue;
    buttons = buttons || target == spec.id;
    targets.push_back(window);
  }
  if (targets.empty() || (buttons && targets.size() == 1)) return false;
  // Several controls answer the letter: the focus moves to the next of them.
  std::size_t next = 0;
  for (std::size_t i = 0; i < targets.size(); ++i)
    if (targets[i] == ::GetFocus()) next = (i + 1) % targets.size();
  ::SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(targets[next]), TRUE);
  return true;
}

void MainDialog::OnDropFiles(HDROP drop) {
  std::vector<std::filesystem::path> files;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring name(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    name.resize(::DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
    files.emplace_back(name);
  }
  ::DragFinish(drop);
  if (!AcceptsDroppedFiles(*wizard_, files)) return;
  dropped_ = std::move(files);
  // After the drop has ended: a message must not keep the dragging program waiting.
  ::PostMessageW(dialog_, kAttachDroppedMessage, 0, 0);
}

INT_PTR CALLBACK MainDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return FALSE;
  }
  auto* self = reinterpret_cast<MainDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self) return FALSE;
  if (message == WM_NCDESTROY) {
    self->dialog_ = nullptr;
    return FALSE;
  }
  return self->OnMessage(message, wParam, lParam);
}

INT_PTR MainDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int control = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (control == kFindFieldId) {
        if (code == EN_CHANGE) find_->Search(false, false);
        return TRUE;
      }
      // Enter and Escape in the find field; elsewhere they do nothing.
      if ((control == IDOK || control == IDCANCEL) && ::GetFocus() == find_->Field()) {
        if (control == IDOK)
          find_->Search(true, ::GetKeyState(VK_SHIFT) < 0);
        else
          find_->Close();
        return TRUE;
      }
      if ((code == LBN_SELCHANGE || code == LBN_DBLCLK) &&
          (control == id::kMembersList || control == id::kImagesList || control == id::kStrayList))
        List(control).UserActed();
      Dispatch(MessageKind::Command, control, code);
      return FALSE;
    }
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      if (LRESULT answer = 0; (tips_ && tips_->OnNotify(header, &answer)) ||
                              (tree_ && tree_->OnNotify(lParam, &answer))) {
        ::SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, answer);
        return TRUE;
      }
      if (tree_ && header.hwndFrom == tree_->Window()) {
        if (header.code == TVN_ITEMEXPANDINGW)
          tree_->OnItemExpanding(*reinterpret_cast<const NMTREEVIEWW*>(lParam));
        // Every notification of the tree reaches the selection, which filters repeats.
        Dispatch(MessageKind::Notify, LOWORD(wParam), 0);
      }
      return FALSE;
    }
    case WM_MEASUREITEM: {
      auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (item.CtlID != static_cast<UINT>(id::kStrayList)) return FALSE;
      const RECT line = DialogRect(dialog_, 0, 0, 0, 8);
      item.itemHeight = static_cast<UINT>(line.bottom - line.top);
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlID != static_cast<UINT>(id::kStrayList) || !controls_.count(id::kStrayList))
        return FALSE;
      List(id::kStrayList).DrawItem(item, boldFont_);
      return TRUE;
    }
    case WM_CTLCOLOREDIT:
      if (find_ && reinterpret_cast<HWND>(lParam) == find_->Field() && find_->NotFound()) {
        static HBRUSH notFound = ::CreateSolidBrush(RGB(255, 200, 200));
        ::SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 200, 200));
        return reinterpret_cast<INT_PTR>(notFound);
      }
      return FALSE;
    case WM_PAINT: {
      if (!preview_) return FALSE;
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(dialog_, &paint);
      preview_->Paint(dc);
      ::EndPaint(dialog_, &paint);
      painted_ = true;
      return TRUE;
    }
    case kListRedrawMessage:
      for (int list : {id::kMembersList, id::kImagesList, id::kStrayList})
        if (ControlWindow(list) == reinterpret_cast<HWND>(lParam)) List(list).ResumeRedraw();
      return TRUE;
    case WM_CONTEXTMENU: {
      const auto target = reinterpret_cast<HWND>(wParam);
      const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      // The tree's, the stray list's and the images list's menus; elsewhere the preview's, when
      // over it.
      if (bulk_ && bulk_->OnContextMenu(target, lParam)) return TRUE;
      return ShowPreviewMenu(at) ? TRUE : FALSE;
    }
    case kCropEndedMessage:
      crop_.reset();
      return TRUE;
    case kDecodeDoneMessage:
      if (preview_) preview_->DecodeFinished();
      return TRUE;
    case kAttachDroppedMessage: {
      std::vector<std::filesystem::path> files = std::move(dropped_);
      dropped_.clear();
      if (!files.empty()) AttachDroppedFiles(*wizard_, files);
      return TRUE;
    }
    case WM_SYSCOMMAND:
      return bulk_ && bulk_->OnSysCommand(wParam);
    case WM_CLOSE:
      // The close box, the system menu's Close and Alt+F4 end the window as Exit does.
      Close();
      return TRUE;
    default:
      return FALSE;
  }
}

LRESULT CALLBACK MainDialog::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  // The owner in the window's own data, not a window property: a property is a look-up in
  // the system for each of the thousands of messages that filling a list sends.
  auto* self = reinterpret_cast<MainDialog*>(::GetWindowLongPtrW(list, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(list, message, wParam, lParam);
  return self->OnListMessage(list, message, wParam, lParam);
}

LRESULT MainDialog::OnListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC own = listProcs_.at(list);
  const bool images = list == ControlWindow(id::kImagesList);
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      tips_->OnListMouse(MSG{list, message, wParam, lParam, 0, {}});
      break;
    case WM_LBUTTONDOWN:
    case WM_KEYDOWN:
      if (message == WM_LBUTTONDOWN) tips_->OnListMouse(MSG{list, message, wParam, lParam, 0, {}});
      // Whatever the user does in a list makes its focus item the current one.
      for (int id : {id::kMembersList, id::kImagesList, id::kStrayList})
        if (ControlWindow(id) == list) List(id).UserActed();
      // The Delete key acts on its release, once, and only after a press the list saw: never
      // while it is held down (the repeats carry bit 30).
      if (images && message == WM_KEYDOWN && wParam == VK_DELETE && !(lParam & (1 << 30)))
        deletePressed_ = true;
      break;
    case WM_KILLFOCUS:
      if (images) deletePressed_ = false;
      break;
    case WM_KEYUP:
      if (images && deletePressed_ && LOWORD(wParam) == VK_DELETE) {
        deletePressed_ = false;
        OnImagesListKeyUp(*wizard_, kDeleteKey);
        // The question may have ended the run of the window.
        if (!::IsWindow(list)) return 0;
      }
      break;
    case WM_DROPFILES:
      if (images) {
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
      }
      break;
    default:
      break;
  }
  return ::CallWindowProcW(own, list, message, wParam, lParam);
}

void RunMainWindow(Os& os, const GamePaths& paths, GameDatabase& db) {
  MainDialog window(os, paths, db);
  window.Run();
}

MainWindowRun MakeMainWindow(Os& os, std::function<void(MainDialog& window)> run) {
  auto window = std::make_shared<MainDialog>(os);
  return [window, run = std::move(run)](const GamePaths& paths, GameDatabase& db) {
    window->ShowGame(paths, db);
    if (run) {
      run(*window);
    } else {
      window->Run();
    }
  };
}

}  // namespace qvm
