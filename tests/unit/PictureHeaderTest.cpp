// The one picture-header reader: what it decides on hand-made headers, and that reading a file
// stays within a few kilobytes whatever the file holds.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "images/PictureHeader.h"
#include "platform/Os.h"
#include "tests/unit/BmpWriter.h"
#include "tests/unit/JpegWriter.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;
using test::JpegFile;
using test::JpegFrame;
using test::JpegScan;
using test::JpegSegment;
using test::kJpegStart;
using P = PictureProblem;

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::string Le32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

// A 24-bit BMP of width x height whose header is `headerSize` bytes; its pixels are cut off.
std::string BmpHeader(std::int32_t width, std::int32_t height, int headerSize = 40) {
  std::string bmp = test::EncodeBmp(test::PatternPicture(2, 2, 2), {24, 0, false, headerSize});
  if (headerSize == 12) return bmp;
  bmp.replace(18, 8,
              Le32(static_cast<std::uint32_t>(width)) + Le32(static_cast<std::uint32_t>(height)));
  return bmp.substr(0, 14 + headerSize);
}

TEST(PictureHeader, DecidesFromTheContent) {
  const std::string k420 = "\x22\x11\x11";
  const std::string app0 = JpegSegment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
  const std::string baseline = JpegFile(0xC0, 640, 480, k420);
  std::string manySegments = kJpegStart;
  for (int i = 0; i < kMaxJpegSegments; ++i) manySegments += JpegSegment(0xFE, "c");
  struct Case {
    const char* what;
    std::string bytes;
    PictureFormat format;
    PictureProblem problem;
    int width, height;  // declared
  } cases[] = {
      {"baseline", kJpegStart + app0 + baseline.substr(2), PictureFormat::Jpeg, P::None, 640, 480},
      {"progressive after a table",
       kJpegStart + JpegSegment(0xC4, std::string(20, '\2')) +
           JpegFile(0xC2, 300, 400, k420).substr(2),
       PictureFormat::Jpeg, P::None, 300, 400},
      {"extended 8-bit", JpegFile(0xC1, 5, 6), PictureFormat::Jpeg, P::None, 5, 6},
      {"arithmetic", JpegFile(0xC9, 16, 8), PictureFormat::Jpeg, P::None, 16, 8},
      {"arithmetic progressive, CMYK", JpegFile(0xCA, 16, 8, "\x11\x11\x11\x11"),
       PictureFormat::Jpeg, P::None, 16, 8},
      {"stray, fill and restart bytes",
       kJpegStart + "junk\xFF\xFF\xFF\xD0\xFF\x01" + JpegFile(0xC0, 7, 9).substr(2),
       PictureFormat::Jpeg, P::None, 7, 9},
      {"each component in its own scan",
       kJpegStart + JpegFrame(0xC0, 8, 8, "\x22\x22\x22") + JpegScan(1), PictureFormat::Jpeg,
       P::None, 8, 8},
      {"lossless", JpegFile(0xC3, 64, 48), PictureFormat::Jpeg, P::UnsupportedJpeg, 64, 48},
      {"12-bit", JpegFile(0xC1, 64, 48, "\x11", 12), PictureFormat::Jpeg, P::UnsupportedJpeg, 64,
       48},
      {"differential", JpegFile(0xC5, 64, 48), PictureFormat::Jpeg, P::UnsupportedJpeg, 64, 48},
      {"hierarchical",
       kJpegStart + JpegSegment(0xDE, std::string("\x08\0\x10\0\x10\x01", 6)) +
           JpegFile(0xC0, 16, 16).substr(2),
       PictureFormat::Jpeg, P::UnsupportedJpeg, 16, 16},
      {"40000 x 10", JpegFile(0xC0, 40000, 10), PictureFormat::Jpeg, P::TooLarge, 40000, 10},
      {"2^26 pixels", JpegFile(0xC0, 8192, 8192), PictureFormat::Jpeg, P::None, 8192, 8192},
      {"2^26 + 8192 pixels", JpegFile(0xC0, 8192, 8193), PictureFormat::Jpeg, P::TooLarge, 8192,
       8193},
      // Progressive holds every coefficient: 3 x 2^20 blocks of 128 bytes.
      {"2^26 pixels progressive", JpegFile(0xC2, 8192, 8192, "\x11\x11\x11"), PictureFormat::Jpeg,
       P::TooLarge, 8192, 8192},
      {"scan before the frame", kJpegStart + JpegScan(1) + JpegFrame(0xC0, 8, 8),
       PictureFormat::Jpeg, P::BadJpegHeader, 0, 0},
      {"end of image first", kJpegStart + "\xFF\xD9" + JpegFile(0xC0, 8, 8).substr(2),
       PictureFormat::Jpeg, P::BadJpegHeader, 0, 0},
      {"height given later", JpegFile(0xC0, 640, 0), PictureFormat::Jpeg, P::BadJpegHeader, 0, 0},
      {"two components", JpegFile(0xC0, 8, 8, "\x11\x11"), PictureFormat::Jpeg, P::BadJpegHeader, 8,
       8},
      {"sampling 5", JpegFile(0xC0, 8, 8, "\x51"), PictureFormat::Jpeg, P::BadJpegHeader, 8, 8},
      {"sampling 3 beside 2", JpegFile(0xC0, 8, 8, "\x31\x21\x11"), PictureFormat::Jpeg,
       P::BadJpegHeader, 8, 8},
      {"12 blocks in one scan unit", JpegFile(0xC0, 8, 8, "\x22\x22\x22"), PictureFormat::Jpeg,
       P::BadJpegHeader, 8, 8},
      {"two frames", kJpegStart + JpegFrame(0xC0, 8, 8) + JpegFile(0xC0, 8, 8).substr(2),
       PictureFormat::Jpeg, P::BadJpegHeader, 8, 8},
      {"cut in the frame", baseline.substr(0, 10), PictureFormat::Jpeg, P::BadJpegHeader, 0, 0},
      {"cut before the scan", baseline.substr(0, baseline.find("\xFF\xDA")), PictureFormat::Jpeg,
       P::BadJpegHeader, 640, 480},
      {"length below 2", kJpegStart + std::string("\xFF\xE1\0\1", 4) + baseline.substr(2),
       PictureFormat::Jpeg, P::BadJpegHeader, 0, 0},
      {"too many segments", manySegments + baseline.substr(2), PictureFormat::Jpeg,
       P::LongJpegHeader, 0, 0},
      {"too many stray bytes",
       kJpegStart + std::string(kMaxJpegStrayBytes + 1, 'x') + baseline.substr(2),
       PictureFormat::Jpeg, P::LongJpegHeader, 0, 0},
      {"too many fill bytes",
       kJpegStart + std::string(kMaxJpegStrayBytes + 2, '\xFF') + baseline.substr(3),
       PictureFormat::Jpeg, P::LongJpegHeader, 0, 0},
      {"BMP", BmpHeader(127, 64), PictureFormat::Bmp, P::None, 127, 64},
      {"BMP top-down, v5 header", BmpHeader(127, -64, 124), PictureFormat::Bmp, P::None, 127, 64},
      {"BMP OS/2 core header", BmpHeader(2, 2, 12), PictureFormat::Bmp, P::None, 2, 2},
      {"BMP 20000 x 20000", BmpHeader(20000, 20000), PictureFormat::Bmp, P::TooLarge, 20000, 20000},
      {"BMP negative width", BmpHeader(-127, 64), PictureFormat::Bmp, P::BadBmpHeader, 0, 0},
      {"BMP cut before the height", BmpHeader(127, 64).substr(0, 24), PictureFormat::Bmp,
       P::BadBmpHeader, 0, 0},
      {"BMP holding a PNG", BmpHeader(127, 64).replace(30, 4, Le32(5)), PictureFormat::Bmp,
       P::UnsupportedBmp, 0, 0},
      {"PNG", std::string("\x89PNG\r\n\x1A\n") + "IHDR", PictureFormat::Png, P::NotAPicture, 0, 0},
      {"one byte", "\xFF", PictureFormat::None, P::NotAPicture, 0, 0},
      {"empty", "", PictureFormat::None, P::Empty, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const PictureHeader h = ReadPictureHeader(Bytes(c.bytes));
    EXPECT_EQ(h.format, c.format);
    EXPECT_EQ(h.problem, c.problem);
    EXPECT_EQ(h.declaredWidth, c.width);
    EXPECT_EQ(h.declaredHeight, c.height);
    EXPECT_EQ(h.Width(), h.Shown() ? c.width : 0);
    EXPECT_EQ(h.Height(), h.Shown() ? c.height : 0);
    EXPECT_EQ(PictureProblemText(h).empty(), h.Shown());
  }
  EXPECT_EQ(PictureProblemText(ReadPictureHeader(Bytes(BmpHeader(20000, 20000)))),
            "declares 20000 x 20000 pixels, more than the preview decodes");
}

// The real system, counting reads, the bytes read and seeks, and failing reads on request.
class CountingOs : public Os {
 public:
  std::uint64_t bytesRead = 0;
  int reads = 0;
  int seeks = 0;
  bool failReads = false;

  EntryInfo Info(const fs::path& p, bool follow) override { return os_.Info(p, follow); }
  std::optional<fs::path> NameOnDisk(const fs::path& f, const fs::path& n) override {
    return os_.NameOnDisk(f, n);
  }
  std::optional<fs::path> RealPath(const fs::path& p) override { return os_.RealPath(p); }
  bool ListFolder(const fs::path& f, std::vector<FolderEntry>& e, std::string* err) override {
    return os_.ListFolder(f, e, err);
  }
  FileHandle OpenForReading(const fs::path& p, std::string* err) override {
    return os_.OpenForReading(p, err);
  }
  std::int64_t Read(FileHandle f, void* b, std::size_t n, std::string* err) override {
    ++reads;
    if (failReads) return -1;
    const std::int64_t got = os_.Read(f, b, n, err);
    bytesRead += got > 0 ? got : 0;
    return got;
  }
  bool Seek(FileHandle f, std::uint64_t at, std::string* err) override {
    ++seeks;
    return os_.Seek(f, at, err);
  }
  EntryInfo InfoOf(FileHandle f) override { return os_.InfoOf(f); }
  FileHandle CreateNew(const fs::path&, std::string*) override { return kNoFile; }
  FileHandle OpenForAppending(const fs::path&, std::string*) override { return kNoFile; }
  bool Write(FileHandle, const void*, std::size_t, std::string*) override { return false; }
  bool Flush(FileHandle, std::string*) override { return false; }
  bool Close(FileHandle f, std::string* err) override { return os_.Close(f, err); }
  bool Replace(const fs::path&, const fs::path&, std::string*) override { return false; }
  bool RenameNew(const fs::path&, const fs::path&, std::string*) override { return false; }
  bool Remove(const fs::path&, std::string*) override { return false; }
  bool CreateFolder(const fs::path&, std::string*) override { return false; }
  bool FlushFolder(const fs::path&) override { return false; }
  LockAttempt TryLock(const fs::path&, const fs::path&) override { return {}; }
  std::uint64_t ProcessId() override { return os_.ProcessId(); }

 private:
  Os& os_ = SystemOs();
};

TEST(PictureHeader, ReadsFilesWithinAFewKilobytes) {
  test::TempFolder folder;
  const std::string picture = JpegFile(0xC2, 4000, 3000, "\x22\x11\x11");
  // Camera files carry segments of 64 KB before the frame: skipped, not read.
  std::string camera = kJpegStart;
  for (int i = 0; i < 3; ++i) camera += JpegSegment(0xE1, std::string(65533, '\xFF'));
  test::WriteBytes(folder / "camera.jpg", camera + picture.substr(2));
  // Headers that never end, in sparse files of 2 GB: zeros after the start of image, and
  // segment after segment.
  const std::uint64_t kSparse = std::uint64_t{2} << 30;
  test::WriteBytes(folder / "zeros.jpg", kJpegStart);
  fs::resize_file(folder / "zeros.jpg", kSparse);
  {
    std::ofstream out(folder / "segments.jpg", std::ios::binary);
    out << kJpegStart;
    for (int i = 0; i <= kMaxJpegSegments; ++i) {
      out.seekp(2 + std::int64_t{i} * 65537);
      out << JpegSegment(0xE1, "").substr(0, 2) << "\xFF\xFF";
    }
  }
  fs::resize_file(folder / "segments.jpg", kSparse);
  // Must not block. Windows has no FIFOs (Wine has Linux's): there it reads a missing file.
  [[maybe_unused]] const bool fifo = test::MakeFifo(folder / "pipe.jpg");
#ifndef _WIN32
  ASSERT_TRUE(fifo);
#endif

  struct Case {
    const char* file;
    PictureProblem problem;
    int width;
    std::uint64_t maxBytesRead;
  } cases[] = {
      {"camera.jpg", P::None, 4000, 20 << 10},
      {"zeros.jpg", P::LongJpegHeader, 0, 80 << 10},
      {"segments.jpg", P::LongJpegHeader, 0, (kMaxJpegSegments + 1) * 4096},
      {"pipe.jpg", P::Unreadable, 0, 0},
      {"missing.jpg", P::Unreadable, 0, 0},
      {"", P::Unreadable, 0, 0},  // the folder itself
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    CountingOs os;
    const PictureHeader h = ReadPictureHeader(os, folder / c.file);
    EXPECT_EQ(h.problem, c.problem);
    EXPECT_EQ(h.Width(), c.width);
    EXPECT_LE(os.bytesRead, c.maxBytesRead);
  }
  // check opens every picture of a game: a header within the first window costs one read.
  test::WriteBytes(folder / "small.jpg", picture);
  CountingOs small;
  EXPECT_TRUE(ReadPictureHeader(small, folder / "small.jpg").Shown());
  EXPECT_EQ(small.reads, 1);
  EXPECT_EQ(small.seeks, 0);
  // A read that fails says nothing about the picture.
  CountingOs failing;
  failing.failReads = true;
  EXPECT_EQ(ReadPictureHeader(failing, folder / "camera.jpg").problem, P::Unreadable);
}

}  // namespace
}  // namespace qvm
