#include "app/win32/PlainPreview.h"

#include "images/PictureHeader.h"

namespace qvm {

PlainPreview::PlainPreview(HWND dialog, Os& os, UINT) : dialog_(dialog), os_(os) {}

void PlainPreview::OpenGfx(int x, int y, int width, int height, int) {
  area_ = RECT{x, y, x + width, y + height};
}

void PlainPreview::GfxCLS() {
  fill_ = brush_;
  ::InvalidateRect(dialog_, &area_, FALSE);
}

int PlainPreview::ImageParam(const std::filesystem::path& file, int which) {
  const PictureHeader header = ReadPictureHeader(os_, file);
  return which == 1 ? header.Width() : which == 2 ? header.Height() : 0;
}

void PlainPreview::Paint(HDC dc) {
  HBRUSH brush = ::CreateSolidBrush(fill_);
  ::FillRect(dc, &area_, brush);
  ::DeleteObject(brush);
}

}  // namespace qvm
