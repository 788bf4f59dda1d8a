#include "app/win32/imaging/Win32Imaging.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>

namespace qvm {
namespace {

constexpr std::size_t kCachedHeaders = 8;
constexpr wchar_t kAreaClass[] = L"QvmPictureArea";

bool FitsShown(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         static_cast<std::int64_t>(width) * height <= kMaxShownPixels;
}

}  // namespace

Win32ImagingLibrary::Win32ImagingLibrary(HWND dialog, Os& os, UINT doneMessage)
    : dialog_(dialog), os_(os), doneMessage_(doneMessage) {
  // Small pictures decode on this thread; when COM already runs here in another mode, that
  // serves as well.
  comInitialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  worker_ = std::thread([this] { Work(); });
}

Win32ImagingLibrary::~Win32ImagingLibrary() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    job_.reset();
    newest_.store(generation_ + 1);  // a decode still running gives up
  }
  wake_.notify_all();
  worker_.join();
  if (area_) {
    SetWindowLongPtrW(area_, GWLP_USERDATA, 0);
    DestroyWindow(area_);
  }
  if (comInitialised_) CoUninitialize();
}

LRESULT CALLBACK Win32ImagingLibrary::AreaProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  auto* library = reinterpret_cast<Win32ImagingLibrary*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the canvas covers every pixel
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // the dialog gets the mouse as if the area were not there
    case WM_NCDESTROY:       // gone with the dialog: its handle may soon name another window
      if (library && library->area_ == window) library->area_ = nullptr;
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (library) library->PaintAt(dc, 0, 0);
      EndPaint(window, &paint);
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void Win32ImagingLibrary::OpenGfx(int x, int y, int width, int height, int) {
  if (width <= 0 || height <= 0) return;
  NewGeneration();
  if (area_) DestroyWindow(area_);  // its WM_NCDESTROY forgets it
  areaX_ = x;
  areaY_ = y;
  canvas_ = {width, height,
             std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, brush_)};
  if (!dialog_) return;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW area{};
  area.cbSize = sizeof(area);
  if (!GetClassInfoExW(instance, kAreaClass, &area)) {
    area.lpfnWndProc = AreaProc;
    area.hInstance = instance;
    area.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    area.lpszClassName = kAreaClass;
    RegisterClassExW(&area);
  }
  area_ = CreateWindowExW(0, kAreaClass, L"", WS_CHILD, x, y, width, height, dialog_, nullptr,
                          instance, nullptr);
  if (area_) SetWindowLongPtrW(area_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void Win32ImagingLibrary::GfxWindow(int) {
  if (area_) ShowWindow(area_, SW_SHOWNA);
}

void Win32ImagingLibrary::BrushColor(std::uint32_t colorRef) {
  brush_ = 0xFF000000 | ((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
}

void Win32ImagingLibrary::GfxCLS() {
  NewGeneration();
  std::fill(canvas_.pixels.begin(), canvas_.pixels.end(), brush_);
  if (area_) InvalidateRect(area_, nullptr, FALSE);
}

PictureHeader Win32ImagingLibrary::Header(const std::filesystem::path& file) {
  const EntryInfo info = os_.Info(file, true);
  if (info.type != EntryType::Regular) return {};
  auto hit = std::find_if(headers_.begin(), headers_.end(), [&](const CachedHeader& c) {
    return c.path == file && c.modified == info.modified && c.fileSize == info.size;
  });
  if (hit != headers_.end()) {
    std::rotate(headers_.begin(), hit, hit + 1);
    return headers_.front().header;
  }
  PictureHeader header = ReadPictureHeader(os_, file);
  headers_.insert(headers_.begin(), {file, info.modified, info.size, header});
  if (headers_.size() > kCachedHeaders) headers_.pop_back();
  return header;
}

int Win32ImagingLibrary::ImageParam(const std::filesystem::path& file, int which) {
  const PictureHeader header = Header(file);
  if (which == 1) return header.Width();
  if (which == 2) return header.Height();
  return 0;
}

int Win32ImagingLibrary::GfxConvert(int, int pixels) { return pixels; }

void Win32ImagingLibrary::NewGeneration() {
  ++generation_;
  std::lock_guard lock(mutex_);
  newest_.store(generation_);
  if (job_) {  // never started: nobody will report its end
    job_.reset();
    --pending_;
  }
}

void Win32ImagingLibrary::Draw(const Win32Pixels& picture) {
  const int left = (canvas_.width - picture.width) / 2;
  const int top = (canvas_.height - picture.height) / 2;
  for (int y = 0; y < picture.height; ++y) {
    const int row = top + y;
    if (row < 0 || row >= canvas_.height) continue;
    const int from = std::max(0, -left);
    const int to = std::min(picture.width, canvas_.width - left);
    if (from >= to) return;
    std::memcpy(&canvas_.pixels[static_cast<std::size_t>(row) * canvas_.width + left + from],
                &picture.pixels[static_cast<std::size_t>(y) * picture.width + from],
                static_cast<std::size_t>(to - from) * 4);
  }
  if (area_) InvalidateRect(area_, nullptr, FALSE);
}

void Win32ImagingLibrary::PaintAt(HDC dc, int x, int y) {
  if (canvas_.Empty()) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = canvas_.width;
  info.bmiHeader.biHeight = -canvas_.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  StretchDIBits(dc, x, y, canvas_.width, canvas_.height, 0, 0, canvas_.width, canvas_.height,
                canvas_.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

void Win32ImagingLibrary::Paint(HDC dc) { PaintAt(dc, areaX_, areaY_); }

int Win32ImagingLibrary::StretchImage(const std::filesystem::path& file, int width, int height) {
  NewGeneration();
  if (canvas_.Empty() || !FitsShown(width, height)) return 0;
  const PictureHeader header = Header(file);
  if (!header.Shown()) return 0;
  if (header.DecodeCost(height) <= synchronousCost_) {
    const Win32Pixels picture = DecodeWin32Picture(os_, file, header, width, height);
    if (picture.Empty()) return 0;
    Draw(picture);
    return 1;
  }
  {
    std::lock_guard lock(mutex_);
    job_ = Job{generation_, file, header, width, height};
  }
  ++pending_;
  wake_.notify_one();
  return 1;
}

void Win32ImagingLibrary::DecodeFinished() {
  std::vector<Done> done;
  {
    std::lock_guard lock(mutex_);
    done.swap(done_);
  }
  for (const Done& d : done) {
    --pending_;
    if (d.generation == generation_ && !d.picture.Empty()) Draw(d.picture);
  }
}

bool Win32ImagingLibrary::WaitIdle(int timeoutMs) {
  const ULONGLONG start = GetTickCount64();
  while (pending_ > 0) {
    if (GetTickCount64() - start > static_cast<ULONGLONG>(timeoutMs)) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return false;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

void Win32ImagingLibrary::Work() {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || job_.has_value(); });
    if (stopping_) break;
    Job job = std::move(*job_);
    job_.reset();
    lock.unlock();
    const auto stale = [this, generation = job.generation] {
      return newest_.load(std::memory_order_relaxed) != generation;
    };
    Win32Pixels picture;
    if (!stale())  // skipped when something newer came while it waited
      picture = DecodeWin32Picture(os_, job.file, job.header, job.width, job.height, stale);
    lock.lock();
    done_.push_back({job.generation, std::move(picture)});
    PostMessageW(dialog_, doneMessage_, 0, 0);
  }
  lock.unlock();
  if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace qvm
