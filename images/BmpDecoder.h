// A BMP reader for the preview that trusts nothing in the file: it reads the header, refuses
// what it cannot show sensibly, and decodes straight to the size the picture is shown at,
// touching only the rows and columns it needs. Missing or broken pixel data reads as black,
// so the same file always gives the same pixels.
//
// Read: Windows headers of 40, 52, 56, 108 and 124 bytes, OS/2 headers of 12 and 16..64 bytes;
// 1, 2, 4, 8, 16, 24 and 32 bits per pixel; uncompressed, RLE8, RLE4, bit fields (also with an
// alpha mask); bottom-up and top-down rows. Alpha is ignored: the preview is opaque.
// Refused: embedded JPEG/PNG, OS/2 Huffman and RLE24, CMYK, 64-bit pixels, compressed top-down
// pictures, and pictures beyond the limits of images/PictureHeader.h (2^28 pixels, a side of
// 32767; at most 2^24 pixels decoded).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

#include "images/PictureHeader.h"
#include "platform/Os.h"

namespace qvm {

// The bytes at the start of a file that hold every header this reader knows, masks included.
inline constexpr std::size_t kBmpHeaderBytes = 14 + 124 + 16;

enum class BmpStatus {
  Ok,
  NotBmp,       // no "BM", or the header is cut short or unknown
  Unsupported,  // a valid header of a kind this reader does not decode
  TooLarge,     // beyond the limits (the info holds the declared size)
  BadTarget,    // the requested size is empty or too large
  Unreadable,   // the file cannot be opened
  Cancelled,    // `cancelled` said so during the decode
};

struct BmpInfo {
  int width = 0;
  int height = 0;  // always positive; `topDown` tells the row order
  bool topDown = false;
  int bitCount = 0;
  std::uint32_t compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
  int headerSize = 0;
};

// Pixels as 0xFFRRGGBB, rows from top to bottom, width * height of them.
struct BmpPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// True when the bytes begin like a BMP file ("BM"); says nothing about the rest.
bool LooksLikeBmp(std::span<const std::uint8_t> firstBytes);

// Reads and checks the header only, from the first kBmpHeaderBytes of the file (or fewer when
// the file is shorter): the one BMP header reader, which ReadPictureHeader calls.
BmpStatus ReadBmpInfo(std::span<const std::uint8_t> bytes, BmpInfo& info);

// Decodes the picture scaled to exactly targetWidth x targetHeight (nearest pixel). On any
// status but Ok, `out` is empty.
BmpStatus DecodeBmpScaled(std::span<const std::uint8_t> bytes, int targetWidth, int targetHeight,
                          BmpPixels& out);
// `cancelled`, when given, is asked now and then (every 64 KB of RLE, every 64 rows) and ends
// the decode early when it says true: the result is then no longer wanted.
BmpStatus DecodeBmpScaled(Os& os, const std::filesystem::path& file, int targetWidth,
                          int targetHeight, BmpPixels& out,
                          const std::function<bool()>& cancelled = {});

}  // namespace qvm
