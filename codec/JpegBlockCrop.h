// Lossless crops of JPEGs block for block, on libjpeg-turbo's classic libjpeg API.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "images/PictureCodec.h"

namespace qvm {

// The part `box` of a JPEG without decoding it: the kept blocks' coefficients as they are, the
// original's quantisation tables, sampling and markers (APPn and comments; an EXIF block that
// comes first gets the new size, as a lossless transform leaves it), written as a sequential
// JPEG with standard Huffman tables and no restart markers. box.x and box.y must lie on the
// picture's grid of whole MCUs (8 pixels for grey); the width and height may be anything
// inside the picture. Only the kept blocks are held: a sequential picture's other blocks go by
// row by row, a progressive one's are held until its last scan. An empty result with the reason
// when it cannot be done (off the grid, damaged data, even only a warning's worth, more than
// 500 scans, larger than kMaxEditPixels).
CodecResult CropJpegBlocks(std::span<const std::uint8_t> jpeg, const PixelRect& box);

// The libraries' messages start upper case; ours continue a sentence.
std::string LowerFirst(std::string text);

}  // namespace qvm
