#include "images/JpegHeader.h"

#include <algorithm>
#include <vector>

#include "platform/FileReader.h"

namespace qvm {
namespace {

// Reads the marker stream through a callback that gives `count` bytes at `offset`.
template <typename ReadAt>
bool Walk(ReadAt&& readAt, JpegFrame& frame) {
  frame = {};
  std::uint8_t b[4];
  if (readAt(0, b, 2) != 2 || b[0] != 0xFF || b[1] != 0xD8) return false;
  std::uint64_t at = 2;
  bool haveFrame = false;
  // Files with thousands of segments before the first scan are no pictures anyone made.
  for (int segments = 0; segments < 4096; ++segments) {
    // Decoders skip stray bytes before a marker (with a warning); so do we, within reason.
    for (int junk = 0;; ++at, ++junk) {
      if (junk > 65536 || readAt(at, b, 1) != 1) return false;
      if (b[0] == 0xFF) break;
    }
    std::uint8_t marker = 0xFF;
    while (marker == 0xFF) {  // fill bytes
      if (readAt(++at, &marker, 1) != 1) return false;
    }
    ++at;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length
    if (marker == 0xD9) return false;  // end of image before any scan
    if (readAt(at, b, 2) != 2) return false;
    std::uint32_t length = (b[0] << 8) | b[1];
    if (length < 2) return false;
    bool sof =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (sof) {
      if (haveFrame) return false;
      std::uint8_t head[6 + 3 * 4];
      if (length < 8 || readAt(at + 2, head, 6) != 6) return false;
      frame.height = (head[1] << 8) | head[2];
      frame.width = (head[3] << 8) | head[4];
      frame.components = head[5];
      if (frame.width == 0 || frame.height == 0) return false;
      if (frame.components != 1 && frame.components != 3 && frame.components != 4) return false;
      if (length < 8 + 3u * frame.components) return false;
      if (readAt(at + 8, head + 6, 3 * frame.components) !=
          static_cast<std::size_t>(3 * frame.components))
        return false;
      if (marker == 0xC3 || marker == 0xC7 || marker == 0xCB || marker == 0xCF) return false;
      frame.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
      frame.arithmetic = marker >= 0xC9;
      frame.maxH = frame.maxV = 1;
      for (int c = 0; c < frame.components; ++c) {
        int hv = head[6 + 3 * c + 1];
        frame.h[c] = hv >> 4;
        frame.v[c] = hv & 0xF;
        if (frame.h[c] < 1 || frame.h[c] > 4 || frame.v[c] < 1 || frame.v[c] > 4) return false;
        frame.maxH = std::max(frame.maxH, frame.h[c]);
        frame.maxV = std::max(frame.maxV, frame.v[c]);
      }
      haveFrame = true;
    } else if (marker == 0xDA) {  // start of scan: the header ends here
      if (!haveFrame || readAt(at + 2, b, 1) != 1) return false;
      frame.multiScan = b[0] < frame.components;
      return true;
    }
    at += length;
  }
  return false;
}

}  // namespace

bool ReadJpegFrame(std::span<const std::uint8_t> bytes, JpegFrame& frame) {
  auto readAt = [&](std::uint64_t offset, std::uint8_t* to, std::size_t count) -> std::size_t {
    if (offset >= bytes.size()) return 0;
    std::size_t n = std::min<std::uint64_t>(count, bytes.size() - offset);
    std::copy_n(bytes.data() + offset, n, to);
    return n;
  };
  bool ok = Walk(readAt, frame);
  if (!ok) frame = {};
  return ok;
}

bool ReadJpegFrame(Os& os, const std::filesystem::path& file, JpegFrame& frame) {
  frame = {};
  FileReader reader(os, file);
  if (!reader.IsOpen()) return false;
  auto readAt = [&](std::uint64_t offset, std::uint8_t* to, std::size_t count) {
    return reader.ReadAt(offset, to, count);
  };
  bool ok = Walk(readAt, frame);
  if (!ok) frame = {};
  return ok;
}

std::uint64_t JpegDecodeMemory(const JpegFrame& frame) {
  std::uint64_t blocks = 0;
  const std::uint64_t mcuW = 8u * frame.maxH, mcuH = 8u * frame.maxV;
  const std::uint64_t mcusX = (frame.width + mcuW - 1) / mcuW;
  const std::uint64_t mcusY = (frame.height + mcuH - 1) / mcuH;
  for (int c = 0; c < frame.components; ++c) {
    std::uint64_t perRow = mcusX * frame.h[c];
    std::uint64_t rows = (frame.progressive || frame.multiScan) ? mcusY * frame.v[c] : frame.v[c];
    blocks += perRow * rows;
  }
  return blocks * 64 * sizeof(std::int16_t);
}

}  // namespace qvm
