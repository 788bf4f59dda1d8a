#include "app/CropFrame.h"

#include <algorithm>
#include <cmath>

#include "images/PreviewReport.h"

namespace qvm {

CropFrame::CropFrame(int width, int height, const PixelRect& frame, int areaWidth, int areaHeight)
    : width_(width), height_(height), frame_(frame), dragFrame_(frame) {
  const PreviewFit fit = FitPreview(width, height, areaWidth, areaHeight);
  shown_ = {(areaWidth - fit.width) / 2, (areaHeight - fit.height) / 2, fit.width, fit.height};
}

int CropFrame::ToPicture(int shownPixels, bool across) const {
  const int shown = across ? shown_.width : shown_.height;
  const int picture = across ? width_ : height_;
  if (shown <= 0) return shownPixels;
  return static_cast<int>(std::lround(static_cast<double>(shownPixels) * picture / shown));
}

PixelRect CropFrame::ShownFrame() const {
  if (width_ <= 0 || height_ <= 0) return {};
  auto across = [&](int x) {
    return static_cast<int>(std::lround(static_cast<double>(x) * shown_.width / width_));
  };
  auto down = [&](int y) {
    return static_cast<int>(std::lround(static_cast<double>(y) * shown_.height / height_));
  };
  const int left = across(frame_.x), top = down(frame_.y);
  return {shown_.x + left, shown_.y + top, across(frame_.x + frame_.width) - left,
          down(frame_.y + frame_.height) - top};
}

void CropFrame::MoveBy(int dx, int dy) {
  frame_.x = std::clamp(frame_.x + dx, 0, std::max(0, width_ - frame_.width));
  frame_.y = std::clamp(frame_.y + dy, 0, std::max(0, height_ - frame_.height));
}

void CropFrame::Step(int dx, int dy, bool fast) {
  const int shown = fast ? 10 : 1;
  MoveBy(dx * std::max(1, ToPicture(shown, true)), dy * std::max(1, ToPicture(shown, false)));
}

void CropFrame::BeginDrag(int x, int y) {
  dragX_ = x;
  dragY_ = y;
  dragFrame_ = frame_;
}

void CropFrame::DragTo(int x, int y) {
  frame_ = dragFrame_;
  MoveBy(ToPicture(x - dragX_, true), ToPicture(y - dragY_, false));
}

}  // namespace qvm
