// The first frame of a picture in any format the platform's readers know, flattened onto white:
// Qt's image readers on Linux (QtForeignPictures.cpp), WIC on Windows (WicForeignPictures.cpp).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qvm {

// 8-bit RGB, 3 bytes a pixel, rows top down without padding.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

// A colour channel of a pixel with `alpha` (255: opaque) laid onto white: what shows through.
inline std::uint8_t OntoWhite(int channel, int alpha) {
  return static_cast<std::uint8_t>((channel * alpha + 255 * (255 - alpha) + 127) / 255);
}

// False, with why in `error`, when the bytes are no picture the readers know or it is larger
// than kMaxPictureSide or kMaxEditPixels (checked from its header, before any pixel is decoded).
bool DecodeFirstFrame(std::span<const std::uint8_t> bytes, RgbPicture& out, std::string& error);

}  // namespace qvm
