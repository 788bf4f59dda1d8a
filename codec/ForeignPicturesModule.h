// The module of Qt's picture readers that the CLI loads at its first picture in another format
// (LoadedForeignPictures.cpp), and the one function it exports (ForeignPicturesModule.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/ForeignPictures.h"

namespace qvm {

inline constexpr char kForeignPicturesModule[] = "qvm-foreign-pictures.so";
inline constexpr char kForeignDecodeFunction[] = "QvmDecodeFirstFrame";
using ForeignDecodeFunction = bool(const std::uint8_t* bytes, std::size_t size, RgbPicture* out,
                                   std::string* error);

}  // namespace qvm
