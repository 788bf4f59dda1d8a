// The BMP decoder behind the picture header reader on any bytes: no crash, no read out of
// bounds, the decoder takes exactly the BMPs the reader says are shown, and a picture decodes
// to the same pixels twice.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "images/BmpDecoder.h"
#include "images/PictureHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  const qvm::PictureHeader header = qvm::ReadPictureHeader(bytes);
  // The target size comes from the last bytes, so that scaling is explored as well.
  int w = size > 0 ? 1 + data[size - 1] % 64 : 7;
  int h = size > 1 ? 1 + data[size - 2] % 64 : 5;
  qvm::BmpPixels first, second;
  qvm::BmpStatus status = qvm::DecodeBmpScaled(bytes, w, h, first);
  const bool shownBmp = header.format == qvm::PictureFormat::Bmp && header.Shown();
  if ((status == qvm::BmpStatus::Ok) != shownBmp) std::abort();
  if (status == qvm::BmpStatus::Ok) {
    if (first.pixels.size() != static_cast<std::size_t>(w) * h) std::abort();
    qvm::DecodeBmpScaled(bytes, w, h, second);
    if (second.pixels != first.pixels) std::abort();
  }
  return 0;
}
