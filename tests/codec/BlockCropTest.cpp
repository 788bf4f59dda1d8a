// The block crop against libjpeg-turbo's own lossless transform: the same file byte for byte
// (so the same coefficients, tables and segments) for every kind of JPEG the wizard meets.
#include <gtest/gtest.h>

// jpeglib.h needs size_t and FILE first.
#include <cstddef>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
#include <turbojpeg.h>
// clang-format on

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/JpegBlockCrop.h"

namespace qvm {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Shape {
  const char* name;
  int components;  // 1 grey, 3 YCbCr, 4 CMYK
  int h, v;        // the first component's sampling factors
  bool progressive;
  int restartRows;
  bool segments;  // EXIF (first, with its pixel size), a colour profile and a comment
};

// EXIF: a first directory pointing to an EXIF directory with the pixel size 100 x 76.
const std::uint8_t kExif[] = {'E',  'x',  'i', 'f',  0, 0, 'I', 'I', 42, 0, 8,   0, 0, 0, 1, 0,
                              0x69, 0x87, 4,   0,    1, 0, 0,   0,   26, 0, 0,   0, 0, 0, 0, 0,
                              2,    0,    2,   0xA0, 3, 0, 1,   0,   0,  0, 100, 0, 0, 0, 3, 0xA0,
                              3,    0,    1,   0,    0, 0, 76,  0,   0,  0, 0,   0, 0, 0};
const std::string kProfile = std::string("ICC_PROFILE\0\1\1", 14) + "a colour profile";

Bytes Encode(const Shape& shape, int width, int height) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = shape.components;
  c.in_color_space = shape.components == 1   ? JCS_GRAYSCALE
                     : shape.components == 4 ? JCS_CMYK
                                             : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  c.comp_info[0].h_samp_factor = shape.h;
  c.comp_info[0].v_samp_factor = shape.v;
  c.restart_in_rows = shape.restartRows;
  if (shape.progressive) jpeg_simple_progression(&c);
  c.write_JFIF_header = !shape.segments;  // as a camera writes it: EXIF first
  jpeg_start_compress(&c, TRUE);
  if (shape.segments) {
    jpeg_write_marker(&c, JPEG_APP0 + 1, kExif, sizeof kExif);
    jpeg_write_marker(&c, JPEG_APP0 + 2, reinterpret_cast<const JOCTET*>(kProfile.data()),
                      static_cast<unsigned>(kProfile.size()));
    jpeg_write_marker(&c, JPEG_COM, reinterpret_cast<const JOCTET*>("made here"), 9);
  }
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * shape.components);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      for (int k = 0; k < shape.components; ++k)
        row[x * shape.components + k] =
            static_cast<JSAMPLE>((x * (5 + k) + y * (3 - k)) ^ (x * y >> k));
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  Bytes jpeg(out, out + size);
  std::free(out);
  return jpeg;
}

Bytes Transformed(const Bytes& jpeg, const PixelRect& box) {
  tjhandle handle = tjInitTransform();
  tjtransform crop{};
  crop.r = {box.x, box.y, box.width, box.height};
  crop.options = TJXOPT_CROP;
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const bool done = tjTransform(handle, jpeg.data(), jpeg.size(), 1, &out, &size, &crop, 0) == 0;
  EXPECT_TRUE(done) << tjGetErrorStr2(handle);
  Bytes result(out, out + size);
  tjFree(out);
  tjDestroy(handle);
  return result;
}

bool Holds(const Bytes& bytes, const std::string& part) {
  return std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
}

TEST(BlockCropTest, WritesWhatTheLibrarysTransformWrites) {
  const Shape shapes[] = {
      {"4:2:0 with EXIF and a profile", 3, 2, 2, false, 0, true},
      {"4:4:4", 3, 1, 1, false, 0, false},
      {"4:2:2 with restart markers", 3, 2, 1, false, 1, false},
      {"grey", 1, 1, 1, false, 0, false},
      {"progressive 4:2:0 with EXIF", 3, 2, 2, true, 0, true},
      {"CMYK", 4, 1, 1, false, 2, false},
  };
  // On the 16 x 16 grid: from the origin, inside, to the bottom right corner, the right half.
  const PixelRect boxes[] = {{0, 0, 40, 24}, {16, 16, 50, 40}, {48, 32, 52, 44}, {32, 0, 68, 76}};
  for (const Shape& shape : shapes) {
    const Bytes jpeg = Encode(shape, 100, 76);
    for (const PixelRect& box : boxes) {
      const CodecResult crop = CropJpegBlocks(jpeg, box);
      ASSERT_TRUE(crop.Ok()) << shape.name << ": " << crop.error;
      EXPECT_TRUE(crop.lossless);
      EXPECT_TRUE(crop.bytes == Transformed(jpeg, box))
          << shape.name << " at " << box.x << ", " << box.y;
      EXPECT_EQ(Holds(crop.bytes, kProfile), shape.segments) << shape.name;
      EXPECT_EQ(Holds(crop.bytes, "made here"), shape.segments) << shape.name;
    }
  }
}

TEST(BlockCropTest, RefusesFramesOffTheGridAndDamagedPictures) {
  const Bytes jpeg = Encode({"4:2:0", 3, 2, 2, false, 0, false}, 100, 76);
  Bytes cut(jpeg.begin(), jpeg.begin() + jpeg.size() / 2);
  struct Case {
    const Bytes& jpeg;
    PixelRect box;
  } cases[] = {{jpeg, {8, 0, 40, 40}},
               {jpeg, {0, 8, 40, 40}},
               {jpeg, {64, 0, 40, 40}},
               {jpeg, {0, 0, 0, 40}},
               {cut, {0, 0, 40, 40}}};
  for (const Case& c : cases) {
    const CodecResult crop = CropJpegBlocks(c.jpeg, c.box);
    EXPECT_FALSE(crop.Ok()) << c.box.x << ", " << c.box.y << ", " << c.box.width;
    EXPECT_FALSE(crop.error.empty());
  }
}

}  // namespace
}  // namespace qvm
