// Every picture we can lay hands on through the preview: the shared BMP test pictures, the
// sample, broken and fuzzed pictures of the gdk-pixbuf-tests package, and pictures made here
// (every BMP kind, progressive, CMYK and arithmetic-coded JPEG, cut-off files, no pictures at
// all). No crash; sizes both 0 or both set; a refused picture draws nothing; a picture drawn
// twice, with the heap filled with different garbage each time, gives the same pixels.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/qt/QtImaging.h"
#include "platform/Os.h"
#include "tests/unit/BmpWriter.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;

const fs::path kBmpSuite = fs::path(QVM_TEST_IMAGES_DIR) / "bmpsuite";
const fs::path kPixbufTests = "/usr/libexec/installed-tests/gdk-pixbuf";
const fs::path kData = fs::path(QVM_SOURCE_DIR) / "tests/gui/data";
constexpr int kArea = 64;  // the preview area of the sweep

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The peak of this process image alone: unlike ru_maxrss, it does not carry over the parent's
// peak into a process started by fork and exec.
long HighWaterKb() {
  long kb = 0;
  if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "VmHWM: %ld", &kb) == 1) break;
    std::fclose(f);
  }
  return kb;
}

// Fills memory handed out by malloc with `byte` (and freed memory with its complement), and
// keeps large blocks on the heap so that they are filled too: uninitialised pixels then differ
// between two decodes.
void FillHeapWith(int byte) {
#ifdef __GLIBC__
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_PERTURB, byte);
#else
  (void)byte;
#endif
}

std::string Bytes(const QByteArray& a) { return std::string(a.constData(), a.size()); }

std::string EncodeJpeg(const QImage& image, bool progressive, int quality = 85) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(quality);
  writer.setProgressiveScanWrite(progressive);
  EXPECT_TRUE(writer.write(image));
  return Bytes(bytes);
}

std::string Encode(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format));
  return Bytes(bytes);
}

QImage Gradient(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x ^ y) & 0xFF));
  return image;
}

// The offset of the frame header's height in a JPEG (the byte after the precision).
std::size_t FrameSizeOffset(const std::string& jpeg) {
  std::size_t at = 2;
  while (at + 4 < jpeg.size()) {
    unsigned char marker = static_cast<unsigned char>(jpeg[at + 1]);
    if (marker >= 0xC0 && marker <= 0xC2) return at + 5;
    at += 2 + ((static_cast<unsigned char>(jpeg[at + 2]) << 8) |
               static_cast<unsigned char>(jpeg[at + 3]));
  }
  return 0;
}

std::string WithFrameSize(std::string jpeg, int width, int height) {
  std::size_t at = FrameSizeOffset(jpeg);
  EXPECT_NE(at, 0u);
  jpeg[at] = static_cast<char>(height >> 8), jpeg[at + 1] = static_cast<char>(height & 0xFF);
  jpeg[at + 2] = static_cast<char>(width >> 8), jpeg[at + 3] = static_cast<char>(width & 0xFF);
  return jpeg;
}

// A CMYK JPEG (Adobe, not transformed) of one flat colour per channel, written by hand: every
// block holds only its DC value, all quantisers are 1.
std::string CmykJpeg(int width, int height, const int cmyk[4]) {
  auto segment = [](unsigned char marker, const std::string& body) {
    std::size_t n = body.size() + 2;
    return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(n >> 8),
                       static_cast<char>(n & 0xFF)} +
           body;
  };
  std::string out = "\xFF\xD8";
  out += segment(0xEE, std::string("Adobe\0\x64\0\0\0\0\0", 12));
  out += segment(0xDB, std::string(1, '\0') + std::string(64, '\1'));
  std::string sof{8,
                  static_cast<char>(height >> 8),
                  static_cast<char>(height & 0xFF),
                  static_cast<char>(width >> 8),
                  static_cast<char>(width & 0xFF),
                  4};
  for (int c = 0; c < 4; ++c) sof += std::string{static_cast<char>(c + 1), 0x11, 0};
  out += segment(0xC0, sof);
  // DC: the usual luminance table; AC: a single one-bit code, end of block.
  std::string dc =
      std::string("\x00\x00\x01\x05\x01\x01\x01\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00", 17);
  for (char v = 0; v < 12; ++v) dc += v;
  std::string ac = std::string("\x10\x01", 2) + std::string(15, '\0') + std::string(1, '\0');
  out += segment(0xC4, dc + ac);
  std::string sos{4};
  for (int c = 0; c < 4; ++c) sos += std::string{static_cast<char>(c + 1), 0};
  out += segment(0xDA, sos + std::string("\x00\x3F\x00", 3));

  static const char* const kDcCodes[] = {"00",     "010",     "011",      "100",
                                         "101",    "110",     "1110",     "11110",
                                         "111110", "1111110", "11111110", "111111110"};
  std::string bits;
  const int mcus = ((width + 7) / 8) * ((height + 7) / 8);
  for (int m = 0; m < mcus; ++m) {
    for (int c = 0; c < 4; ++c) {
      int diff = m == 0 ? (cmyk[c] - 128) * 8 : 0;
      int size = 0;
      for (int a = diff < 0 ? -diff : diff; a; a >>= 1) ++size;
      bits += kDcCodes[size];
      unsigned value = diff < 0 ? static_cast<unsigned>(diff - 1) : static_cast<unsigned>(diff);
      for (int b = size - 1; b >= 0; --b) bits += ((value >> b) & 1) ? '1' : '0';
      bits += '0';  // end of block
    }
  }
  while (bits.size() % 8) bits += '1';
  for (std::size_t i = 0; i < bits.size(); i += 8) {
    unsigned char byte = static_cast<unsigned char>(std::stoi(bits.substr(i, 8), nullptr, 2));
    out += static_cast<char>(byte);
    if (byte == 0xFF) out += '\0';
  }
  return out + "\xFF\xD9";
}

struct Tally {
  std::string category;
  int drawn = 0, sizesOnly = 0, refused = 0;
};

class PictureSweep : public ::testing::Test {
 protected:
  void SetUp() override {
    imaging.OpenGfx(0, 0, kArea, kArea, 2048);
    imaging.BrushColor(0x00402010);
  }

  Tally& Category(const std::string& name) {
    for (Tally& t : tallies)
      if (t.category == name) return t;
    tallies.push_back({name});
    return tallies.back();
  }

  // One picture through the preview, twice.
  void Sweep(const std::string& category, const fs::path& file) {
    SCOPED_TRACE(file.string());
    Tally& tally = Category(category);
    const int width = imaging.ImageParam(file, 1), height = imaging.ImageParam(file, 2);
    EXPECT_GE(width, 0);
    EXPECT_GE(height, 0);
    EXPECT_EQ(width == 0, height == 0);
    // Fitted into the area as the preview does; a refused picture is asked at some size.
    int shownW = 40, shownH = 30;
    if (width > 0 && height > 0) {
      shownW =
          width >= height ? kArea : std::max(1, static_cast<int>(qint64{kArea} * width / height));
      shownH =
          width >= height ? std::max(1, static_cast<int>(qint64{kArea} * height / width)) : kArea;
    }
    QImage canvases[2];
    for (int round = 0; round < 2; ++round) {
      FillHeapWith(round == 0 ? 0x5A : 0xC3);
      imaging.GfxCLS();
      QElapsedTimer timer;
      timer.start();
      imaging.StretchImage(file, shownW, shownH);
      EXPECT_TRUE(imaging.WaitIdle(60000));
      double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
      if (ms > slowestMs) slowestMs = ms, slowest = file.filename().string();
      canvases[round] = imaging.Area()->Canvas().copy();
    }
    FillHeapWith(0);
    EXPECT_TRUE(canvases[0] == canvases[1]) << "pixels differ between two decodes";
    QImage cleared(kArea, kArea, QImage::Format_RGB32);
    cleared.fill(QColor(0x10, 0x20, 0x40));
    bool drew = canvases[0] != cleared;
    if (width == 0) {
      EXPECT_FALSE(drew) << "a refused picture drew";
      ++tally.refused;
    } else {
      ++(drew ? tally.drawn : tally.sizesOnly);
    }
  }

  void SweepFolder(const std::string& category, const fs::path& where, bool recursive) {
    std::vector<fs::path> files;
    auto take = [&](const fs::directory_entry& e) {
      if (!e.is_regular_file()) return;
      // The package's test programs and their configuration are no pictures to sweep.
      if ((e.status().permissions() & fs::perms::owner_exec) != fs::perms::none) return;
      std::string ext = e.path().extension().string();
      if (ext == ".conf" || e.path().filename() == "TESTS") return;
      files.push_back(e.path());
    };
    if (recursive) {
      for (const auto& e : fs::recursive_directory_iterator(where)) take(e);
    } else {
      for (const auto& e : fs::directory_iterator(where)) take(e);
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) Sweep(category, f);
  }

  QWidget window;
  QtImagingLibrary imaging{&window, SystemOs()};
  test::TempFolder folder;
  std::vector<Tally> tallies;
  double slowestMs = 0;
  std::string slowest;
};

TEST_F(PictureSweep, NoPictureCrashesRepeatsDifferentlyOrDrawsWhenRefused) {
  // The shared BMP test pictures.
  bool haveSuite = fs::exists(kBmpSuite);
  if (haveSuite) {
    for (const char* sub : {"g", "q", "b"})
      SweepFolder(std::string("bmpsuite ") + sub, kBmpSuite / sub, false);
  }

  // The gdk-pixbuf-tests pictures: samples, pictures that must fail, and pictures that the
  // package's own test modifies at random; we modify them here too, with a fixed seed.
  bool havePixbuf = fs::exists(kPixbufTests / "test-images");
  if (havePixbuf) {
    SweepFolder("gdk-pixbuf samples", kPixbufTests, false);
    for (const char* sub : {"reftests", "gif-test-suite"})
      if (fs::exists(kPixbufTests / "test-images" / sub))
        SweepFolder("gdk-pixbuf samples", kPixbufTests / "test-images" / sub, true);
    if (fs::exists(kPixbufTests / "test-images/fail"))
      SweepFolder("gdk-pixbuf fail/", kPixbufTests / "test-images/fail", false);
    fs::path modified = kPixbufTests / "test-images/randomly-modified";
    if (fs::exists(modified)) {
      SweepFolder("gdk-pixbuf randomly-modified/", modified, false);
      std::mt19937 random(20240607);
      std::vector<fs::path> originals;
      for (const auto& e : fs::directory_iterator(modified)) originals.push_back(e.path());
      std::sort(originals.begin(), originals.end());
      for (const fs::path& original : originals) {
        std::string bytes = test::ReadBytes(original);
        if (bytes.empty()) continue;
        for (int k = 0; k < 8; ++k) {
          std::string changed = bytes;
          std::size_t changes = std::max<std::size_t>(1, changed.size() / 200);
          for (std::size_t c = 0; c < changes; ++c)
            changed[random() % changed.size()] = static_cast<char>(random() & 0xFF);
          fs::path file =
              folder / ("modified-" + std::to_string(k) + "-" + original.filename().string());
          test::WriteBytes(file, changed);
          Sweep("gdk-pixbuf randomly-modified/ (seeded changes)", file);
        }
      }
    }
  } else {
    std::printf("gdk-pixbuf-tests is not installed: its pictures are not swept\n");
  }

  // Every kind of BMP, whole and cut off.
  for (const test::BmpFormat& format : test::AllBmpFormats()) {
    test::Picture picture = test::PatternPicture(53, 31, format.bits < 8 ? 1 << format.bits : 8);
    std::string bytes = test::EncodeBmp(picture, format);
    std::string name = "bmp-" + std::to_string(format.bits) + "-" +
                       std::to_string(format.compression) + "-" +
                       std::to_string(format.headerSize) + (format.topDown ? "-topdown" : "");
    test::WriteBytes(folder / (name + ".bmp"), bytes);
    test::WriteBytes(folder / (name + "-cut.bmp"), bytes.substr(0, bytes.size() * 3 / 5));
    test::WriteBytes(folder / (name + "-cut-header.bmp"), bytes.substr(0, 30));
    Sweep("generated BMP", folder / (name + ".bmp"));
    Sweep("generated BMP, cut off", folder / (name + "-cut.bmp"));
    Sweep("generated BMP, cut off", folder / (name + "-cut-header.bmp"));
  }

  // JPEGs: baseline, progressive, grey, CMYK, arithmetic-coded, cut off, huge headers.
  QImage gradient = Gradient(300, 200);
  std::vector<std::pair<std::string, std::string>> jpegs = {
      {"baseline.jpg", EncodeJpeg(gradient, false)},
      {"progressive.jpg", EncodeJpeg(gradient, true)},
      {"grey.jpg", EncodeJpeg(gradient.convertToFormat(QImage::Format_Grayscale8), false)},
      {"grey-progressive.jpg",
       EncodeJpeg(gradient.convertToFormat(QImage::Format_Grayscale8), true)},
      {"cmyk.jpg", CmykJpeg(40, 24, std::array{200, 60, 30, 220}.data())},
      {"arithmetic.jpg", test::ReadBytes(kData / "arithmetic.jpg")},
      {"arithmetic-progressive.jpg", test::ReadBytes(kData / "arithmetic-progressive.jpg")},
  };
  for (const auto& [name, bytes] : jpegs) {
    ASSERT_FALSE(bytes.empty()) << name;
    test::WriteBytes(folder / name, bytes);
    Sweep("generated JPEG", folder / name);
    for (int part : {2, 5, 9}) {
      fs::path cut = folder / ("cut" + std::to_string(part) + "-" + name);
      test::WriteBytes(cut, bytes.substr(0, bytes.size() * part / 10));
      Sweep("generated JPEG, cut off", cut);
    }
  }
  // Headers that declare more than a decoder should be given.
  std::string small = EncodeJpeg(Gradient(16, 16), false, 50);
  std::string smallProgressive = EncodeJpeg(Gradient(16, 16), true, 50);
  const std::pair<std::string, std::string> huge[] = {
      {"64250x64250.jpg", WithFrameSize(small, 64250, 64250)},
      {"65535x1.jpg", WithFrameSize(small, 65535, 1)},
      {"9000x9000-progressive.jpg", WithFrameSize(smallProgressive, 9000, 9000)},
  };
  for (const auto& [name, bytes] : huge) {
    test::WriteBytes(folder / name, bytes);
    Sweep("generated JPEG, huge header", folder / name);
    EXPECT_EQ(imaging.ImageParam(folder / name, 1), 0) << name;
  }

  // A format Qt reads but the game does not show, and files that are no pictures at all.
  test::WriteBytes(folder / "picture.png", Encode(gradient, "PNG"));
  test::WriteBytes(folder / "cut.png", Encode(gradient, "PNG").substr(0, 2000));
  Sweep("generated PNG (never shown)", folder / "picture.png");
  Sweep("generated PNG (never shown)", folder / "cut.png");
  test::WriteBytes(folder / "empty.jpg", "");
  test::WriteBytes(folder / "text.bmp", "BM but then just text, nothing more\r\n");
  fs::create_directories(folder / "folder.jpg");
  fs::create_symlink("/dev/zero", folder / "zero.jpg");
  ASSERT_EQ(mkfifo((folder / "pipe.jpg").c_str(), 0600), 0);  // must not block
  for (const char* name :
       {"empty.jpg", "text.bmp", "folder.jpg", "zero.jpg", "pipe.jpg", "missing.jpg"})
    Sweep("no pictures", folder / name);

  std::string line = "[ figure ] picture sweep: drawn / sizes only / refused:";
  for (const Tally& t : tallies)
    line += " " + t.category + " " + std::to_string(t.drawn) + "/" + std::to_string(t.sizesOnly) +
            "/" + std::to_string(t.refused) + ";";
  char tail[256];
  std::snprintf(tail, sizeof tail, " slowest decode %.1f ms (%s); peak memory %.1f MB", slowestMs,
                slowest.c_str(), PeakRssKb() / 1024.0);
  std::printf("%s%s\n", line.c_str(), tail);
  if (!haveSuite) std::printf("no BMP test pictures at %s\n", kBmpSuite.c_str());
}

// A 1.4 KB JPEG whose frame declares 64250 x 64250 pixels is refused from its header alone,
// whatever QT_IMAGEIO_MAXALLOC says: the test runs itself again with the limit lifted.
TEST(HugeHeader, AJpegDeclaringAHugePictureIsRefusedFromItsHeader) {
  test::TempFolder folder;
  // Enough detail that the file is about the size of the ones seen in the wild.
  std::string bytes = WithFrameSize(EncodeJpeg(Gradient(64, 64), false, 95), 64250, 64250);
  fs::path file = folder / "huge.jpg";
  test::WriteBytes(file, bytes);

  QWidget window;
  QtImagingLibrary imaging(&window, SystemOs());
  imaging.OpenGfx(0, 0, 200, 230, 2048);
  imaging.BrushColor(0x00502010);
  imaging.GfxCLS();
  long peakBefore = HighWaterKb();
  QElapsedTimer timer;
  timer.start();
  int width = imaging.ImageParam(file, 1), height = imaging.ImageParam(file, 2);
  int drew = imaging.StretchImage(file, 200, 200);
  ASSERT_TRUE(imaging.WaitIdle());
  double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  long peakAfter = HighWaterKb();
  EXPECT_EQ(width, 0);
  EXPECT_EQ(height, 0);
  EXPECT_EQ(drew, 0);
  QImage cleared(200, 230, QImage::Format_RGB32);
  cleared.fill(QColor(0x10, 0x20, 0x50));
  EXPECT_TRUE(imaging.Area()->Canvas() == cleared);
  std::printf(
      "[ figure ] huge-header JPEG (%zu bytes, 64250 x 64250): refused in %.2f ms, "
      "peak memory grew %.1f MB (process peak %.1f MB), QT_IMAGEIO_MAXALLOC=%s, "
      "Qt allocation limit %d MB\n",
      bytes.size(), ms, (peakAfter - peakBefore) / 1024.0, peakAfter / 1024.0,
      qgetenv("QT_IMAGEIO_MAXALLOC").isNull() ? "(unset)"
                                              : qgetenv("QT_IMAGEIO_MAXALLOC").constData(),
      QImageReader::allocationLimit());
  std::fflush(stdout);

  if (qEnvironmentVariableIsSet("QVM_HUGE_HEADER_CHILD")) return;
  // Again in a fresh process where Qt's own limit is switched off (0 = none).
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_IMAGEIO_MAXALLOC", "0");
  env.insert("QVM_HUGE_HEADER_CHILD", "1");
  env.insert("QT_QPA_PLATFORM", "offscreen");
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(),
              {"--gtest_filter=HugeHeader.AJpegDeclaringAHugePictureIsRefusedFromItsHeader"});
  ASSERT_TRUE(child.waitForFinished(60000));
  QString output = QString::fromLocal8Bit(child.readAll());
  EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
  for (const QString& l : output.split('\n'))
    if (l.startsWith("[ figure ]")) std::printf("(no Qt limit) %s\n", qPrintable(l));
}

}  // namespace
}  // namespace qvm
