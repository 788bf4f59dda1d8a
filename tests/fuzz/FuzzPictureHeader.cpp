// The picture header reader on any bytes: no crash, and what it decides holds together: a
// shown picture has a size within the limits, any other file reports 0 x 0.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "images/PictureHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const qvm::PictureHeader h = qvm::ReadPictureHeader(std::span<const std::uint8_t>(data, size));
  if (h.Shown()) {
    if (h.format == qvm::PictureFormat::None) std::abort();
    if (h.Width() <= 0 || h.Height() <= 0) std::abort();
    if (h.Width() > qvm::kMaxPictureSide || h.Height() > qvm::kMaxPictureSide) std::abort();
  } else {
    if (h.Width() != 0 || h.Height() != 0 || qvm::PictureProblemText(h).empty()) std::abort();
  }
  if (h.problem == qvm::PictureProblem::TooLarge && (h.declaredWidth <= 0 || h.declaredHeight <= 0))
    std::abort();
  return 0;
}
