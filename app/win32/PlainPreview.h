// A preview area that shows no pictures: the area cleared to the brush colour, with the
// pictures' sizes from their headers (images/PictureHeader.h), so the report is the one the
// picture-drawing library gives. The window uses it where that library is not built in.
#pragma once

#include <cstdint>
#include <filesystem>

#include "app/win32/Win32Api.h"
#include "platform/Controls.h"
#include "platform/Os.h"

namespace qvm {

class PlainPreview : public ImagingLibrary {
 public:
  PlainPreview(HWND dialog, Os& os, UINT doneMessage);

  void OpenGfx(int x, int y, int width, int height, int flags) override;
  void GfxWindow(int) override {}
  void BrushColor(std::uint32_t colorRef) override { brush_ = colorRef; }
  void GfxCLS() override;
  int ImageParam(const std::filesystem::path& file, int which) override;
  int GfxConvert(int, int pixels) override { return pixels; }
  int StretchImage(const std::filesystem::path&, int, int) override { return 0; }

  // The dialog's WM_PAINT.
  void Paint(HDC dc);
  void DecodeFinished() {}
  COLORREF Fill() const { return fill_; }

 private:
  HWND dialog_;
  Os& os_;
  RECT area_{};
  COLORREF brush_ = 0;
  COLORREF fill_ = 0;
};

}  // namespace qvm
