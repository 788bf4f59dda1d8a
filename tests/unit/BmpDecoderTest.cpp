// The BMP reader on generated files of every kind, on broken headers and cut-off data, and on
// the shared BMP test pictures.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "images/BmpDecoder.h"
#include "tests/unit/BmpWriter.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;
using test::BmpFormat;
using test::EncodeBmp;
using test::Picture;

const fs::path kBmpSuite = fs::path(QVM_TEST_IMAGES_DIR) / "bmpsuite";

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

BmpPixels Decode(const std::string& file, int w, int h, BmpStatus expect = BmpStatus::Ok) {
  BmpPixels out;
  EXPECT_EQ(DecodeBmpScaled(Bytes(file), w, h, out), expect);
  return out;
}

// What nearest-pixel scaling of `p` to w x h must give.
std::vector<std::uint32_t> Scaled(const Picture& p, int w, int h) {
  std::vector<std::uint32_t> out;
  for (int ty = 0; ty < h; ++ty)
    for (int tx = 0; tx < w; ++tx)
      out.push_back(p.At(static_cast<int>((2 * tx + 1) * std::int64_t{p.width} / (2 * w)),
                         static_cast<int>((2 * ty + 1) * std::int64_t{p.height} / (2 * h))));
  return out;
}

std::string Describe(const BmpFormat& f) {
  return std::string(f.name) + " bits " + std::to_string(f.bits) + " compression " +
         std::to_string(f.compression) + " header " + std::to_string(f.headerSize) +
         (f.topDown ? " top-down" : "");
}

TEST(BmpDecoder, EveryFormatDecodesAtFullAndScaledSizes) {
  for (const BmpFormat& format : test::AllBmpFormats()) {
    SCOPED_TRACE(Describe(format));
    Picture picture = test::PatternPicture(37, 11, format.bits < 8 ? 1 << format.bits : 8);
    std::string file = EncodeBmp(picture, format);
    BmpInfo info;
    ASSERT_EQ(ReadBmpInfo(Bytes(file), info), BmpStatus::Ok);
    EXPECT_EQ(info.width, 37);
    EXPECT_EQ(info.height, 11);
    EXPECT_EQ(info.topDown, format.topDown);
    EXPECT_EQ(Decode(file, 37, 11).pixels, picture.rgb);
    for (auto [w, h] : {std::pair{5, 3}, {36, 10}, {80, 25}, {1, 1}})
      EXPECT_EQ(Decode(file, w, h).pixels, Scaled(picture, w, h)) << w << "x" << h;
  }
}

TEST(BmpDecoder, ChannelsOfOtherWidthsStretchToFullRange) {
  Picture p{4, 1, {0xFF000000, 0xFFFFFFFF, 0xFF808080, 0xFF102030}};
  struct Case {
    BmpFormat format;
    std::vector<std::uint32_t> expected;
  } cases[] = {
      // 5 bits: 0x80 -> 16 -> 132; 0x10 -> 2 -> 16, 0x20 -> 4 -> 33, 0x30 -> 6 -> 49
      {{16, 0, false, 40, {}, "555"}, {0xFF000000, 0xFFFFFFFF, 0xFF848484, 0xFF102131}},
      // 1-bit channels: a half grey rounds up to full
      {{16, 3, false, 40, {0x4, 0x2, 0x1, 0}, "111"},
       {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000}},
      // a missing blue mask reads as no blue
      {{32, 3, false, 40, {0xFF0000, 0xFF00, 0, 0}, "no blue"},
       {0xFF000000, 0xFFFFFF00, 0xFF808000, 0xFF102000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format.name);
    EXPECT_EQ(Decode(EncodeBmp(p, c.format), 4, 1).pixels, c.expected);
  }
}

// Headers that must be refused before any pixel is read.
TEST(BmpDecoder, HeadersAreCheckedBeforeAnyPixel) {
  const std::string good = EncodeBmp(test::PatternPicture(4, 4, 2), {24, 0, false, 40});
  auto with32 = [&](std::size_t at, std::uint32_t v) {
    std::string s = good;
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
  };
  auto with16 = [&](std::size_t at, std::uint16_t v) {
    std::string s = good;
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
    return s;
  };
  struct Case {
    const char* what;
    std::string file;
    BmpStatus status;
    int width = 0, height = 0;  // kept in the info when too large
  } cases[] = {
      {"empty", "", BmpStatus::NotBmp},
      {"no BM", "XY" + good.substr(2), BmpStatus::NotBmp},
      {"cut in the header", good.substr(0, 30), BmpStatus::NotBmp},
      {"unknown header size", with32(14, 200), BmpStatus::NotBmp},
      {"width 0", with32(18, 0), BmpStatus::NotBmp},
      {"negative width", with32(18, 0xFFFFFFFF), BmpStatus::NotBmp},
      {"height 0", with32(22, 0), BmpStatus::NotBmp},
      {"height INT_MIN", with32(22, 0x80000000), BmpStatus::NotBmp},
      {"width 32768", with32(18, 32768), BmpStatus::TooLarge, 32768, 4},
      {"height -40000", with32(22, static_cast<std::uint32_t>(-40000)), BmpStatus::TooLarge, 4,
       40000},
      {"20000 x 20000", with32(22, 20000).replace(18, 4, with32(18, 20000).substr(18, 4)),
       BmpStatus::TooLarge, 20000, 20000},
      {"3 bits", with16(28, 3), BmpStatus::Unsupported},
      {"64 bits", with16(28, 64), BmpStatus::Unsupported},
      {"embedded JPEG", with32(30, 4), BmpStatus::Unsupported},
      {"embedded PNG", with32(30, 5), BmpStatus::Unsupported},
      {"RLE8 of 24 bits", with32(30, 1), BmpStatus::Unsupported},
      {"bit fields of 24 bits", with32(30, 3), BmpStatus::Unsupported},
      {"unknown compression", with32(30, 0x7FFFFFFF), BmpStatus::Unsupported},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BmpInfo info;
    EXPECT_EQ(ReadBmpInfo(Bytes(c.file), info), c.status);
    EXPECT_EQ(info.width, c.width);
    EXPECT_EQ(info.height, c.height);
    BmpPixels out = Decode(c.file, 10, 10, c.status);
    EXPECT_TRUE(out.pixels.empty());
  }
  // Compressed pictures cannot be stored top-down; OS/2 compression 3 is Huffman, not fields.
  std::string rleTopDown = EncodeBmp(test::PatternPicture(4, 4, 2), {8, 1, false, 40});
  rleTopDown.replace(22, 4, std::string("\xFC\xFF\xFF\xFF", 4));
  BmpInfo info;
  EXPECT_EQ(ReadBmpInfo(Bytes(rleTopDown), info), BmpStatus::Unsupported);
  std::string huffman = EncodeBmp(test::PatternPicture(8, 4, 2), {1, 0, false, 64});
  huffman[30] = 3;
  EXPECT_EQ(ReadBmpInfo(Bytes(huffman), info), BmpStatus::Unsupported);
  // The target size has limits of its own.
  Decode(good, 0, 5, BmpStatus::BadTarget);
  Decode(good, 5, -1, BmpStatus::BadTarget);
  Decode(good, 32767, 32767, BmpStatus::BadTarget);
}

TEST(BmpDecoder, PaletteTroublesReadAsBlackNotAsStrayMemory) {
  Picture p{4, 1, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}};
  std::string file = EncodeBmp(p, {8, 0, false, 40});
  const std::size_t palette = 14 + 40, data = palette + 4 * 4;
  ASSERT_EQ(static_cast<unsigned char>(file[10]), data);
  struct Case {
    const char* what;
    std::string file;
    std::vector<std::uint32_t> expected;
  };
  std::string badIndex = file;
  badIndex[data + 2] = static_cast<char>(200);  // beyond the four entries
  std::string oversized = file;
  oversized[14 + 32] = static_cast<char>(0xE8), oversized[14 + 33] = 3;  // 1000 colours
  std::string shortPalette = file;
  shortPalette[10] = static_cast<char>(palette + 8);  // data begins after two entries
  shortPalette.erase(palette + 8, 8);
  std::string offsetInHeader = file;
  offsetInHeader[10] = 20;  // points into the header: the declared palette wins
  std::vector<std::uint32_t> all = p.rgb;
  std::vector<std::uint32_t> badIndexColours = {0xFFFF0000, 0xFF00FF00, 0xFF000000, 0xFFFFFFFF};
  std::vector<std::uint32_t> shortColours = {0xFFFF0000, 0xFF00FF00, 0xFF000000, 0xFF000000};
  for (const Case& c :
       {Case{"bad index", badIndex, badIndexColours}, Case{"1000 colours declared", oversized, all},
        Case{"palette shorter than declared", shortPalette, shortColours},
        Case{"pixel offset inside the header", offsetInHeader, all}}) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Decode(c.file, 4, 1).pixels, c.expected);
  }
}

// Hand-written RLE streams: deltas, early ends, runs past the edge, a stream cut short.
TEST(BmpDecoder, RleStreamsFollowTheirCommandsAndLeaveTheRestBlack) {
  const std::uint32_t R = 0xFFFF0000, G = 0xFF00FF00, K = 0xFF000000;
  auto rle8 = [&](int w, int h, const std::string& stream) {
    std::string header(40, '\0');
    header[0] = 40, header[4] = static_cast<char>(w), header[8] = static_cast<char>(h);
    header[12] = 1, header[14] = 8, header[16] = 1, header[32] = 2;
    std::string palette("\0\0\xFF\0\0\xFF\0\0", 8);  // 0 red, 1 green
    std::string file = "BM" + std::string(8, '\0') + std::string(1, 14 + 48) + std::string(3, '\0');
    return file + header + palette + stream;
  };
  struct Case {
    const char* what;
    std::string stream;
    std::vector<std::uint32_t> expected;  // 4 x 2, top row first
  } cases[] = {
      {"runs and end of line", std::string("\4\0\0\0\4\1\0\1", 8), {G, G, G, G, R, R, R, R}},
      {"end of bitmap early", std::string("\2\1\0\1", 4), {K, K, K, K, G, G, K, K}},
      {"delta right and up", std::string("\1\0\0\2\2\1\1\1\0\1", 10), {K, K, K, G, R, K, K, K}},
      {"run past the edge is cut", std::string("\xFF\1\0\0\3\0\0\1", 8), {R, R, R, K, G, G, G, G}},
      {"literal past the edge",
       std::string("\0\5\1\0\1\0\1\0\0\0\2\1\0\1", 14),
       {G, G, K, K, G, R, G, R}},
      {"stream cut mid-literal", std::string("\0\4\1\0", 4), {K, K, K, K, G, R, K, K}},
      {"stream cut after a run", std::string("\3\1", 2), {K, K, K, K, G, G, G, K}},
      {"delta beyond the top", std::string("\2\1\0\2\0\xFF\2\0", 8), {K, K, K, K, G, G, K, K}},
      {"empty stream", std::string(), {K, K, K, K, K, K, K, K}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Decode(rle8(4, 2, c.stream), 4, 2).pixels, c.expected);
  }
}

// A file cut anywhere after its header gives the same pixels every time: what is there, and
// black for what is missing.
TEST(BmpDecoder, CutOffFilesDecodeTheSameEveryTime) {
  for (const BmpFormat& format : test::AllBmpFormats()) {
    SCOPED_TRACE(Describe(format));
    Picture picture = test::PatternPicture(23, 9, format.bits < 8 ? 1 << format.bits : 8);
    std::string file = EncodeBmp(picture, format);
    BmpInfo info;
    ASSERT_EQ(ReadBmpInfo(Bytes(file), info), BmpStatus::Ok);
    std::size_t dataStart =
        static_cast<unsigned char>(file[10]) | (static_cast<unsigned char>(file[11]) << 8);
    std::size_t rowBytes = format.compression == 0 ? ((23 * format.bits + 31) / 32) * 4 : 0;
    for (std::size_t cut = dataStart; cut < file.size(); cut += 7) {
      std::string part = file.substr(0, cut);
      BmpPixels first = Decode(part, 23, 9);
      BmpPixels second = Decode(part, 23, 9);
      ASSERT_EQ(first.pixels, second.pixels) << cut;
      if (rowBytes == 0) continue;
      std::size_t wholeRows = (cut - dataStart) / rowBytes;
      for (int s = 0; s < 9; ++s) {
        int y = format.topDown ? s : 8 - s;
        for (int x = 0; x < 23; ++x) {
          std::uint32_t got = first.pixels[y * 23 + x];
          if (static_cast<std::size_t>(s) < wholeRows) {
            ASSERT_EQ(got, picture.At(x, y)) << "cut " << cut << " x " << x << " y " << y;
          } else if (static_cast<std::size_t>(s) > wholeRows) {
            ASSERT_EQ(got, 0xFF000000u) << "cut " << cut << " x " << x << " y " << y;
          }
        }
      }
    }
  }
}

TEST(BmpDecoder, FilesAreReadFromDiskTheSameAsFromMemory) {
  test::TempFolder folder;
  Picture picture = test::PatternPicture(40, 30, 8);
  for (const BmpFormat& format : {BmpFormat{24, 0, false, 40}, BmpFormat{4, 2, false, 40}}) {
    std::string file = EncodeBmp(picture, format);
    test::WriteBytes(folder / "p.bmp", file);
    BmpPixels fromFile;
    ASSERT_EQ(DecodeBmpScaled(SystemOs(), folder / "p.bmp", 17, 9, fromFile), BmpStatus::Ok);
    EXPECT_EQ(fromFile.pixels, Decode(file, 17, 9).pixels);
  }
  // A decode no longer wanted ends early, with nothing.
  for (const BmpFormat& format : {BmpFormat{24, 0, false, 40}, BmpFormat{8, 1, false, 40}}) {
    test::WriteBytes(folder / "tall.bmp", EncodeBmp(test::PatternPicture(400, 400, 8), format));
    BmpPixels cut;
    int asked = 0;
    EXPECT_EQ(DecodeBmpScaled(SystemOs(), folder / "tall.bmp", 400, 400, cut,
                              [&] { return ++asked > 1; }),
              BmpStatus::Cancelled);
    EXPECT_TRUE(cut.pixels.empty());
    EXPECT_EQ(DecodeBmpScaled(SystemOs(), folder / "tall.bmp", 400, 400, cut, [] { return false; }),
              BmpStatus::Ok);
  }
  BmpPixels out;
  EXPECT_EQ(DecodeBmpScaled(SystemOs(), folder / "missing.bmp", 5, 5, out), BmpStatus::Unreadable);
  EXPECT_EQ(DecodeBmpScaled(SystemOs(), folder.path(), 5, 5, out),
            BmpStatus::Unreadable);  // a folder
  EXPECT_EQ(DecodeBmpScaled(SystemOs(), fs::path("/dev/zero"), 5, 5, out), BmpStatus::Unreadable);
}

// The shared test pictures: good ones decode; nothing crashes, and every result repeats.
TEST(BmpDecoder, SharedTestPictures) {
  if (!fs::exists(kBmpSuite)) GTEST_SKIP() << "no BMP test pictures at " << kBmpSuite;
  std::map<std::string, int> refused;
  for (const char* sub : {"g", "q", "b"}) {
    for (const auto& entry : fs::directory_iterator(kBmpSuite / sub)) {
      SCOPED_TRACE(entry.path().string());
      BmpInfo info;
      BmpStatus header = ReadBmpInfo(Bytes(test::ReadBytes(entry.path())), info);
      BmpPixels first, second;
      BmpStatus status = DecodeBmpScaled(SystemOs(), entry.path(), 50, 40, first);
      EXPECT_EQ(status, header);
      EXPECT_EQ(DecodeBmpScaled(SystemOs(), entry.path(), 50, 40, second), status);
      EXPECT_EQ(first.pixels, second.pixels);
      if (std::string(sub) == "g") {
        EXPECT_EQ(status, BmpStatus::Ok);
        EXPECT_GT(info.width, 0);
      }
      if (status != BmpStatus::Ok) ++refused[sub];
    }
  }
  // b/ holds pictures that cannot be shown at all: an absurd size, a bad bit count, ...
  EXPECT_GT(refused["b"], 0);
  BmpInfo info;
  EXPECT_EQ(ReadBmpInfo(Bytes(test::ReadBytes(kBmpSuite / "b/reallybig.bmp")), info),
            BmpStatus::TooLarge);
  EXPECT_EQ(ReadBmpInfo(Bytes(test::ReadBytes(kBmpSuite / "g/rgb24.bmp")), info), BmpStatus::Ok);
  EXPECT_EQ(info.width, 127);
  EXPECT_EQ(info.height, 64);
}

}  // namespace
}  // namespace qvm
