#include "images/BmpDecoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "platform/FileReader.h"

namespace qvm {
namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::size_t kFileHeaderSize = 14;

// Random access to the file's bytes; reads past the end give fewer bytes.
class Source {
 public:
  virtual ~Source() = default;
  // True when the caller no longer wants the result.
  bool Cancelled() const { return cancelled_ && (*cancelled_)(); }
  void SetCancel(const std::function<bool()>* cancelled) { cancelled_ = cancelled; }
  virtual std::uint64_t Size() const = 0;
  virtual std::size_t ReadAt(std::uint64_t offset, std::uint8_t* to, std::size_t count) = 0;

 private:
  const std::function<bool()>* cancelled_ = nullptr;
};

class MemorySource : public Source {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* to, std::size_t count) override {
    if (offset >= bytes_.size()) return 0;
    std::size_t n = std::min<std::uint64_t>(count, bytes_.size() - offset);
    std::memcpy(to, bytes_.data() + offset, n);
    return n;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

class FileSource : public Source {
 public:
  // Only regular files: a pipe or a device named like a picture must not block or stream.
  FileSource(Os& os, const std::filesystem::path& file) : reader_(os, file) {}
  bool IsOpen() const { return reader_.IsOpen(); }
  std::uint64_t Size() const override { return reader_.Size(); }
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* to, std::size_t count) override {
    if (offset >= reader_.Size()) return 0;
    return reader_.ReadAt(offset, to, count);
  }

 private:
  FileReader reader_;
};

std::uint32_t U16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

// One colour channel given by a mask: shift it down and stretch it to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint64_t max = 0;
  explicit Channel(std::uint32_t m = 0) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    max = m >> shift;
  }
  std::uint32_t Of(std::uint32_t pixel) const {
    if (max == 0) return 0;
    std::uint64_t v = (pixel & mask) >> shift;
    return static_cast<std::uint32_t>((v * 255 + max / 2) / max);
  }
};

// Everything the header says that decoding needs.
struct Layout {
  BmpInfo info;
  int paletteEntrySize = 4;
  std::uint64_t paletteStart = 0;
  int paletteCount = 0;
  std::uint64_t dataOffset = 0;
  std::uint64_t stride = 0;
  Channel red, green, blue;
};

BmpStatus ParseHeader(Source& source, Layout& layout) {
  std::array<std::uint8_t, kBmpHeaderBytes> head{};
  std::size_t got = source.ReadAt(0, head.data(), head.size());
  if (got < kFileHeaderSize + 4 || head[0] != 'B' || head[1] != 'M') return BmpStatus::NotBmp;
  const std::uint8_t* h = head.data() + kFileHeaderSize;
  std::uint32_t headerSize = U32(h);
  std::uint32_t offBits = U32(head.data() + 10);

  BmpInfo& info = layout.info;
  info.headerSize = static_cast<int>(std::min<std::uint32_t>(headerSize, 1u << 20));
  bool os2 = false;
  std::int64_t width = 0, height = 0;
  std::uint32_t clrUsed = 0;
  std::uint32_t masks[3] = {0, 0, 0};
  std::size_t masksEnd = kFileHeaderSize + headerSize;  // where the palette begins

  if (headerSize == 12) {  // OS/2 1.x: 16-bit sizes, 3-byte palette entries, no compression
    if (got < kFileHeaderSize + 12) return BmpStatus::NotBmp;
    width = U16(h + 4);
    height = U16(h + 6);
    info.bitCount = static_cast<int>(U16(h + 10));
    layout.paletteEntrySize = 3;
  } else if ((headerSize >= 16 && headerSize <= 64) || headerSize == 108 || headerSize == 124) {
    if (got < kFileHeaderSize + headerSize) return BmpStatus::NotBmp;
    // A header of 16..64 bytes other than the Windows sizes is OS/2 2.x: its missing fields
    // read as zero, and its compression numbers 3 and 4 mean something else.
    os2 = headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize <= 64;
    std::array<std::uint8_t, 124> full{};
    std::memcpy(full.data(), h, headerSize);
    width = I32(full.data() + 4);
    height = I32(full.data() + 8);
    info.bitCount = static_cast<int>(U16(full.data() + 14));
    info.compression = U32(full.data() + 16);
    clrUsed = U32(full.data() + 32);
    if (!os2 && headerSize >= 52) {
      masks[0] = U32(full.data() + 40);
      masks[1] = U32(full.data() + 44);
      masks[2] = U32(full.data() + 48);
    }
    if (os2 && info.compression > kRle4) return BmpStatus::Unsupported;  // Huffman, RLE24
    if (!os2 && headerSize == 40 &&
        (info.compression == kBitFields || info.compression == kAlphaBitFields)) {
      std::size_t maskBytes = info.compression == kBitFields ? 12 : 16;
      if (got < kFileHeaderSize + 40 + maskBytes) return BmpStatus::NotBmp;
      for (int i = 0; i < 3; ++i) masks[i] = U32(h + 40 + 4 * i);
      masksEnd += maskBytes;
    }
  } else {
    return BmpStatus::NotBmp;
  }

  if (height < 0) {
    info.topDown = true;
    height = -height;  // from a 32-bit value, so no overflow in 64 bits
  }
  // A height of -2^31 has no positive counterpart in 32 bits: nonsense, like a size of 0.
  if (width <= 0 || height <= 0 || height > INT32_MAX) return BmpStatus::NotBmp;
  info.width = static_cast<int>(width);
  info.height = static_cast<int>(height);
  if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxBmpPixels)
    return BmpStatus::TooLarge;

  const int bits = info.bitCount;
  switch (info.compression) {
    case kRgb:
      if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 &&
          bits != 32)
        return BmpStatus::Unsupported;
      break;
    case kRle8:
      if (bits != 8 || info.topDown) return BmpStatus::Unsupported;
      break;
    case kRle4:
      if (bits != 4 || info.topDown) return BmpStatus::Unsupported;
      break;
    case kBitFields:
    case kAlphaBitFields:
      if (bits != 16 && bits != 32) return BmpStatus::Unsupported;
      break;
    default:
      return BmpStatus::Unsupported;
  }
  if (info.compression == kRgb && bits == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  } else if (info.compression == kRgb && bits == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0xFF00;
    masks[2] = 0xFF;
  }
  if (bits == 16) {  // bits above the pixel's 16 cannot be in it
    for (auto& m : masks) m &= 0xFFFF;
  }
  layout.red = Channel(masks[0]);
  layout.green = Channel(masks[1]);
  layout.blue = Channel(masks[2]);

  layout.stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
  layout.paletteStart = masksEnd;
  std::uint64_t declared = 0;
  if (bits <= 8) {
    std::uint64_t full = std::uint64_t{1} << bits;
    declared = (clrUsed == 0 || clrUsed > full || headerSize == 12) ? full : clrUsed;
  }
  // The pixel offset wins over the declared palette when it leaves less room; an offset that
  // points into the headers is nonsense and gives way to the declared palette.
  std::uint64_t natural = layout.paletteStart + declared * layout.paletteEntrySize;
  if (offBits < layout.paletteStart) {
    layout.dataOffset = natural;
  } else {
    layout.dataOffset = offBits;
    declared = std::min(declared, (offBits - layout.paletteStart) / layout.paletteEntrySize);
  }
  layout.paletteCount = static_cast<int>(declared);
  return BmpStatus::Ok;
}

// The palette with every entry the file does not give set to black, so a bad index is black.
std::array<std::uint32_t, 256> ReadPalette(Source& source, const Layout& layout) {
  std::array<std::uint32_t, 256> palette;
  palette.fill(kBlack);
  std::array<std::uint8_t, 256 * 4> raw{};
  std::size_t bytes = static_cast<std::size_t>(layout.paletteCount) * layout.paletteEntrySize;
  std::size_t got = source.ReadAt(layout.paletteStart, raw.data(), bytes);
  int entries = static_cast<int>(got / layout.paletteEntrySize);
  for (int i = 0; i < entries; ++i) {
    const std::uint8_t* e = raw.data() + i * layout.paletteEntrySize;
    palette[i] = kBlack | (e[2] << 16) | (e[1] << 8) | e[0];
  }
  return palette;
}

// Nearest-pixel mapping of each target column (row) to a source column (row).
std::vector<int> NearestMap(int target, int source) {
  std::vector<int> map(target);
  for (int t = 0; t < target; ++t) {
    std::int64_t s = ((2 * static_cast<std::int64_t>(t) + 1) * source) / (2 * target);
    map[t] = static_cast<int>(std::min<std::int64_t>(s, source - 1));
  }
  return map;
}

bool DecodeUncompressed(Source& source, const Layout& layout, BmpPixels& out) {
  const BmpInfo& info = layout.info;
  const int bits = info.bitCount;
  std::vector<int> columns = NearestMap(out.width, info.width);
  std::vector<int> rows = NearestMap(out.height, info.height);
  std::array<std::uint32_t, 256> palette = ReadPalette(source, layout);

  // Only the bytes from the first to the last shown column are read.
  std::uint64_t firstByte = static_cast<std::uint64_t>(columns.front()) * bits / 8;
  std::uint64_t endByte = (static_cast<std::uint64_t>(columns.back() + 1) * bits + 7) / 8;
  std::vector<std::uint8_t> row(endByte - firstByte);

  for (int ty = 0; ty < out.height; ++ty) {
    if (ty % 64 == 63 && source.Cancelled()) return false;
    std::uint32_t* dst = out.pixels.data() + static_cast<std::size_t>(ty) * out.width;
    if (ty > 0 && rows[ty] == rows[ty - 1]) {
      std::memcpy(dst, dst - out.width, out.width * sizeof(std::uint32_t));
      continue;
    }
    std::uint64_t stored = info.topDown ? rows[ty] : info.height - 1 - rows[ty];
    std::uint64_t at = layout.dataOffset + stored * layout.stride + firstByte;
    std::size_t got = source.ReadAt(at, row.data(), row.size());
    for (int tx = 0; tx < out.width; ++tx) {
      std::uint64_t bit = static_cast<std::uint64_t>(columns[tx]) * bits - firstByte * 8;
      std::size_t byte = static_cast<std::size_t>(bit / 8);
      if (byte + (bits + 7) / 8 > got) {  // cut off: black
        dst[tx] = kBlack;
        continue;
      }
      const std::uint8_t* p = row.data() + byte;
      std::uint32_t pixel;
      switch (bits) {
        case 1:
        case 2:
        case 4: {
          int shift = 8 - bits - static_cast<int>(bit % 8);
          pixel = palette[(p[0] >> shift) & ((1u << bits) - 1)];
          break;
        }
        case 8:
          pixel = palette[p[0]];
          break;
        case 24:
          pixel = kBlack | (p[2] << 16) | (p[1] << 8) | p[0];
          break;
        default: {  // 16 or 32 through the masks
          std::uint32_t v = bits == 16 ? U16(p) : U32(p);
          pixel = kBlack | (layout.red.Of(v) << 16) | (layout.green.Of(v) << 8) | layout.blue.Of(v);
        }
      }
      dst[tx] = pixel;
    }
  }
  return true;
}

// Sequential bytes of the RLE stream, read in blocks; ends at the end of the file.
class ByteStream {
 public:
  ByteStream(Source& source, std::uint64_t offset)
      : source_(source), next_(offset), buffer_(65536) {}
  bool Get(std::uint8_t& byte) {
    if (pos_ == len_) {
      if (source_.Cancelled()) {
        cancelled_ = true;
        return false;
      }
      len_ = source_.ReadAt(next_, buffer_.data(), buffer_.size());
      next_ += len_;
      pos_ = 0;
      if (len_ == 0) return false;
    }
    byte = buffer_[pos_++];
    return true;
  }
  bool Cancelled() const { return cancelled_; }

 private:
  Source& source_;
  std::uint64_t next_;
  std::vector<std::uint8_t> buffer_;
  std::size_t pos_ = 0, len_ = 0;
  bool cancelled_ = false;
};

// RLE must be walked from the start; only rows that are shown are expanded. Pixels the stream
// skips (deltas, early ends of line or bitmap, a cut-off file) stay black.
bool DecodeRle(Source& source, const Layout& layout, BmpPixels& out) {
  const BmpInfo& info = layout.info;
  const bool four = info.compression == kRle4;
  std::vector<int> columns = NearestMap(out.width, info.width);
  std::vector<int> rows = NearestMap(out.height, info.height);
  std::array<std::uint32_t, 256> palette = ReadPalette(source, layout);
  // RLE pictures are stored bottom-up: stored row y is picture row height - 1 - y.
  const int lastNeeded = info.height - 1 - rows.front();

  std::vector<std::uint32_t> line(info.width, kBlack);
  int y = 0, x = 0;
  bool needed = false;
  auto enterRow = [&] {
    needed = std::binary_search(rows.begin(), rows.end(), info.height - 1 - y);
  };
  auto leaveRow = [&] {
    if (!needed) return;
    auto range = std::equal_range(rows.begin(), rows.end(), info.height - 1 - y);
    for (auto it = range.first; it != range.second; ++it) {
      std::uint32_t* dst =
          out.pixels.data() + static_cast<std::size_t>(it - rows.begin()) * out.width;
      for (int tx = 0; tx < out.width; ++tx) dst[tx] = line[columns[tx]];
    }
    std::fill(line.begin(), line.end(), kBlack);
  };
  auto put = [&](std::uint8_t index) {
    if (needed && x < info.width) line[x] = palette[index];
    ++x;
  };

  ByteStream in(source, layout.dataOffset);
  enterRow();
  std::uint8_t count, value;
  while (y <= lastNeeded && in.Get(count) && in.Get(value)) {
    if (count > 0) {  // a run of one value (RLE4: two alternating nibbles)
      int n = std::min<int>(count, std::max(0, info.width - x));
      for (int i = 0; i < n; ++i) put(four ? ((i & 1) ? value & 0xF : value >> 4) : value);
      x += count - n;
      continue;
    }
    if (value == 0) {  // end of line
      leaveRow();
      ++y;
      x = 0;
      enterRow();
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // move right and up
      std::uint8_t dx, dy;
      if (!in.Get(dx) || !in.Get(dy)) break;
      if (dy > 0) {
        leaveRow();
        y += dy;
        enterRow();
      }
      x += dx;
    } else {  // `value` literal pixels, padded to a whole 16-bit word
      int bytes = four ? (value + 1) / 2 : value;
      std::uint8_t b = 0;
      bool cut = false;
      for (int i = 0; i < value && !cut; ++i) {
        if (four) {
          if ((i & 1) == 0) cut = !in.Get(b);
          if (!cut) put((i & 1) ? b & 0xF : b >> 4);
        } else {
          cut = !in.Get(b);
          if (!cut) put(b);
        }
      }
      if (cut) break;
      if (bytes & 1) in.Get(b);
    }
    x = std::min(x, info.width);  // runs past the right edge are dropped
  }
  if (in.Cancelled()) return false;
  if (y < info.height) leaveRow();
  return true;
}

BmpStatus Decode(Source& source, int targetWidth, int targetHeight, BmpPixels& out) {
  out = {};
  if (targetWidth <= 0 || targetHeight <= 0 || targetWidth > kMaxPictureSide ||
      targetHeight > kMaxPictureSide ||
      static_cast<std::int64_t>(targetWidth) * targetHeight > kMaxShownPixels)
    return BmpStatus::BadTarget;
  Layout layout;
  BmpStatus status = ParseHeader(source, layout);
  if (status != BmpStatus::Ok) return status;
  out.width = targetWidth;
  out.height = targetHeight;
  out.pixels.assign(static_cast<std::size_t>(targetWidth) * targetHeight, kBlack);
  bool rle = layout.info.compression == kRle8 || layout.info.compression == kRle4;
  bool done = rle ? DecodeRle(source, layout, out) : DecodeUncompressed(source, layout, out);
  return done ? BmpStatus::Ok : BmpStatus::Cancelled;
}

}  // namespace

bool LooksLikeBmp(std::span<const std::uint8_t> firstBytes) {
  return firstBytes.size() >= 2 && firstBytes[0] == 'B' && firstBytes[1] == 'M';
}

BmpStatus ReadBmpInfo(std::span<const std::uint8_t> bytes, BmpInfo& info) {
  MemorySource source(bytes);
  Layout layout;
  BmpStatus status = ParseHeader(source, layout);
  const bool sized = status == BmpStatus::Ok || status == BmpStatus::TooLarge;
  info = sized ? layout.info : BmpInfo{};
  return status;
}

BmpStatus DecodeBmpScaled(std::span<const std::uint8_t> bytes, int targetWidth, int targetHeight,
                          BmpPixels& out) {
  MemorySource source(bytes);
  BmpStatus status = Decode(source, targetWidth, targetHeight, out);
  if (status != BmpStatus::Ok) out = {};
  return status;
}

BmpStatus DecodeBmpScaled(Os& os, const std::filesystem::path& file, int targetWidth,
                          int targetHeight, BmpPixels& out,
                          const std::function<bool()>& cancelled) {
  out = {};
  FileSource source(os, file);
  if (!source.IsOpen()) return BmpStatus::Unreadable;
  if (cancelled) source.SetCancel(&cancelled);
  BmpStatus status = Decode(source, targetWidth, targetHeight, out);
  if (status != BmpStatus::Ok) out = {};
  return status;
}

}  // namespace qvm
