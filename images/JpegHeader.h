// The frame header of a JPEG file, found by walking its markers up to the first scan, so that
// a picture can be judged by its size and by the memory its decoding needs before any decoder
// sees it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/Os.h"

namespace qvm {

struct JpegFrame {
  int width = 0;
  int height = 0;
  int components = 0;
  int maxH = 1, maxV = 1;  // largest sampling factors
  int h[4] = {1, 1, 1, 1};
  int v[4] = {1, 1, 1, 1};
  bool progressive = false;
  bool arithmetic = false;
  bool multiScan = false;  // the first scan holds fewer components than the frame
};

// Parses the markers from the start of the file to the first scan. False when the bytes are
// no JPEG, end early, or the frame is one no decoder should be handed: height 0 (given later),
// lossless, an unusual component count (not 1, 3 or 4) or sampling factor.
bool ReadJpegFrame(std::span<const std::uint8_t> bytes, JpegFrame& frame);
bool ReadJpegFrame(Os& os, const std::filesystem::path& file, JpegFrame& frame);

// The bytes a decoder must hold at once besides its output: every DCT coefficient of the
// picture when it arrives in several scans (progressive or component by component), otherwise
// a few rows of blocks.
std::uint64_t JpegDecodeMemory(const JpegFrame& frame);

}  // namespace qvm
