// The JPEG frame header as the preview judges it, on hand-made marker streams.
#include <gtest/gtest.h>

#include <string>

#include "images/JpegHeader.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

std::string Segment(unsigned char marker, const std::string& body) {
  std::size_t length = body.size() + 2;
  return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                     static_cast<char>(length & 0xFF)} +
         body;
}

// A frame header: precision 8, the size, then (id, sampling, table) per component.
std::string Sof(unsigned char marker, int width, int height, const std::string& samplings) {
  std::string body{8,
                   static_cast<char>(height >> 8),
                   static_cast<char>(height & 0xFF),
                   static_cast<char>(width >> 8),
                   static_cast<char>(width & 0xFF),
                   static_cast<char>(samplings.size())};
  for (std::size_t c = 0; c < samplings.size(); ++c)
    body += std::string{static_cast<char>(c + 1), samplings[c], 0};
  return Segment(marker, body);
}

std::string Sos(int components) {
  std::string body{static_cast<char>(components)};
  for (int c = 0; c < components; ++c) body += std::string{static_cast<char>(c + 1), 0};
  return Segment(0xDA, body + std::string("\0\x3F\0", 3));
}

const std::string kSoi = "\xFF\xD8";
const std::string kApp0 = Segment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
const std::string k420 = "\x22\x11\x11";

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(JpegHeader, FramesAreFoundAndJudged) {
  struct Case {
    const char* what;
    std::string file;
    bool ok;
    int width, height;
    bool progressive, multiScan;
    std::uint64_t memory;
  } cases[] = {
      {"baseline 4:2:0", kSoi + kApp0 + Sof(0xC0, 6000, 4000, k420) + Sos(3), true, 6000, 4000,
       false, false, (750 * 2 + 375 + 375) * 128},
      {"progressive 4:2:0 holds every coefficient", kSoi + Sof(0xC2, 6000, 4000, k420) + Sos(3),
       true, 6000, 4000, true, false, 562500ull * 128},
      {"progressive 4:4:4", kSoi + Sof(0xC2, 6000, 4000, "\x11\x11\x11") + Sos(1), true, 6000, 4000,
       true, true, 1125000ull * 128},
      {"component by component", kSoi + Sof(0xC0, 800, 800, "\x11\x11\x11") + Sos(1), true, 800,
       800, false, true, 30000ull * 128},
      {"the huge header", kSoi + kApp0 + Sof(0xC0, 64250, 64250, k420) + Sos(3), true, 64250, 64250,
       false, false, (8032 * 2 + 4016 * 2) * 128},
      {"grey, arithmetic", kSoi + Sof(0xC9, 16, 8, "\x11") + Sos(1), true, 16, 8, false, false,
       2 * 128},
      {"stray bytes and fill bytes",
       kSoi + "junk\xFF\xFF" + Sof(0xC0, 8, 8, "\x11").substr(1) + Sos(1), true, 8, 8, false, false,
       128},
      {"no start of image", kApp0 + Sof(0xC0, 8, 8, "\x11") + Sos(1), false, 0, 0, false, false, 0},
      {"end of image before a scan", kSoi + Sof(0xC0, 8, 8, "\x11") + "\xFF\xD9", false, 0, 0,
       false, false, 0},
      {"scan before the frame", kSoi + Sos(1) + Sof(0xC0, 8, 8, "\x11"), false, 0, 0, false, false,
       0},
      {"height given later", kSoi + Sof(0xC0, 8, 0, "\x11") + Sos(1), false, 0, 0, false, false, 0},
      {"two components", kSoi + Sof(0xC0, 8, 8, "\x11\x11") + Sos(2), false, 0, 0, false, false, 0},
      {"sampling 0", kSoi + Sof(0xC0, 8, 8, "\x01") + Sos(1), false, 0, 0, false, false, 0},
      {"sampling 5", kSoi + Sof(0xC0, 8, 8, "\x51") + Sos(1), false, 0, 0, false, false, 0},
      {"lossless", kSoi + Sof(0xC3, 8, 8, "\x11") + Sos(1), false, 0, 0, false, false, 0},
      {"two frames", kSoi + Sof(0xC0, 8, 8, "\x11") + Sof(0xC0, 8, 8, "\x11") + Sos(1), false, 0, 0,
       false, false, 0},
      {"cut in the frame", (kSoi + Sof(0xC0, 8, 8, "\x11\x11\x11")).substr(0, 14), false, 0, 0,
       false, false, 0},
      {"length below 2", kSoi + std::string("\xFF\xE1\0\1", 4) + Sos(1), false, 0, 0, false, false,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    JpegFrame frame;
    ASSERT_EQ(ReadJpegFrame(Bytes(c.file), frame), c.ok);
    EXPECT_EQ(frame.width, c.width);
    EXPECT_EQ(frame.height, c.height);
    if (!c.ok) continue;
    EXPECT_EQ(frame.progressive, c.progressive);
    EXPECT_EQ(frame.multiScan, c.multiScan);
    EXPECT_EQ(JpegDecodeMemory(frame), c.memory);
  }
}

TEST(JpegHeader, LongSegmentsInAFileAreSkippedNotRead) {
  test::TempFolder folder;
  std::string exif = Segment(0xE1, std::string(65000, 'x'));
  std::string file = kSoi + exif + exif + Sof(0xC2, 1200, 1500, k420) + Sos(3);
  test::WriteBytes(folder / "p.jpg", file + std::string(100000, '\0'));
  JpegFrame frame;
  ASSERT_TRUE(ReadJpegFrame(SystemOs(), folder / "p.jpg", frame));
  EXPECT_EQ(frame.width, 1200);
  EXPECT_TRUE(frame.progressive);
  EXPECT_FALSE(ReadJpegFrame(SystemOs(), folder / "missing.jpg", frame));
  EXPECT_FALSE(ReadJpegFrame(SystemOs(), folder.path(), frame));
}

}  // namespace
}  // namespace qvm
