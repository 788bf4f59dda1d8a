// Writes BMP files of every kind the preview reads, for the decoder's tests and the picture
// sweep: any bit depth, RLE8/RLE4, bit fields, top-down rows, OS/2 and Windows headers.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace qvm::test {

// Pixels as 0xFFRRGGBB, rows top to bottom.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> rgb;
  std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};

struct BmpFormat {
  int bits = 24;
  std::uint32_t compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields, 6 with alpha mask
  bool topDown = false;
  int headerSize = 40;  // 12 and 16..64 (but 40, 52, 56) are OS/2 headers
  std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha for bit fields
  const char* name = "";
};

// A few colours whose channels are 0 or 255, so that every pixel format holds them exactly.
inline Picture PatternPicture(int width, int height, int colours) {
  static const std::uint32_t kColours[] = {0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00,
                                           0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
  Picture p{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      p.rgb.push_back(kColours[((x / 2) + 3 * y + (x * y) % 3) % std::min(colours, 8)]);
  return p;
}

namespace detail {

inline void Put16(std::string& s, std::uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
inline void Set32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::uint32_t Quantize(std::uint32_t colour, std::uint32_t mask, int channelShift) {
  if (mask == 0) return 0;
  std::uint32_t c = (colour >> channelShift) & 0xFF;
  int shift = std::countr_zero(mask);
  std::uint64_t max = mask >> shift;
  return static_cast<std::uint32_t>(((c * max + 127) / 255) << shift);
}

// RLE of one row of palette indexes: runs of equal values, literal stretches of three or more.
inline void RleRow(std::string& out, const std::vector<int>& row, bool four) {
  std::size_t i = 0;
  while (i < row.size()) {
    std::size_t run = 1;
    while (i + run < row.size() && run < 255 && row[i + run] == row[i]) ++run;
    std::size_t literal = 0;
    if (run == 1) {
      while (i + literal < row.size() && literal < 255 &&
             (i + literal + 1 >= row.size() || row[i + literal + 1] != row[i + literal]))
        ++literal;
    }
    if (literal >= 3) {
      out += '\0';
      out += static_cast<char>(literal);
      std::string bytes;
      for (std::size_t k = 0; k < literal; ++k) {
        if (!four) {
          bytes += static_cast<char>(row[i + k]);
        } else if (k % 2 == 0) {
          bytes += static_cast<char>(row[i + k] << 4);
        } else {
          bytes.back() = static_cast<char>(bytes.back() | row[i + k]);
        }
      }
      if (bytes.size() % 2) bytes += '\0';
      out += bytes;
      i += literal;
    } else {
      out += static_cast<char>(run);
      out += static_cast<char>(four ? (row[i] << 4) | row[i] : row[i]);
      i += run;
    }
  }
}

}  // namespace detail

// The bytes of a BMP file showing `picture` in `format`. Pictures of 8 bits or less get a
// palette of their distinct colours, which must fit.
inline std::string EncodeBmp(const Picture& picture, const BmpFormat& format) {
  using namespace detail;
  const int bits = format.bits;
  const bool os2v1 = format.headerSize == 12;
  const bool windows = format.headerSize == 40 || format.headerSize == 52 ||
                       format.headerSize == 56 || format.headerSize == 108 ||
                       format.headerSize == 124;
  std::vector<std::uint32_t> palette;
  if (bits <= 8) {
    for (std::uint32_t c : picture.rgb)
      if (std::find(palette.begin(), palette.end(), c) == palette.end()) palette.push_back(c);
    if (os2v1) palette.resize(std::size_t{1} << bits, 0xFF000000);
  }
  auto index = [&](int x, int y) {
    return static_cast<int>(std::find(palette.begin(), palette.end(), picture.At(x, y)) -
                            palette.begin());
  };
  std::uint32_t masks[4] = {format.masks[0], format.masks[1], format.masks[2], format.masks[3]};
  if (format.compression == 0 && bits == 16) {
    masks[0] = 0x7C00, masks[1] = 0x3E0, masks[2] = 0x1F;
  } else if (format.compression == 0 && bits == 32) {
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  }

  // Pixel data, in stored row order.
  std::string data;
  const std::size_t stride = ((static_cast<std::size_t>(picture.width) * bits + 31) / 32) * 4;
  for (int s = 0; s < picture.height; ++s) {
    int y = format.topDown ? s : picture.height - 1 - s;
    if (format.compression == 1 || format.compression == 2) {
      std::vector<int> row;
      for (int x = 0; x < picture.width; ++x) row.push_back(index(x, y));
      RleRow(data, row, format.compression == 2);
      data += std::string("\0\0", 2);  // end of line
      continue;
    }
    std::string row(stride, '\0');
    for (int x = 0; x < picture.width; ++x) {
      std::uint32_t c = picture.At(x, y);
      if (bits <= 8) {
        std::size_t bit = static_cast<std::size_t>(x) * bits;
        row[bit / 8] = static_cast<char>(row[bit / 8] | (index(x, y) << (8 - bits - bit % 8)));
      } else if (bits == 24) {
        row[3 * x] = static_cast<char>(c & 0xFF);
        row[3 * x + 1] = static_cast<char>((c >> 8) & 0xFF);
        row[3 * x + 2] = static_cast<char>((c >> 16) & 0xFF);
      } else {
        std::uint32_t v = Quantize(c, masks[0], 16) | Quantize(c, masks[1], 8) |
                          Quantize(c, masks[2], 0) | masks[3];
        for (int i = 0; i < bits / 8; ++i)
          row[x * (bits / 8) + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
      }
    }
    data += row;
  }
  if (format.compression == 1 || format.compression == 2) data += std::string("\0\1", 2);

  std::string header;
  if (os2v1) {
    Put32(header, 12);
    Put16(header, picture.width);
    Put16(header, picture.height);
    Put16(header, 1);
    Put16(header, bits);
  } else {
    header.assign(format.headerSize, '\0');
    Set32(header, 0, format.headerSize);
    Set32(header, 4, picture.width);
    Set32(header, 8, format.topDown ? -picture.height : picture.height);
    header[12] = 1;
    header[14] = static_cast<char>(bits);
    if (format.headerSize >= 20) Set32(header, 16, format.compression);
    if (format.headerSize >= 24) Set32(header, 20, static_cast<std::uint32_t>(data.size()));
    if (format.headerSize >= 36) Set32(header, 32, static_cast<std::uint32_t>(palette.size()));
    if (format.compression == 3 || format.compression == 6) {
      if (windows && format.headerSize >= 52) {
        for (int i = 0; i < 3; ++i) Set32(header, 40 + 4 * i, masks[i]);
        if (format.headerSize >= 56) Set32(header, 52, masks[3]);
      } else {
        for (int i = 0; i < (format.compression == 6 ? 4 : 3); ++i) Put32(header, masks[i]);
      }
    }
  }
  for (std::uint32_t c : palette) {
    header += static_cast<char>(c & 0xFF);
    header += static_cast<char>((c >> 8) & 0xFF);
    header += static_cast<char>((c >> 16) & 0xFF);
    if (!os2v1) header += '\0';
  }
  std::string file = "BM";
  Put32(file, static_cast<std::uint32_t>(14 + header.size() + data.size()));
  Put32(file, 0);
  Put32(file, static_cast<std::uint32_t>(14 + header.size()));
  return file + header + data;
}

// Every kind of BMP the preview reads, as one table.
inline std::vector<BmpFormat> AllBmpFormats() {
  std::vector<BmpFormat> f;
  auto add = [&](BmpFormat x) { f.push_back(x); };
  for (bool topDown : {false, true}) {
    for (int bits : {1, 2, 4, 8, 24}) add({bits, 0, topDown, 40, {}, "palette/rgb"});
    add({16, 0, topDown, 40, {}, "rgb16 555"});
    add({32, 0, topDown, 40, {}, "rgb32"});
    add({16, 3, topDown, 40, {0xF800, 0x7E0, 0x1F, 0}, "bit fields 565"});
    add({32, 3, topDown, 40, {0xFF000000, 0xFF0000, 0xFF00, 0}, "bit fields 32 shifted"});
    add({32, 6, topDown, 40, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}, "alpha bit fields 10-bit"});
    add({16, 3, topDown, 108, {0xF00, 0xF0, 0xF, 0xF000}, "v4 4444"});
    add({8, 0, topDown, 124, {}, "v5 palette"});
    add({32, 3, topDown, 56, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, "v3 bit fields"});
    add({4, 0, topDown, 64, {}, "os2 v2 64"});
    add({8, 0, topDown, 16, {}, "os2 v2 16"});
  }
  add({8, 1, false, 40, {}, "rle8"});
  add({4, 2, false, 40, {}, "rle4"});
  add({8, 1, false, 64, {}, "os2 v2 rle8"});
  add({1, 0, false, 12, {}, "os2 v1 1-bit"});
  add({8, 0, false, 12, {}, "os2 v1 8-bit"});
  add({24, 0, false, 12, {}, "os2 v1 24-bit"});
  return f;
}

}  // namespace qvm::test
