#include "app/win32/CropWindow.h"

#include <windowsx.h>

namespace qvm {
namespace {

constexpr wchar_t kClass[] = L"QvmCropFrame";
// Posted to itself: the crop ends outside the message that ended it (a focus change).
constexpr UINT kEndMessage = WM_APP + 40;

// A pixel of the picture left out of the crop: darker.
std::uint32_t Dimmed(std::uint32_t p) {
  const auto part = [p](int shift) { return ((p >> shift) & 0xFF) * 2 / 5 << shift; };
  return 0xFF000000u | part(16) | part(8) | part(0);
}

}  // namespace

CropWindow::CropWindow(HWND dialog, HWND area, const CropFrame& frame,
                       std::vector<std::uint32_t> canvas, Done done)
    : frame_(frame), canvas_(std::move(canvas)), done_(std::move(done)) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW kind{};
  if (!GetClassInfoExW(instance, kClass, &kind)) {
    kind.cbSize = sizeof kind;
    kind.style = CS_DBLCLKS;
    kind.lpfnWndProc = Proc;
    kind.hInstance = instance;
    kind.hCursor = LoadCursorW(nullptr, IDC_SIZEALL);
    kind.lpszClassName = kClass;
    RegisterClassExW(&kind);
  }
  RECT at{};
  GetWindowRect(area, &at);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&at), 2);
  width_ = at.right - at.left;
  height_ = at.bottom - at.top;
  window_ = CreateWindowExW(0, kClass, L"", WS_CHILD | WS_TABSTOP, at.left, at.top, width_,
                            height_, dialog, nullptr, instance, nullptr);
  if (!window_) return;
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  SetFocus(window_);
}

CropWindow::~CropWindow() {
  if (!window_) return;
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

LRESULT CALLBACK CropWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CropWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  return self->OnMessage(message, wParam, lParam);
}

LRESULT CropWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;  // arrows, Enter and Escape come here, not to the dialog
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window_, &paint);
      Paint(dc);
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetFocus(window_);
      SetCapture(window_);
      dragging_ = true;
      frame_.BeginDrag(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSEMOVE:
      if (dragging_) {
        frame_.DragTo(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        InvalidateRect(window_, nullptr, FALSE);
      }
      return 0;
    case WM_LBUTTONUP:
      dragging_ = false;
      ReleaseCapture();
      return 0;
    case WM_LBUTTONDBLCLK:
      End(true);
      return 0;
    case WM_KEYDOWN: {
      const bool fast = GetKeyState(VK_SHIFT) < 0;
      switch (wParam) {
        case VK_LEFT: frame_.Step(-1, 0, fast); break;
        case VK_RIGHT: frame_.Step(1, 0, fast); break;
        case VK_UP: frame_.Step(0, -1, fast); break;
        case VK_DOWN: frame_.Step(0, 1, fast); break;
        case VK_RETURN: End(true); return 0;
        case VK_ESCAPE: End(false); return 0;
        default: return 0;
      }
      InvalidateRect(window_, nullptr, FALSE);
      return 0;
    }
    case WM_KILLFOCUS:
      // Another control taken in hand ends the crop; another program does not.
      if (!ended_ && wParam && GetAncestor(reinterpret_cast<HWND>(wParam), GA_ROOT) ==
                                   GetAncestor(window_, GA_ROOT))
        PostMessageW(window_, kEndMessage, 0, 0);
      return 0;
    case kEndMessage:
      End(false);
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

void CropWindow::Paint(HDC dc) {
  const PixelRect picture = frame_.ShownPicture();
  const PixelRect shown = frame_.ShownFrame();
  std::vector<std::uint32_t> pixels = canvas_;
  if (pixels.size() == static_cast<std::size_t>(width_) * height_) {
    for (int y = picture.y; y < picture.y + picture.height && y < height_; ++y)
      for (int x = picture.x; x < picture.x + picture.width && x < width_; ++x) {
        const bool inside = x >= shown.x && x < shown.x + shown.width && y >= shown.y &&
                            y < shown.y + shown.height;
        if (!inside && x >= 0 && y >= 0) pixels[std::size_t(y) * width_ + x] = Dimmed(pixels[std::size_t(y) * width_ + x]);
      }
    // 32-bit pixels, rows top down.
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0},
                    {}};
    SetDIBitsToDevice(dc, 0, 0, width_, height_, 0, 0, 0, height_, pixels.data(), &info,
                      DIB_RGB_COLORS);
  }
  const RECT frame{shown.x, shown.y, shown.x + shown.width, shown.y + shown.height};
  HGDIOBJ pen = SelectObject(dc, CreatePen(PS_DOT, 1, RGB(255, 255, 255)));
  HGDIOBJ brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  SetBkMode(dc, TRANSPARENT);
  Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
  SelectObject(dc, brush);
  DeleteObject(SelectObject(dc, pen));
}

void CropWindow::End(bool accepted) {
  if (ended_) return;
  ended_ = true;
  if (dragging_) ReleaseCapture();
  ShowWindow(window_, SW_HIDE);
  // The owner may destroy this window from the callback: nothing here touches it afterwards.
  Done done = std::move(done_);
  if (done) done(accepted, frame_.Frame());
}

}  // namespace qvm
