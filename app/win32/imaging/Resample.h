// Scales a picture the way the preview shows it: a shown pixel is the average of the picture's
// pixels it covers when shrinking, and interpolated between the nearest two when enlarging, in
// each direction apart. The picture arrives row by row, so it is never held whole: only the
// result is. (WIC's own scaler picks the nearest pixel under Wine, which turns fine detail
// into noise.)
#pragma once

#include <cstdint>
#include <vector>

namespace qvm {

class RowResampler {
 public:
  // Both sizes positive.
  RowResampler(int sourceWidth, int sourceHeight, int width, int height);
  // Adds row `y` of the picture: sourceWidth pixels 0xAARRGGBB (alpha ignored). Each row once.
  void AddRow(int y, const std::uint32_t* row);
  // width x height opaque pixels 0xFFRRGGBB, rows top down; rows never added count as black.
  std::vector<std::uint32_t> Result() const;

 private:
  struct Tap {
    int index;
    float weight;
  };
  // For each of the `to` positions, the `from` positions it takes and their weights (sum 1).
  static std::vector<std::vector<Tap>> Taps(int from, int to);

  int width_;
  std::vector<std::vector<Tap>> columns_;  // per shown column: picture columns
  std::vector<std::vector<Tap>> rows_;     // per picture row: shown rows
  std::vector<float> line_;                // one picture row scaled across, 3 per pixel
  std::vector<float> sum_;                 // the result, 3 per pixel
};

}  // namespace qvm
