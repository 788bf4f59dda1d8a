#include "app/win32/imaging/Resample.h"

#include <algorithm>
#include <cmath>

namespace qvm {

std::vector<std::vector<RowResampler::Tap>> RowResampler::Taps(int from, int to) {
  std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(to));
  const double scale = static_cast<double>(from) / to;
  for (int t = 0; t < to; ++t) {
    std::vector<Tap>& tap = taps[static_cast<std::size_t>(t)];
    if (scale >= 1) {  // shrinking: the covered stretch, partly covered pixels in part
      const double low = t * scale, high = (t + 1) * scale;
      const int last = std::min(from, static_cast<int>(std::ceil(high)));
      for (int s = static_cast<int>(low); s < last; ++s) {
        const double overlap = std::min(high, s + 1.0) - std::max(low, static_cast<double>(s));
        if (overlap > 0) tap.push_back({s, static_cast<float>(overlap / scale)});
      }
    } else {  // enlarging: between the two nearest pixel centres
      const double centre = (t + 0.5) * scale - 0.5;
      const int below = static_cast<int>(std::floor(centre));
      const float part = static_cast<float>(centre - below);
      const int first = std::clamp(below, 0, from - 1), second = std::clamp(below + 1, 0, from - 1);
      if (first == second) {
        tap.push_back({first, 1.0f});
      } else {
        tap.push_back({first, 1.0f - part});
        tap.push_back({second, part});
      }
    }
  }
  return taps;
}

RowResampler::RowResampler(int sourceWidth, int sourceHeight, int width, int height)
    : width_(width),
      columns_(Taps(sourceWidth, width)),
      rows_(static_cast<std::size_t>(sourceHeight)),
      line_(static_cast<std::size_t>(width) * 3),
      sum_(static_cast<std::size_t>(width) * height * 3) {
  const std::vector<std::vector<Tap>> shownRows = Taps(sourceHeight, height);
  for (int t = 0; t < height; ++t)
    for (const Tap& tap : shownRows[static_cast<std::size_t>(t)])
      rows_[static_cast<std::size_t>(tap.index)].push_back({t, tap.weight});
}

void RowResampler::AddRow(int y, const std::uint32_t* row) {
  if (y < 0 || y >= static_cast<int>(rows_.size()) || rows_[static_cast<std::size_t>(y)].empty())
    return;
  for (int x = 0; x < width_; ++x) {
    float r = 0, g = 0, b = 0;
    for (const Tap& tap : columns_[static_cast<std::size_t>(x)]) {
      const std::uint32_t pixel = row[tap.index];
      r += tap.weight * static_cast<float>((pixel >> 16) & 0xFF);
      g += tap.weight * static_cast<float>((pixel >> 8) & 0xFF);
      b += tap.weight * static_cast<float>(pixel & 0xFF);
    }
    float* out = &line_[static_cast<std::size_t>(x) * 3];
    out[0] = r, out[1] = g, out[2] = b;
  }
  for (const Tap& tap : rows_[static_cast<std::size_t>(y)]) {
    float* sum = &sum_[static_cast<std::size_t>(tap.index) * width_ * 3];
    for (std::size_t i = 0; i < line_.size(); ++i) sum[i] += tap.weight * line_[i];
  }
}

std::vector<std::uint32_t> RowResampler::Result() const {
  std::vector<std::uint32_t> pixels(sum_.size() / 3);
  auto channel = [](float v) {
    return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L));
  };
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = 0xFF000000 | channel(sum_[3 * i]) << 16 | channel(sum_[3 * i + 1]) << 8 |
                channel(sum_[3 * i + 2]);
  return pixels;
}

}  // namespace qvm
