// The picture codec of this platform on pictures made here: JPEGs cropped and turned without
// loss where the block grid allows and through pixels where it does not, other formats
// converted, hostile sizes refused before decoding. The same tests run on Linux (libjpeg-turbo
// and Qt's readers) and under Wine (libjpeg-turbo and WIC), so both agree.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "codec/ForeignPictures.h"
#include "codec/PictureCodecs.h"
#include "images/ExifOrientation.h"
#include "images/PictureHeader.h"

namespace qvm {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

std::uint32_t Crc(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFF;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

void Chunk(Bytes& png, const char* type, const Bytes& data) {
  Put32(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  Put32(png, Crc(png.data() + start, png.size() - start));
}

// A PNG (RGBA, stored without compression) of `pixel(x, y)` as 0xAARRGGBB; `declared`, when
// given, is the size its header claims instead.
template <class Pixel>
Bytes Png(int width, int height, Pixel pixel, std::array<int, 2> declared = {0, 0}) {
  Bytes raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = pixel(x, y);
      for (int s : {16, 8, 0, 24}) raw.push_back(static_cast<std::uint8_t>(p >> s));
    }
  }
  Bytes z = {0x78, 0x01};
  for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    z.push_back(at + n >= raw.size() ? 1 : 0);
    for (std::size_t v : {n, n ^ 0xFFFF}) {
      z.push_back(static_cast<std::uint8_t>(v));
      z.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
    if (n == 0) break;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
  Put32(z, (b << 16) | a);
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  Put32(header, declared[0] ? declared[0] : width);
  Put32(header, declared[1] ? declared[1] : height);
  header.insert(header.end(), {8, 6, 0, 0, 0});
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  return png;
}

// Four quarters of plain colours, so that where a corner went can be told after any turn.
std::uint32_t Quarters(int x, int y, int width, int height) {
  const bool right = x >= width / 2, bottom = y >= height / 2;
  return bottom ? (right ? 0xFF0000FFu : 0xFFFFFF00u) : (right ? 0xFF00FF00u : 0xFFFF0000u);
}

Bytes Jpeg(PictureCodec& codec, int width, int height) {
  const CodecResult made = codec.ConvertToJpeg(
      Png(width, height, [=](int x, int y) { return Quarters(x, y, width, height); }));
  EXPECT_TRUE(made.Ok()) << made.error;
  return made.bytes;
}

// The colour near a corner (0: top left, 1: top right, 2: bottom left, 3: bottom right).
std::uint32_t Corner(const Bytes& jpeg, int corner) {
  RgbPicture p;
  std::string error;
  EXPECT_TRUE(DecodeFirstFrame(jpeg, p, error)) << error;
  if (p.width < 8 || p.height < 8) return 0;
  const int x = corner % 2 ? p.width - 4 : 3, y = corner / 2 ? p.height - 4 : 3;
  const std::uint8_t* q = p.rgb.data() + (static_cast<std::size_t>(y) * p.width + x) * 3;
  // Rounded to plain colours: JPEG's loss is a few levels.
  auto plain = [](int c) { return c > 128 ? 0xFFu : 0u; };
  return 0xFF000000u | plain(q[0]) << 16 | plain(q[1]) << 8 | plain(q[2]);
}

TEST(CodecTest, CropsOnTheBlockGridWithoutLossAndElsewhereThroughPixels) {
  auto codec = MakePictureCodec();
  const Bytes jpeg = Jpeg(*codec, 96, 64);  // 4:2:0: a grid of 16 x 16
  ASSERT_EQ(ReadPictureHeader(jpeg).jpegBlockWidth, 16);
  struct Case {
    PixelRect box;
    bool lossless;
  } cases[] = {{{16, 16, 50, 40}, true}, {{48, 0, 48, 64}, true}, {{5, 3, 50, 40}, false}};
  for (const Case& c : cases) {
    const CodecResult crop = codec->CropJpeg(jpeg, c.box);
    ASSERT_TRUE(crop.Ok()) << crop.error;
    EXPECT_EQ(crop.lossless, c.lossless) << c.box.x;
    EXPECT_EQ(ReadPictureHeader(crop.bytes).Width(), c.box.width);
    EXPECT_EQ(ReadPictureHeader(crop.bytes).Height(), c.box.height);
    EXPECT_EQ(ReadPictureHeader(crop.bytes).jpegBlockWidth, 16);  // subsampling kept
  }
  // The right half: what was top right is now top left.
  EXPECT_EQ(Corner(codec->CropJpeg(jpeg, {48, 0, 48, 64}).bytes, 0), 0xFF00FF00u);
}

TEST(CodecTest, TurnsAsTheOrientationSaysLosslessWhereTheGridAllows) {
  auto codec = MakePictureCodec();
  // Where the stored top-left quarter (red) shows after the turn, for each orientation.
  constexpr int kRedCorner[9] = {0, 0, 1, 3, 2, 0, 1, 3, 2};
  for (auto [width, height, lossless] : {std::tuple{96, 64, true}, std::tuple{90, 60, false}}) {
    const Bytes jpeg = Jpeg(*codec, width, height);
    for (int orientation = 2; orientation <= 8; ++orientation) {
      const CodecResult turned = codec->TurnJpeg(jpeg, orientation);
      ASSERT_TRUE(turned.Ok()) << turned.error;
      const bool swap = orientation >= 5;
      EXPECT_EQ(ReadPictureHeader(turned.bytes).Width(), swap ? height : width) << orientation;
      EXPECT_EQ(Corner(turned.bytes, kRedCorner[orientation]), 0xFFFF0000u) << orientation;
      // Mirroring a partial block edge off the grid needs pixels; turning 180 does too.
      if (lossless) {
        EXPECT_TRUE(turned.lossless) << orientation;
      }
    }
  }
}

TEST(CodecTest, KeepsTheExifBlockOfACropAndATurn) {
  auto codec = MakePictureCodec();
  Bytes jpeg = Jpeg(*codec, 90, 60);
  const std::uint8_t exif[] = {0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 0x2A, 0,
                               8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0,
                               0, 0, 0, 0};
  jpeg.insert(jpeg.begin() + 2, std::begin(exif), std::end(exif));
  ASSERT_EQ(ReadPictureHeader(jpeg).orientation, 6);
  for (const CodecResult& made : {codec->CropJpeg(jpeg, {3, 0, 40, 50}), codec->TurnJpeg(jpeg, 6),
                                  codec->CropJpeg(jpeg, {16, 16, 40, 40})}) {
    ASSERT_TRUE(made.Ok()) << made.error;
    Bytes copy = made.bytes;
    EXPECT_EQ(ReadPictureHeader(copy).orientation, 6);
    EXPECT_TRUE(SetJpegOrientation(copy, 1));
    EXPECT_EQ(ReadPictureHeader(copy).orientation, 1);
  }
}

TEST(CodecTest, ConvertsOntoWhiteAndRefusesWhatItCannotOrShouldNotDecode) {
  auto codec = MakePictureCodec();
  const Bytes transparent = Png(32, 32, [](int x, int) { return x < 16 ? 0x00000000u : 0xFF0000FFu; });
  const CodecResult made = codec->ConvertToJpeg(transparent);
  ASSERT_TRUE(made.Ok()) << made.error;
  EXPECT_EQ(Corner(made.bytes, 0), 0xFFFFFFFFu);  // the transparent half shows white
  EXPECT_EQ(Corner(made.bytes, 1), 0xFF0000FFu);
  EXPECT_EQ(ReadPictureHeader(made.bytes).jpegBlockWidth, 16);  // 4:2:0
  // A small file that declares a huge picture: refused from its header.
  const Bytes bomb = Png(4, 4, [](int, int) { return 0xFF000000u; }, {30000, 30000});
  const CodecResult refused = codec->ConvertToJpeg(bomb);
  EXPECT_FALSE(refused.Ok());
  // Qt's reader names the size; WIC may already refuse the frame that does not match it.
  EXPECT_TRUE(refused.error.find("30000 x 30000") != std::string::npos ||
              refused.error.find("cannot decode") != std::string::npos)
      << refused.error;
  for (const Bytes& junk : {Bytes{}, Bytes{'G', 'I', 'F', '8', '9', 'a', 1}, Bytes(100, 0x41)}) {
    EXPECT_FALSE(codec->ConvertToJpeg(junk).Ok());
    EXPECT_FALSE(codec->CropJpeg(junk, {0, 0, 1, 1}).Ok());
    EXPECT_FALSE(codec->TurnJpeg(junk, 6).Ok());
  }
}

}  // namespace
}  // namespace qvm
