// The frame of a crop to the recommended ratio while the user places it on the preview: where
// it stands in the picture and in the preview area, and how the mouse and the arrow keys move
// it. Toolkit-free; the windows draw it and forward their events.
#pragma once

#include "images/PictureCodec.h"

namespace qvm {

class CropFrame {
 public:
  // A width x height picture shown fitted and centred in an area of areaWidth x areaHeight
  // pixels (as the preview shows it), the frame starting at `frame` (picture pixels).
  CropFrame(int width, int height, const PixelRect& frame, int areaWidth, int areaHeight);

  // The frame in the picture's pixels: what a crop keeps.
  const PixelRect& Frame() const { return frame_; }
  // The picture and the frame in the preview area's pixels.
  const PixelRect& ShownPicture() const { return shown_; }
  PixelRect ShownFrame() const;

  // Moves by picture pixels; the frame stays inside the picture.
  void MoveBy(int dx, int dy);
  // An arrow key: one pixel of the preview, ten with Shift (`fast`).
  void Step(int dx, int dy, bool fast);
  // The mouse: the frame follows the pointer (area pixels) from where the drag began.
  void BeginDrag(int x, int y);
  void DragTo(int x, int y);

 private:
  int ToPicture(int shownPixels, bool across) const;

  int width_;
  int height_;
  PixelRect frame_;
  PixelRect shown_;
  PixelRect dragFrame_;
  int dragX_ = 0;
  int dragY_ = 0;
};

}  // namespace qvm
