#include "images/PictureHeader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "images/BmpDecoder.h"
#include "images/ExifOrientation.h"
#include "platform/Os.h"

namespace qvm {
namespace {

// Random access to the file's first bytes; a read past the end gives fewer bytes.
class Source {
 public:
  virtual ~Source() = default;
  virtual std::size_t ReadAt(std::uint64_t offset, std::uint8_t* to, std::size_t count) = 0;
  // True once a read failed for another reason than the end of the file.
  bool Failed() const { return failed_; }

 protected:
  bool failed_ = false;
};

class MemorySource : public Source {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* to, std::size_t count) override {
    if (offset >= bytes_.size()) return 0;
    const std::size_t n = std::min<std::uint64_t>(count, bytes_.size() - offset);
    std::memcpy(to, bytes_.data() + offset, n);
    return n;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

// Reads a small window at a time: the marker walk asks for a few bytes here and there, and a
// long segment is skipped by seeking past it, never read. A window is read from where the file
// stands when it can (no seek) and only up to the size the file had when opened (no read that
// can only say "end"): check opens every picture of a full game.
class OsSource : public Source {
 public:
  // `file` is freshly opened (at offset 0) and was `size` bytes long then.
  OsSource(Os& os, FileHandle file, std::uint64_t size) : os_(os), file_(file), size_(size) {}
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* to, std::size_t count) override {
    std::size_t done = 0;
    while (done < count) {
      const std::uint64_t at = offset + done;
      if (at < start_ || at >= start_ + length_) {
        if (!Fill(at)) break;
      }
      const std::size_t n = std::min<std::uint64_t>(count - done, start_ + length_ - at);
      std::memcpy(to + done, window_.data() + (at - start_), n);
      done += n;
    }
    return done;
  }

 private:
  static constexpr std::size_t kWindow = 4096;
  bool Fill(std::uint64_t at) {
    start_ = at;
    length_ = 0;
    if (failed_ || at >= size_) return false;
    if (at != position_ && !os_.Seek(file_, at, nullptr)) {
      failed_ = true;
      return false;
    }
    position_ = at;
    const std::size_t want = std::min<std::uint64_t>(window_.size(), size_ - at);
    while (length_ < want) {
      const std::int64_t n = os_.Read(file_, window_.data() + length_, want - length_, nullptr);
      if (n < 0) failed_ = true;
      if (n <= 0) break;
      length_ += static_cast<std::size_t>(n);
      position_ += static_cast<std::uint64_t>(n);
    }
    return length_ > 0;
  }

  Os& os_;
  FileHandle file_;
  std::uint64_t size_;
  std::uint64_t position_ = 0;  // where the next read starts
  std::array<std::uint8_t, kWindow> window_{};
  std::uint64_t start_ = 0;
  std::size_t length_ = 0;
};

std::uint32_t Be16(const std::uint8_t* p) { return (p[0] << 8) | p[1]; }

// The frame header (SOFn) and what the first scan says about it.
struct JpegFrame {
  int marker = 0;
  int precision = 0;
  int width = 0, height = 0;
  int components = 0;
  std::array<int, 4> id{}, h{}, v{};
  int maxH = 1, maxV = 1;
  bool hierarchical = false;  // a DHP segment came first
  bool multiScan = false;     // the first scan holds fewer components than the frame
  int scanBlocks = 0;         // blocks in one unit of the first scan
  bool exifSeen = false;      // the first APP1 was looked at
  ExifOrientation exif;       // where `where` counts from the start of the file
};

// The frame markers: SOF0 to SOF15 but DHT (C4), JPG (C8) and DAC (CC).
bool IsFrame(int marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}
// What the decoders read: sequential and progressive, Huffman or arithmetic, not lossless or
// differential (hierarchical).
bool DecodedProcess(int marker) {
  return marker == 0xC0 || marker == 0xC1 || marker == 0xC2 || marker == 0xC9 || marker == 0xCA;
}

// The bytes a decoder holds at once besides its output: every DCT coefficient of the picture
// when it arrives in several scans (progressive, or component by component), otherwise one row
// of units.
std::uint64_t JpegDecoderBytes(const JpegFrame& f, bool progressive) {
  const std::uint64_t unitsX = (f.width + 8u * f.maxH - 1) / (8u * f.maxH);
  const std::uint64_t unitsY = (f.height + 8u * f.maxV - 1) / (8u * f.maxV);
  std::uint64_t blocks = 0;
  for (int c = 0; c < f.components; ++c) {
    const std::uint64_t rows = (progressive || f.multiScan) ? unitsY * f.v[c] : f.v[c];
    blocks += unitsX * f.h[c] * rows;
  }
  return blocks * 64 * sizeof(std::int16_t);
}

// Reads the frame header at `at` (after the length), for a segment of `length` bytes.
PictureProblem ReadFrame(Source& src, std::uint64_t at, std::uint32_t length, JpegFrame& f) {
  std::uint8_t b[6 + 3 * 4];
  if (length < 8 || src.ReadAt(at, b, 6) != 6) return PictureProblem::BadJpegHeader;
  f.precision = b[0];
  f.height = static_cast<int>(Be16(b + 1));
  f.width = static_cast<int>(Be16(b + 3));
  f.components = b[5];
  // The kind comes first: a lossless or 12-bit picture is refused as such, whatever else.
  if (!DecodedProcess(f.marker) || f.hierarchical || f.precision != 8)
    return PictureProblem::UnsupportedJpeg;
  if (f.width == 0 || f.height == 0) return PictureProblem::BadJpegHeader;  // height via DNL
  if (f.components != 1 && f.components != 3 && f.components != 4)
    return PictureProblem::BadJpegHeader;
  const std::size_t bytes = 3u * f.components;
  if (length < 8 + bytes || src.ReadAt(at + 6, b + 6, bytes) != bytes)
    return PictureProblem::BadJpegHeader;
  for (int c = 0; c < f.components; ++c) {
    f.id[c] = b[6 + 3 * c];
    f.h[c] = b[7 + 3 * c] >> 4;
    f.v[c] = b[7 + 3 * c] & 0xF;
    if (f.h[c] < 1 || f.h[c] > 4 || f.v[c] < 1 || f.v[c] > 4) return PictureProblem::BadJpegHeader;
    f.maxH = std::max(f.maxH, f.h[c]);
    f.maxV = std::max(f.maxV, f.v[c]);
  }
  // Decoders upsample by whole factors only.
  for (int c = 0; c < f.components; ++c)
    if (f.maxH % f.h[c] != 0 || f.maxV % f.v[c] != 0) return PictureProblem::BadJpegHeader;
  return PictureProblem::None;
}

// Reads the first scan's header at `at`: which components it holds.
PictureProblem ReadScan(Source& src, std::uint64_t at, std::uint32_t length, JpegFrame& f) {
  std::uint8_t b[1 + 2 * 4];
  if (length < 3 || src.ReadAt(at, b, 1) != 1) return PictureProblem::BadJpegHeader;
  const int count = b[0];
  if (count < 1 || count > f.components || length < 3 + 2u * count ||
      src.ReadAt(at + 1, b + 1, 2u * count) != 2u * count)
    return PictureProblem::BadJpegHeader;
  f.multiScan = count < f.components;
  f.scanBlocks = count == 1 ? 1 : 0;
  for (int s = 0; s < count && count > 1; ++s) {
    const auto end = f.id.begin() + f.components;
    const auto c = std::find(f.id.begin(), end, b[1 + 2 * s]);
    if (c == end) return PictureProblem::BadJpegHeader;
    const auto i = c - f.id.begin();
    f.scanBlocks += f.h[i] * f.v[i];
  }
  // Decoders hold at most 10 blocks in one unit of an interleaved scan.
  return f.scanBlocks <= 10 ? PictureProblem::None : PictureProblem::BadJpegHeader;
}

// Walks the markers from the start of image to the first scan.
PictureProblem WalkJpeg(Source& src, JpegFrame& f) {
  std::uint64_t at = 2;  // after the start of image
  int stray = 0;
  bool haveFrame = false;
  std::uint8_t b[2];
  for (int segments = 0; segments < kMaxJpegSegments; ++segments) {
    // Decoders skip stray bytes before a marker and any number of fill bytes; so do we, up to
    // a point.
    for (;; ++at) {
      if (src.ReadAt(at, b, 1) != 1) return PictureProblem::BadJpegHeader;
      if (b[0] == 0xFF) break;
      if (++stray > kMaxJpegStrayBytes) return PictureProblem::LongJpegHeader;
    }
    std::uint8_t marker = 0;
    do {
      if (src.ReadAt(++at, &marker, 1) != 1) return PictureProblem::BadJpegHeader;
      if (marker == 0xFF && ++stray > kMaxJpegStrayBytes) return PictureProblem::LongJpegHeader;
    } while (marker == 0xFF);
    ++at;
    if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
      continue;  // a stuffed byte or a marker without a segment
    if (marker == 0xD9) return PictureProblem::BadJpegHeader;  // end of image, no scan
    if (src.ReadAt(at, b, 2) != 2) return PictureProblem::BadJpegHeader;
    const std::uint32_t length = Be16(b);
    if (length < 2) return PictureProblem::BadJpegHeader;
    if (IsFrame(marker)) {
      if (haveFrame) return PictureProblem::BadJpegHeader;
      f.marker = marker;
      haveFrame = true;
      if (PictureProblem p = ReadFrame(src, at + 2, length, f); p != PictureProblem::None) return p;
    } else if (marker == 0xE1 && !f.exifSeen) {
      f.exifSeen = true;
      const std::uint64_t payload = at + 2;
      f.exif = ReadExifOrientation(
          [&](std::uint64_t offset, std::uint8_t* to, std::size_t count) {
            return src.ReadAt(payload + offset, to, count);
          },
          length - 2);
      if (f.exif.where != 0) f.exif.where += payload;
    } else if (marker == 0xDE) {
      f.hierarchical = true;  // DHP: the frames that follow are differential
    } else if (marker == 0xDA) {
      if (!haveFrame) return PictureProblem::BadJpegHeader;
      return ReadScan(src, at + 2, length, f);
    }
    at += length;
  }
  return PictureProblem::LongJpegHeader;
}

void JudgeJpeg(Source& src, PictureHeader& header) {
  header.format = PictureFormat::Jpeg;
  JpegFrame f;
  header.problem = WalkJpeg(src, f);
  if (f.width > 0 && f.height > 0) {
    header.declaredWidth = f.width;
    header.declaredHeight = f.height;
    // A picture of one component is coded in single blocks, whatever its sampling says.
    header.jpegBlockWidth = f.components == 1 ? 8 : 8 * f.maxH;
    header.jpegBlockHeight = f.components == 1 ? 8 : 8 * f.maxV;
  }
  header.orientation = f.exif.value;
  header.orientationAt = f.exif.where;
  header.orientationBigEndian = f.exif.bigEndian;
  if (header.problem != PictureProblem::None) return;
  const bool progressive = f.marker == 0xC2 || f.marker == 0xCA;
  const std::int64_t pixels = std::int64_t{f.width} * f.height;
  if (f.width > kMaxPictureSide || f.height > kMaxPictureSide || pixels > kMaxJpegPixels ||
      JpegDecoderBytes(f, progressive) > kMaxJpegDecoderBytes)
    header.problem = PictureProblem::TooLarge;
}

void JudgeBmp(Source& src, PictureHeader& header) {
  header.format = PictureFormat::Bmp;
  std::array<std::uint8_t, kBmpHeaderBytes> head{};
  const std::size_t got = src.ReadAt(0, head.data(), head.size());
  BmpInfo info;
  switch (ReadBmpInfo(std::span<const std::uint8_t>(head.data(), got), info)) {
    case BmpStatus::Ok:
      header.problem = PictureProblem::None;
      break;
    case BmpStatus::TooLarge:
      header.problem = PictureProblem::TooLarge;
      break;
    case BmpStatus::Unsupported:
      header.problem = PictureProblem::UnsupportedBmp;
      break;
    default:
      header.problem = PictureProblem::BadBmpHeader;
  }
  header.declaredWidth = info.width;
  header.declaredHeight = info.height;
  header.bmpRle = info.compression == 1 || info.compression == 2;
  header.bmpRowBytes = (static_cast<std::uint64_t>(info.width) * info.bitCount + 31) / 32 * 4;
}

// The formats the game cannot show, by their signatures; None for anything else.
PictureFormat OtherFormat(Source& src) {
  std::uint8_t b[12] = {};
  const std::size_t got = src.ReadAt(0, b, sizeof b);
  const std::string_view s(reinterpret_cast<const char*>(b), got);
  if (s.starts_with("\x89PNG\r\n\x1A\n")) return PictureFormat::Png;
  if (s.starts_with("GIF87a") || s.starts_with("GIF89a")) return PictureFormat::Gif;
  if (s.size() >= 12 && s.starts_with("RIFF") && s.substr(8).starts_with("WEBP"))
    return PictureFormat::WebP;
  if (s.starts_with(std::string_view("II*\0", 4)) || s.starts_with(std::string_view("MM\0*", 4)))
    return PictureFormat::Tiff;
  return PictureFormat::None;
}

PictureHeader Judge(Source& src, std::uint64_t fileSize) {
  PictureHeader header;
  header.fileSize = fileSize;
  if (fileSize == 0) {
    header.problem = PictureProblem::Empty;
    return header;
  }
  std::uint8_t magic[2] = {};
  const std::size_t got = src.ReadAt(0, magic, 2);
  if (got == 2 && magic[0] == 'B' && magic[1] == 'M') {
    JudgeBmp(src, header);
  } else if (got == 2 && magic[0] == 0xFF && magic[1] == 0xD8) {
    JudgeJpeg(src, header);
  } else {
    header.problem = PictureProblem::NotAPicture;
    header.format = OtherFormat(src);
  }
  // A read that failed says nothing about the picture.
  if (src.Failed()) {
    header = PictureHeader();
    header.fileSize = fileSize;
  }
  return header;
}

}  // namespace

std::uint64_t PictureHeader::DecodeCost(int shownHeight) const {
  if (format == PictureFormat::Bmp && !bmpRle)
    return bmpRowBytes * static_cast<std::uint64_t>(std::clamp(shownHeight, 0, declaredHeight));
  if (format == PictureFormat::Bmp) return fileSize;
  return std::max<std::uint64_t>(fileSize, std::uint64_t(declaredWidth) * declaredHeight);
}

PictureHeader ReadPictureHeader(Os& os, const std::filesystem::path& file) {
  EntryInfo opened;
  OsFile handle(os, os.OpenForReadingWithInfo(file, opened, nullptr));
  if (!handle.IsOpen()) return {};
  const std::uint64_t size = opened.size;
  OsSource src(os, handle.Handle(), size);
  return Judge(src, size);
}

PictureHeader ReadPictureHeader(std::span<const std::uint8_t> bytes) {
  MemorySource src(bytes);
  return Judge(src, bytes.size());
}

std::string PictureProblemText(const PictureHeader& header) {
  switch (header.problem) {
    case PictureProblem::None:
      return {};
    case PictureProblem::Unreadable:
      return "cannot be read";
    case PictureProblem::Empty:
      return "is empty (0 bytes)";
    case PictureProblem::NotAPicture:
      return "is neither a JPEG nor a BMP picture";
    case PictureProblem::BadJpegHeader:
      return "has a JPEG header that cannot be read (cut short, a size of 0, or a frame no "
             "decoder should be handed)";
    case PictureProblem::LongJpegHeader:
      return "has a JPEG header that does not end (more than " + std::to_string(kMaxJpegSegments) +
             " segments or " + std::to_string(kMaxJpegStrayBytes / 1024) +
             " KB of stray bytes before its picture)";
    case PictureProblem::UnsupportedJpeg:
      return "is a kind of JPEG the preview does not decode (lossless, hierarchical, or other "
             "than 8 bits per sample)";
    case PictureProblem::BadBmpHeader:
      return "has a BMP header that is cut short or unknown";
    case PictureProblem::UnsupportedBmp:
      return "is a kind of BMP the preview does not decode";
    case PictureProblem::TooLarge:
      return "declares " + std::to_string(header.declaredWidth) + " x " +
             std::to_string(header.declaredHeight) + " pixels, more than the preview decodes";
  }
  return {};
}

}  // namespace qvm
