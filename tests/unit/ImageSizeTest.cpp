#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "TestFolder.h"
#include "images/ImageSize.h"

namespace qvm {
namespace {

std::string Be16(int v) { return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; }
std::string Le16(int v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string Le32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}
std::string Segment(int marker, const std::string& body) {
  return std::string("\xFF") + static_cast<char>(marker) + Be16(static_cast<int>(body.size()) + 2) +
         body;
}
std::string Frame(int marker, int width, int height) {
  return Segment(marker, std::string("\x08", 1) + Be16(height) + Be16(width) +
                             std::string("\x01\x01\x11\x00", 4));
}
const std::string kSoi = "\xFF\xD8";
const std::string kApp0 = Segment(0xE0, std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14));
const std::string kTable = Segment(0xDB, std::string(65, '\x01'));
const std::string kHuffman = Segment(0xC4, std::string(20, '\x02'));  // C4 is no frame
const std::string kScan = Segment(0xDA, std::string(10, '\0')) + "\x12\x34\xFF\xD9";

std::string Bmp(std::uint32_t headerSize, const std::string& sizes) {
  std::string header = Le32(headerSize) + sizes;
  header.resize(headerSize < 12 ? header.size() : headerSize, '\0');
  return "BM" + Le32(14 + static_cast<std::uint32_t>(header.size())) + Le32(0) +
         Le32(14 + static_cast<std::uint32_t>(header.size())) + header;
}
std::string InfoSizes(std::int32_t w, std::int32_t h) {
  return Le32(static_cast<std::uint32_t>(w)) + Le32(static_cast<std::uint32_t>(h));
}

TEST(ImageSizeTest, ReadsJpegAndBmpHeaders) {
  struct Case {
    const char* what;
    std::string bytes;
    int width, height;
  };
  const std::string baseline = kSoi + kApp0 + kTable + Frame(0xC0, 640, 480) + kHuffman + kScan;
  const Case cases[] = {
      {"baseline JPEG", baseline, 640, 480},
      {"progressive JPEG after a Huffman table", kSoi + kHuffman + Frame(0xC2, 300, 400) + kScan,
       300, 400},
      {"extended, lossless, arithmetic frames", kSoi + Frame(0xC1, 1, 2), 1, 2},
      {"arithmetic progressive frame", kSoi + Frame(0xCA, 65535, 65535), 65535, 65535},
      {"fill bytes and stray bytes before a marker",
       kSoi + "\xFF\xFF\xFF" + kApp0.substr(1) + "junk" + Frame(0xC0, 7, 9), 7, 9},
      {"restart and empty markers skipped", kSoi + "\xFF\xD0\xFF\x01" + Frame(0xC3, 5, 6), 5, 6},
      {"scan before any frame", kSoi + kScan + Frame(0xC0, 8, 8), 0, 0},
      {"end of image before any frame", kSoi + "\xFF\xD9" + Frame(0xC0, 8, 8), 0, 0},
      {"frame height 0 (given later by DNL)", kSoi + Frame(0xC0, 640, 0), 0, 0},
      {"frame width 0", kSoi + Frame(0xC0, 0, 480), 0, 0},
      {"cut inside the frame header", baseline.substr(0, baseline.find("\xFF\xC0") + 6), 0, 0},
      {"cut inside a segment length", kSoi + "\xFF\xE0\x00", 0, 0},
      {"segment length below 2", kSoi + "\xFF\xE0" + std::string("\0\x01", 2), 0, 0},
      {"no start of image", kApp0 + Frame(0xC0, 8, 8), 0, 0},
      {"BMP info header", Bmp(40, InfoSizes(127, 64)), 127, 64},
      {"BMP top-down", Bmp(40, InfoSizes(127, -64)), 127, 64},
      {"BMP v5 header", Bmp(124, InfoSizes(3, 4)), 3, 4},
      {"BMP OS/2 core header", Bmp(12, Le16(65535) + Le16(2)), 65535, 2},
      {"BMP OS/2 2.x short header", Bmp(16, InfoSizes(10, 20)), 10, 20},
      {"BMP negative width", Bmp(40, InfoSizes(-127, 64)), 0, 0},
      {"BMP height of INT32_MIN", Bmp(40, InfoSizes(5, INT32_MIN)), 0, 0},
      {"BMP zero height", Bmp(40, InfoSizes(5, 0)), 0, 0},
      {"BMP unknown header size", Bmp(66, InfoSizes(127, 64)), 0, 0},
      {"BMP cut before the height", Bmp(40, InfoSizes(127, 64)).substr(0, 24), 0, 0},
      {"empty", "", 0, 0},
      {"text", "hello, world", 0, 0},
  };
  for (const Case& c : cases) {
    ImageSize size = ImageSizeOfBytes(c.bytes);
    EXPECT_EQ(size.width, c.width) << c.what;
    EXPECT_EQ(size.height, c.height) << c.what;
  }
}

TEST(ImageSizeTest, ReadsFilesPastLargeSegments) {
  test::TempFolder folder;
  // Application segments of 64 KiB each before the frame, as cameras write them.
  std::string bytes = kSoi;
  for (int i = 0; i < 3; ++i) bytes += Segment(0xE1, std::string(65533, '\xFF'));
  bytes += Frame(0xC2, 4000, 3000) + kScan;
  test::WriteBytes(folder / "big.jpg", bytes);
  ImageSize size = ImageSizeOfFile(SystemOs(), folder / "big.jpg");
  EXPECT_EQ(size.width, 4000);
  EXPECT_EQ(size.height, 3000);
  EXPECT_EQ(ImageSizeOfFile(SystemOs(), folder / "missing.jpg").width, 0);
  EXPECT_EQ(ImageSizeOfFile(SystemOs(), folder.path()).width, 0);  // a folder
}

TEST(ImageSizeTest, BmpSuite) {
  const std::filesystem::path suite = std::filesystem::path(QVM_TEST_IMAGES_DIR) / "bmpsuite";
  if (!std::filesystem::exists(suite)) GTEST_SKIP() << "no " << suite;
  struct Case {
    const char* file;
    int width, height;
  };
  const Case cases[] = {
      {"g/pal8.bmp", 127, 64},          {"g/pal8topdown.bmp", 127, 64},
      {"g/pal8nonsquare.bmp", 127, 32}, {"g/pal8os2.bmp", 127, 64},
      {"g/pal8v4.bmp", 127, 64},        {"g/pal8v5.bmp", 127, 64},
      {"g/pal8w125.bmp", 125, 62},      {"q/pal8os2v2-16.bmp", 127, 64},
      {"q/pal8os2v2.bmp", 127, 64},     {"q/rgb32h52.bmp", 127, 64},
      {"q/rgba32h56.bmp", 127, 64},     {"b/badwidth.bmp", 0, 0},
      {"b/badheadersize.bmp", 0, 0},
  };
  for (const Case& c : cases) {
    ImageSize size = ImageSizeOfFile(SystemOs(), suite / c.file);
    EXPECT_EQ(size.width, c.width) << c.file;
    EXPECT_EQ(size.height, c.height) << c.file;
  }
  // Every picture, bad ones included, is read without a fault.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(suite)) {
    if (entry.is_regular_file()) ImageSizeOfFile(SystemOs(), entry.path());
  }
}

}  // namespace
}  // namespace qvm
