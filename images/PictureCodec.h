// Decoding and encoding whole picture files in memory, behind one interface: the core decides
// which picture, which part of it, under which name and in which entry; only pixels go through
// an imaging library. The implementation (codec/, the qvmcodec library that the window and the
// CLI link) uses libjpeg-turbo for JPEG on both platforms, and Qt's image readers (Linux) or
// WIC (Windows) for the formats the game cannot show. Bytes in, bytes out: no implementation
// opens a file, so every file the wizard makes is still created by the core, exclusively.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qvm {

// The quality of every JPEG the wizard encodes (a crop or a turn that cannot stay lossless, a
// converted picture): high enough that a second generation shows no loss one would see.
inline constexpr int kEditJpegQuality = 95;

// A rectangle of a picture's stored pixels.
struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PixelRect&) const = default;
};

struct CodecResult {
  std::vector<std::uint8_t> bytes;  // the new picture file; empty when it failed
  int width = 0;                    // the new picture's size
  int height = 0;
  bool lossless = false;            // JPEG: taken over without decoding (no second generation)
  std::string error;                // why it failed, lower case, for a message
  bool Ok() const { return !bytes.empty(); }
};

class PictureCodec {
 public:
  virtual ~PictureCodec() = default;

  // The part `box` of a JPEG (a non-empty rectangle inside its picture). Lossless when box.x
  // and box.y lie on the picture's block grid (PictureHeader::jpegBlockWidth/Height; the width
  // and height may be anything) and the library can; otherwise decoded, cut and encoded anew at
  // kEditJpegQuality with the original's chroma subsampling. The original's application
  // segments (EXIF, colour profile, ...) and comments are kept unchanged, but for the pixel
  // size in an EXIF block, which a lossless crop sets to the new one.
  virtual CodecResult CropJpeg(std::span<const std::uint8_t> jpeg, const PixelRect& box) = 0;

  // A JPEG's pixels turned and mirrored as EXIF orientation `orientation` (2 to 8) tells a
  // viewer to show them, so that they stand as a viewer would show them. Lossless when the
  // turn fits the block grid (no partial block on an edge that moves), otherwise decoded,
  // turned and encoded anew as above. Application segments are kept unchanged (the caller
  // sets the orientation tag of the result).
  virtual CodecResult TurnJpeg(std::span<const std::uint8_t> jpeg, int orientation) = 0;

  // The first frame of a picture in any format this codec reads (PNG, GIF, WebP, TIFF, and
  // JPEG and BMP too), transparency flattened onto white, as a baseline JPEG at
  // kEditJpegQuality with 4:2:0 chroma subsampling (what every decoder reads). Pictures beyond
  // kMaxPictureSide or kMaxEditPixels (images/PictureHeader.h) are refused before any pixel is
  // decoded.
  virtual CodecResult ConvertToJpeg(std::span<const std::uint8_t> picture) = 0;
};

}  // namespace qvm
