// What a picture file is, judged from its header alone: the one rule that the preview, the
// picture tips, `info` and `check` share, so that they agree on every file about its size and
// whether the preview can show it.
//
// The content decides, not the name: a BMP called .jpg is a BMP. The game shows JPEG and BMP
// only; anything else is no picture here. A picture is shown only when the preview's decoders
// can decode it within the limits below: otherwise its size counts as 0 x 0 everywhere, and
// PictureProblemText says why.
//
// Reads are bounded whatever the file holds: a BMP header is a fixed number of bytes; a JPEG's
// segments are skipped by seeking, and the segments and stray bytes before its first scan are
// capped, so a header that never ends is refused after a few kilobytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace qvm {

class Os;

// What the preview decodes at most, judged from the header before any decoder sees the file.
// A side of 32767 covers every picture the game shows. A JPEG is decoded in full before it is
// scaled: 2^26 pixels (e.g. 8192 x 8192) and 100 MB of decoder state (a progressive picture
// holds every DCT coefficient) keep that in bounds. A BMP is read row by row: 2^28 pixels keep
// the row arithmetic small and the RLE walk short. The scaled result is at most 2^24 pixels
// (64 MB).
inline constexpr int kMaxPictureSide = 32767;
inline constexpr std::int64_t kMaxJpegPixels = std::int64_t{1} << 26;
inline constexpr std::uint64_t kMaxJpegDecoderBytes = std::uint64_t{100} << 20;
inline constexpr std::int64_t kMaxBmpPixels = std::int64_t{1} << 28;
inline constexpr std::int64_t kMaxShownPixels = std::int64_t{1} << 24;
// What a crop, a turn or a conversion decodes at most: the JPEG limit for every format, and
// the whole file is read into memory, so it is capped too.
inline constexpr std::int64_t kMaxEditPixels = kMaxJpegPixels;
inline bool WithinEditLimits(std::int64_t width, std::int64_t height) {
  return width <= kMaxPictureSide && height <= kMaxPictureSide && width * height <= kMaxEditPixels;
}
inline constexpr std::uint64_t kMaxPictureFileBytes = std::uint64_t{256} << 20;

// How far a JPEG header is followed: pictures carry a few dozen segments before their first
// scan, and decoders skip only a few stray bytes between them.
inline constexpr int kMaxJpegSegments = 1024;
inline constexpr int kMaxJpegStrayBytes = 65536;  // fill and garbage bytes, all together

// The game shows JPEG and BMP; the others are recognised only to be converted to JPEG.
enum class PictureFormat { None, Jpeg, Bmp, Png, Gif, WebP, Tiff };

// Why a file is not shown; None when it is.
enum class PictureProblem {
  None,
  Unreadable,       // missing, no regular file, or a read failed
  Empty,            // 0 bytes
  NotAPicture,      // neither JPEG nor BMP
  BadJpegHeader,    // cut short, a size of 0, or a frame no decoder should be handed
  LongJpegHeader,   // no scan within the caps above
  UnsupportedJpeg,  // lossless, hierarchical or other than 8-bit
  BadBmpHeader,     // cut short or unknown
  UnsupportedBmp,   // a kind of BMP the decoder refuses (embedded JPEG/PNG, Huffman, ...)
  TooLarge,         // beyond the limits above; the declared size is kept
};

struct PictureHeader {
  PictureFormat format = PictureFormat::None;
  PictureProblem problem = PictureProblem::Unreadable;
  // The size the header declares, also when it is too large; 0 when it declares none.
  int declaredWidth = 0;
  int declaredHeight = 0;
  std::uint64_t fileSize = 0;
  // For planning the decode of a shown BMP: RLE is walked from the start; otherwise only the
  // rows shown are read, `bmpRowBytes` each.
  bool bmpRle = false;
  std::uint64_t bmpRowBytes = 0;
  // A JPEG's block grid (its largest unit of samples: 8 or 16 pixels each way), on which a crop
  // or a turn stays lossless; 0 for other files.
  int jpegBlockWidth = 0;
  int jpegBlockHeight = 0;
  // A JPEG's EXIF orientation (1 to 8; 1 when it has none or its EXIF block is damaged), and
  // where the tag's 2-byte value stands in the file (0: nowhere) in which byte order.
  int orientation = 1;
  std::uint64_t orientationAt = 0;
  bool orientationBigEndian = false;

  bool Shown() const { return problem == PictureProblem::None; }
  // A picture in a format the game cannot show that can be converted to JPEG.
  bool Convertible() const { return format >= PictureFormat::Png; }
  // The size the preview, the tips and `info` report: the declared size when shown, else 0.
  int Width() const { return Shown() ? declaredWidth : 0; }
  int Height() const { return Shown() ? declaredHeight : 0; }
  // Bytes a decode to `shownHeight` rows goes through (JPEG: at least one per pixel): what
  // decides between decoding at once and in the background.
  std::uint64_t DecodeCost(int shownHeight) const;
};

// Reads the header of `file` through `os` (regular files only; links followed).
PictureHeader ReadPictureHeader(Os& os, const std::filesystem::path& file);
// The same for a whole file in memory.
PictureHeader ReadPictureHeader(std::span<const std::uint8_t> bytes);

// Why the preview shows nothing, as `check` words it after the file's name ("is empty (0
// bytes)", "declares 40000 x 10 pixels, more than the preview decodes"); empty when shown.
std::string PictureProblemText(const PictureHeader& header);

}  // namespace qvm
