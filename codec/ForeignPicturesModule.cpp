#include "codec/ForeignPicturesModule.h"

#include <type_traits>

extern "C" __attribute__((visibility("default"))) bool QvmDecodeFirstFrame(
    const std::uint8_t* bytes, std::size_t size, qvm::RgbPicture* out, std::string* error) {
  return qvm::DecodeFirstFrame({bytes, size}, *out, *error);
}

// The loader's type and this function's must stay the same.
static_assert(std::is_same_v<decltype(QvmDecodeFirstFrame), qvm::ForeignDecodeFunction>);
