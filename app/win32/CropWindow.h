// The Windows window's crop frame: a child window over the preview area while the user places
// a crop to the recommended ratio (app/CropFrame.h). It shows the preview's picture with the
// area outside the frame dimmed; the mouse drags the frame, the arrow keys move it (Shift:
// faster), Enter or a double-click accepts, Escape or the focus going elsewhere cancels.
#pragma once

#include <functional>
#include <vector>

#include "app/CropFrame.h"
#include "app/win32/Win32Api.h"

namespace qvm {

class CropWindow {
 public:
  // Called once when the crop ends: accepted (with the frame) or not.
  using Done = std::function<void(bool accepted, const PixelRect& frame)>;

  // Over `area` (a child of `dialog`), showing `canvas` (0xFFRRGGBB, rows top down, the
  // area's size) and taking the focus.
  CropWindow(HWND dialog, HWND area, const CropFrame& frame, std::vector<std::uint32_t> canvas,
             Done done);
  ~CropWindow();
  CropWindow(const CropWindow&) = delete;
  CropWindow& operator=(const CropWindow&) = delete;

  HWND Window() const { return window_; }
  const CropFrame& Frame() const { return frame_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc);
  void End(bool accepted);

  HWND window_ = nullptr;
  CropFrame frame_;
  std::vector<std::uint32_t> canvas_;
  int width_ = 0;
  int height_ = 0;
  Done done_;
  bool dragging_ = false;
  bool ended_ = false;
};

}  // namespace qvm
