#include "images/ImageSize.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/FileReader.h"

namespace qvm {
namespace {

// Random access to the picture's bytes, from a file or from memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Fills `out` with `n` bytes at `offset`; false when the source ends before.
  virtual bool ReadAt(std::uint64_t offset, std::size_t n, unsigned char* out) = 0;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  bool ReadAt(std::uint64_t offset, std::size_t n, unsigned char* out) override {
    if (offset > bytes_.size() || bytes_.size() - offset < n) return false;
    std::memcpy(out, bytes_.data() + offset, n);
    return true;
  }

 private:
  std::string_view bytes_;
};

// Reads through the reader's block: the JPEG walk asks for one byte at a time.
class FileSource : public ByteSource {
 public:
  FileSource(Os& os, const std::filesystem::path& file) : reader_(os, file) {}
  bool ok() const { return reader_.IsOpen(); }
  bool ReadAt(std::uint64_t offset, std::size_t n, unsigned char* out) override {
    return reader_.ReadAt(offset, out, n) == n;
  }

 private:
  FileReader reader_;
};

std::uint32_t Le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t Le32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint32_t Be16(const unsigned char* p) { return (p[0] << 8) | p[1]; }

ImageSize Checked(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0 || width > INT_MAX || height > INT_MAX) return {};
  return {static_cast<int>(width), static_cast<int>(height)};
}

// File header (14 bytes), then the DIB header whose first field is its own size. The OS/2
// core header (12) has 16-bit sizes; every later one (OS/2 2.x in its 16 to 64 byte forms,
// info, v2 to v5) has signed 32-bit sizes, a negative height meaning rows stored top-down.
ImageSize BmpSize(ByteSource& src) {
  std::array<unsigned char, 26> h{};
  if (!src.ReadAt(0, 22, h.data()) || h[0] != 'B' || h[1] != 'M') return {};
  const std::uint32_t headerSize = Le32(&h[14]);
  if (headerSize == 12) return Checked(Le16(&h[18]), Le16(&h[20]));
  static constexpr std::uint32_t kKnown[] = {16, 40, 52, 56, 64, 108, 124};
  bool known = false;
  for (std::uint32_t k : kKnown) known = known || headerSize == k;
  if (!known || !src.ReadAt(22, 4, &h[22])) return {};
  const auto width = static_cast<std::int32_t>(Le32(&h[18]));
  const auto height = static_cast<std::int32_t>(Le32(&h[22]));
  // |INT32_MIN| does not fit; Checked refuses it.
  return Checked(width, height < 0 ? -static_cast<std::int64_t>(height) : height);
}

// Start of image, then marker segments up to the first frame header (SOF0 to SOF15 except
// DHT C4, JPG C8 and DAC CC); a scan or the end before any frame header means no size.
ImageSize JpegSize(ByteSource& src) {
  unsigned char b[8];
  if (!src.ReadAt(0, 2, b) || b[0] != 0xFF || b[1] != 0xD8) return {};
  std::uint64_t pos = 2;
  for (;;) {
    // Bytes before a marker are skipped, as decoders do with a warning; so are fill bytes.
    if (!src.ReadAt(pos, 1, b)) return {};
    ++pos;
    if (b[0] != 0xFF) continue;
    unsigned char marker = 0xFF;
    while (marker == 0xFF) {
      if (!src.ReadAt(pos, 1, &marker)) return {};
      ++pos;
    }
    if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) {
      continue;  // stuffed byte or a marker without a segment
    }
    if (marker == 0xD9 || marker == 0xDA) return {};
    if (!src.ReadAt(pos, 2, b)) return {};
    const std::uint32_t length = Be16(b);
    if (length < 2) return {};
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      // length, precision, height, width
      if (length < 7 || !src.ReadAt(pos + 2, 5, b)) return {};
      return Checked(Be16(&b[3]), Be16(&b[1]));
    }
    pos += length;
  }
}

ImageSize SizeOf(ByteSource& src) {
  unsigned char first = 0;
  if (!src.ReadAt(0, 1, &first)) return {};
  return first == 'B' ? BmpSize(src) : JpegSize(src);
}

}  // namespace

ImageSize ImageSizeOfFile(Os& os, const std::filesystem::path& file) {
  FileSource src(os, file);
  if (!src.ok()) return {};
  return SizeOf(src);
}

ImageSize ImageSizeOfBytes(std::string_view bytes) {
  MemorySource src(bytes);
  return SizeOf(src);
}

}  // namespace qvm
