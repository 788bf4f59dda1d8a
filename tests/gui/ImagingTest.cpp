// Our imaging library on real pictures and on files that are no pictures.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <string>

#include "app/qt/QtImaging.h"
#include "platform/Os.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kPreviewBlue = 20 | (20 << 8) | (80 << 16);  // COLORREF of 20, 20, 80
const fs::path kBmpSuite = fs::path(QVM_TEST_IMAGES_DIR) / "bmpsuite";

// The rectangle of canvas pixels that differ from `background`, and how many do.
struct Drawn {
  QRect bounds;
  int count = 0;
};
Drawn DrawnPixels(const QImage& canvas, QRgb background) {
  Drawn drawn;
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x)
      if ((canvas.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) {
        drawn.bounds |= QRect(x, y, 1, 1);
        ++drawn.count;
      }
  return drawn;
}

class ImagingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    imaging.OpenGfx(10, 20, 200, 230, 2048);
    imaging.GfxWindow(5);
    imaging.BrushColor(kPreviewBlue);
    imaging.GfxCLS();
    QImage red(400, 500, QImage::Format_RGB32);
    red.fill(Qt::red);
    jpeg = folder / "Hero.JPG";
    ASSERT_TRUE(red.save(QString::fromStdString(jpeg.string()), "JPG", 95));
  }
  const QImage& Canvas() { return imaging.Area()->Canvas(); }
  Drawn Drawing() { return DrawnPixels(Canvas(), qRgb(20, 20, 80)); }

  QWidget window;
  QtImagingLibrary imaging{&window, SystemOs()};
  test::TempFolder folder;
  fs::path jpeg;
};

TEST_F(ImagingTest, TheAreaSitsWhereOpenedAndClearsWithTheBrushColour) {
  ASSERT_NE(imaging.Area(), nullptr);
  EXPECT_EQ(imaging.Area()->geometry(), QRect(10, 20, 200, 230));
  EXPECT_EQ(Canvas().size(), QSize(200, 230));
  EXPECT_EQ(Drawing().count, 0);
  imaging.BrushColor(0x00FF0000);  // blue in the high byte of a COLORREF
  imaging.GfxCLS();
  EXPECT_EQ(Canvas().pixel(0, 0) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(imaging.GfxConvert(1, 123), 123);
  EXPECT_EQ(imaging.GfxConvert(2, 45), 45);
}

TEST_F(ImagingTest, SizesComeFromTheHeader) {
  EXPECT_EQ(imaging.ImageParam(jpeg, 1), 400);
  EXPECT_EQ(imaging.ImageParam(jpeg, 2), 500);
  if (!fs::exists(kBmpSuite)) GTEST_SKIP() << "no BMP test pictures at " << kBmpSuite;
  EXPECT_EQ(imaging.ImageParam(kBmpSuite / "g/rgb24.bmp", 1), 127);
  EXPECT_EQ(imaging.ImageParam(kBmpSuite / "g/rgb24.bmp", 2), 64);
  for (const auto& entry : fs::directory_iterator(kBmpSuite / "g")) {
    QImage decoded(QString::fromStdString(entry.path().string()));
    if (decoded.isNull()) continue;
    EXPECT_EQ(imaging.ImageParam(entry.path(), 1), decoded.width()) << entry.path();
    EXPECT_EQ(imaging.ImageParam(entry.path(), 2), decoded.height()) << entry.path();
  }
}

TEST_F(ImagingTest, StretchImageDrawsExactlyTheGivenSizeCentred) {
  struct Case {
    fs::path file;
    int width, height;
  };
  std::vector<Case> cases = {{jpeg, 184, 230}, {jpeg, 100, 125}, {jpeg, 7, 3}};
  if (fs::exists(kBmpSuite)) cases.push_back({kBmpSuite / "g/rgb24.bmp", 127, 64});
  for (const Case& c : cases) {
    imaging.GfxCLS();
    EXPECT_EQ(imaging.StretchImage(c.file, c.width, c.height), 1) << c.file;
    Drawn drawn = Drawing();
    EXPECT_EQ(drawn.bounds, QRect((200 - c.width) / 2, (230 - c.height) / 2, c.width, c.height))
        << c.file << " " << c.width << "x" << c.height;
  }
  imaging.GfxCLS();
  imaging.StretchImage(jpeg, 100, 125);
  EXPECT_EQ(Drawing().count, 100 * 125);  // solid red everywhere inside
}

TEST_F(ImagingTest, FilesThatAreNoPicturesGiveZeroAndDrawNothing) {
  std::string bytes = test::ReadBytes(jpeg);
  test::WriteBytes(folder / "cut-in-header.jpg", bytes.substr(0, 20));
  test::WriteBytes(folder / "notes.jpg", "This is a text file, not a picture.\r\n");
  test::WriteBytes(folder / "empty.bmp", "");
  const fs::path files[] = {folder / "cut-in-header.jpg", folder / "notes.jpg",
                            folder / "empty.bmp", folder / "missing.jpg", folder.path()};
  for (const fs::path& file : files) {
    EXPECT_EQ(imaging.ImageParam(file, 1), 0) << file;
    EXPECT_EQ(imaging.ImageParam(file, 2), 0) << file;
    EXPECT_EQ(imaging.StretchImage(file, 50, 60), 0) << file;
    EXPECT_EQ(Drawing().count, 0) << file;
  }
  EXPECT_EQ(imaging.StretchImage(jpeg, 0, 60), 0);
  EXPECT_EQ(imaging.StretchImage(jpeg, 60, -1), 0);
  EXPECT_EQ(Drawing().count, 0);
}

TEST_F(ImagingTest, APictureCutShortKeepsItsHeaderSizeAndNeverCrashes) {
  std::string bytes = test::ReadBytes(jpeg);
  fs::path cut = folder / "cut.jpg";
  test::WriteBytes(cut, bytes.substr(0, bytes.size() / 2));
  EXPECT_EQ(imaging.ImageParam(cut, 1), 400);
  EXPECT_EQ(imaging.ImageParam(cut, 2), 500);
  imaging.StretchImage(cut, 184, 230);
  Drawn drawn = Drawing();
  EXPECT_TRUE(drawn.count == 0 || drawn.bounds == QRect(8, 0, 184, 230));
}

TEST_F(ImagingTest, BadAndQuestionableBitmapsNeverCrash) {
  if (!fs::exists(kBmpSuite)) GTEST_SKIP() << "no BMP test pictures at " << kBmpSuite;
  for (const char* sub : {"b", "q"}) {
    for (const auto& entry : fs::directory_iterator(kBmpSuite / sub)) {
      imaging.GfxCLS();
      int width = imaging.ImageParam(entry.path(), 1);
      int height = imaging.ImageParam(entry.path(), 2);
      EXPECT_GE(width, 0);
      EXPECT_GE(height, 0);
      int drew = imaging.StretchImage(entry.path(), 40, 30);
      if (width == 0 || height == 0) {
        EXPECT_EQ(drew, 0) << entry.path();
        EXPECT_EQ(Drawing().count, 0) << entry.path();
      }
    }
  }
}

// Our BMP reader against Qt's on the good test pictures: the same colours.
TEST_F(ImagingTest, GoodBitmapsLookAsQtShowsThem) {
  if (!fs::exists(kBmpSuite)) GTEST_SKIP() << "no BMP test pictures at " << kBmpSuite;
  int compared = 0;
  for (const auto& entry : fs::directory_iterator(kBmpSuite / "g")) {
    QImage theirs(QString::fromStdString(entry.path().string()));
    if (theirs.isNull()) continue;
    theirs = theirs.convertToFormat(QImage::Format_RGB32);
    PictureHeader header = ReadPictureHeader(SystemOs(), entry.path());
    ASSERT_EQ(header.format, PictureFormat::Bmp) << entry.path();
    QImage ours = DecodePicture(SystemOs(), entry.path(), header, theirs.size());
    ASSERT_EQ(ours.size(), theirs.size()) << entry.path();
    int worst = 0;
    for (int y = 0; y < ours.height(); ++y)
      for (int x = 0; x < ours.width(); ++x) {
        QRgb a = ours.pixel(x, y), b = theirs.pixel(x, y);
        worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                          std::abs(qBlue(a) - qBlue(b))});
      }
    // Qt shifts 5- and 6-bit channels up without filling the low bits (31 gives 248); we
    // stretch them to the full range (31 gives 255).
    bool narrow = entry.path().filename().string().starts_with("rgb16");
    EXPECT_LE(worst, narrow ? 7 : 0) << entry.path();
    ++compared;
  }
  EXPECT_GT(compared, 20);
}

// A large picture draws when its decode on the worker ends, unless a clear or another draw
// came first: then it never appears.
TEST_F(ImagingTest, OnlyTheNewestRequestDraws) {
  QImage big(4000, 2600, QImage::Format_RGB32);
  big.fill(Qt::green);
  fs::path bigFile = folder / "big.jpg";
  ASSERT_TRUE(big.save(QString::fromStdString(bigFile.string()), "JPG", 80));
  std::vector<quint64> drawn;
  QObject::connect(&imaging, &QtImagingLibrary::pictureDrawn,
                   [&](quint64 generation) { drawn.push_back(generation); });
  auto centre = [&] { return Canvas().pixel(100, 115) & 0xFFFFFF; };
  const QRgb background = qRgb(20, 20, 80) & 0xFFFFFF;

  // Cleared after the request: the decode finishes, but nothing is drawn.
  EXPECT_EQ(imaging.StretchImage(bigFile, 200, 130), 1);
  EXPECT_EQ(imaging.Pending(), 1);
  imaging.GfxCLS();
  ASSERT_TRUE(imaging.WaitIdle());
  EXPECT_EQ(centre(), background);
  EXPECT_TRUE(drawn.empty());

  // A small picture drawn after the large one stays.
  imaging.StretchImage(bigFile, 200, 130);
  imaging.GfxCLS();
  ASSERT_EQ(imaging.StretchImage(jpeg, 184, 230), 1);
  ASSERT_EQ(drawn.size(), 1u);  // drawn at once
  ASSERT_TRUE(imaging.WaitIdle());
  EXPECT_GT(qRed(centre()), 240);
  EXPECT_LT(qGreen(centre()), 20);
  EXPECT_EQ(drawn, std::vector<quint64>{imaging.Generation()});

  // Alone, the large picture draws when its decode is done.
  imaging.GfxCLS();
  imaging.StretchImage(bigFile, 200, 130);
  quint64 generation = imaging.Generation();
  ASSERT_TRUE(imaging.WaitIdle());
  EXPECT_EQ(drawn.back(), generation);
  EXPECT_EQ(Drawing().bounds, QRect(0, 50, 200, 130));
  EXPECT_LT(qRed(Canvas().pixel(100, 115)), 40);
  EXPECT_GT(qGreen(Canvas().pixel(100, 115)), 200);
}

// The content decides the format, not the name; a file changed on disk is read again.
TEST_F(ImagingTest, HeadersFollowTheContentAndChangesOnDisk) {
  QImage blue(30, 20, QImage::Format_RGB32);
  blue.fill(Qt::blue);
  fs::path bmpNamedJpg = folder / "really-a-bitmap.jpg";
  fs::path jpgNamedBmp = folder / "really-a-jpeg.bmp";
  ASSERT_TRUE(blue.save(QString::fromStdString(bmpNamedJpg.string()), "BMP"));
  ASSERT_TRUE(blue.save(QString::fromStdString(jpgNamedBmp.string()), "JPG"));
  EXPECT_EQ(ReadPictureHeader(SystemOs(), bmpNamedJpg).format, PictureFormat::Bmp);
  EXPECT_EQ(ReadPictureHeader(SystemOs(), jpgNamedBmp).format, PictureFormat::Jpeg);
  for (const fs::path& file : {bmpNamedJpg, jpgNamedBmp}) {
    EXPECT_EQ(imaging.ImageParam(file, 1), 30) << file;
    EXPECT_EQ(imaging.ImageParam(file, 2), 20) << file;
  }
  // Formats the game never uses are not handed to a decoder at all.
  ASSERT_TRUE(blue.save(QString::fromStdString((folder / "icon.jpg").string()), "ICO"));
  EXPECT_EQ(imaging.ImageParam(folder / "icon.jpg", 1), 0);

  QImage wide(64, 16, QImage::Format_RGB32);
  wide.fill(Qt::blue);
  ASSERT_TRUE(wide.save(QString::fromStdString(bmpNamedJpg.string()), "BMP"));
  EXPECT_EQ(imaging.ImageParam(bmpNamedJpg, 1), 64);
  EXPECT_EQ(imaging.ImageParam(bmpNamedJpg, 2), 16);
}

}  // namespace
}  // namespace qvm
