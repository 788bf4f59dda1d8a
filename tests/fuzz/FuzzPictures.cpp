// The BMP reader and the JPEG frame walk on any bytes: no crash, no read out of bounds, and a
// picture decodes to the same pixels twice.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "images/BmpDecoder.h"
#include "images/JpegHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  qvm::JpegFrame frame;
  if (qvm::ReadJpegFrame(bytes, frame) && (frame.width <= 0 || frame.height <= 0)) std::abort();
  qvm::BmpInfo info;
  qvm::BmpStatus header = qvm::ReadBmpInfo(bytes, info);
  // The target size comes from the last bytes, so that scaling is explored as well.
  int w = size > 0 ? 1 + data[size - 1] % 64 : 7;
  int h = size > 1 ? 1 + data[size - 2] % 64 : 5;
  qvm::BmpPixels first, second;
  qvm::BmpStatus status = qvm::DecodeBmpScaled(bytes, w, h, first);
  if (status != header) std::abort();
  if (status == qvm::BmpStatus::Ok) {
    if (first.pixels.size() != static_cast<std::size_t>(w) * h) std::abort();
    qvm::DecodeBmpScaled(bytes, w, h, second);
    if (second.pixels != first.pixels) std::abort();
  }
  return 0;
}
