// The picture header reader on any bytes: no crash, and a size is either whole or 0 x 0.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "images/ImageSize.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qvm::ImageSize s = qvm::ImageSizeOfBytes(bytes);
  const bool none = s.width == 0 && s.height == 0;
  if (!none && (s.width <= 0 || s.height <= 0)) std::abort();
  return 0;
}
