// Width and height of a JPEG or BMP picture, read from its header alone, without a toolkit:
// what the command-line companion reports where the window asks its imaging library.
#pragma once

#include <filesystem>
#include <string_view>

#include "platform/Os.h"

namespace qvm {

struct ImageSize {
  int width = 0;
  int height = 0;
};

// The size a JPEG (any SOFn frame, progressive included) or BMP (core, info and later
// headers; a top-down picture's negative height counts by its magnitude) declares. 0 x 0 for
// anything else: another format, a cut header, a size of 0 or one that does not fit.
ImageSize ImageSizeOfFile(Os& os, const std::filesystem::path& file);
// The same for bytes already in memory (the start of the file, or all of it).
ImageSize ImageSizeOfBytes(std::string_view bytes);

}  // namespace qvm
