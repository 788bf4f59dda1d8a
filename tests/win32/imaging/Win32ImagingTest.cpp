// The Windows window's imaging library in-process: decoded pixels, refusals that agree with the
// picture-header reader, the newest request winning, the clear colour, the tips' pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/win32/imaging/Resample.h"
#include "app/win32/imaging/Win32Imaging.h"
#include "images/PictureHeader.h"
#include "platform/Os.h"
#include "tests/unit/BmpWriter.h"
#include "tests/unit/JpegWriter.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

namespace fs = std::filesystem;

constexpr UINT kDone = WM_APP + 7;
constexpr std::uint32_t kPreviewBlue = 20 | (20 << 8) | (80 << 16);  // COLORREF of 20, 20, 80
constexpr std::uint32_t kBlueOnCanvas = 0xFF141450;
const fs::path kData = QVM_IMAGING_DATA;
// The test JPEGs: 64 x 48, red | green over blue | white, split at x 32 and y 32.
const fs::path kBaseline = kData / "baseline.jpg";
const fs::path kProgressive = kData / "progressive.jpg";

Win32ImagingLibrary* gLibrary = nullptr;  // the one the test dialog tells of finished decodes

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kDone && gLibrary) {
    gLibrary->DecodeFinished();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeDialog() {
  WNDCLASSW dialogClass{};
  dialogClass.lpfnWndProc = DialogProc;
  dialogClass.hInstance = GetModuleHandleW(nullptr);
  dialogClass.lpszClassName = L"QvmImagingTestDialog";
  RegisterClassW(&dialogClass);
  return CreateWindowExW(0, L"QvmImagingTestDialog", L"test", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Channel distance of two 0xFFRRGGBB pixels.
int Distance(std::uint32_t a, std::uint32_t b) {
  int most = 0;
  for (int shift : {0, 8, 16})
    most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
  return most;
}

class Win32ImagingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(dialog, nullptr)
        << "no window: under Wine without X the prefix needs the null graphics driver";
    library = std::make_unique<Win32ImagingLibrary>(dialog, SystemOs(), kDone);
    gLibrary = library.get();
    library->OpenGfx(10, 20, 200, 230, 2048);
    library->GfxWindow(5);
    library->BrushColor(kPreviewBlue);
    library->GfxCLS();
  }
  void TearDown() override {
    gLibrary = nullptr;
    library.reset();
    if (dialog) DestroyWindow(dialog);
  }
  std::uint32_t At(int x, int y) const {
    return library->Canvas()[static_cast<std::size_t>(y) * library->AreaWidth() + x];
  }
  int DrawnCount() const {
    int count = 0;
    for (std::uint32_t p : library->Canvas()) count += p != kBlueOnCanvas;
    return count;
  }
  // Draws like the preview does and waits for a decode on the worker.
  int Show(const fs::path& file, int width, int height) {
    library->GfxCLS();
    const int drew = library->StretchImage(file, width, height);
    EXPECT_TRUE(library->WaitIdle(20000));
    return drew;
  }

  HWND dialog = MakeDialog();
  std::unique_ptr<Win32ImagingLibrary> library;
  test::TempFolder folder;
};

TEST_F(Win32ImagingTest, TheAreaIsClearedToTheBrushColourAndPaintedWhereOpened) {
  EXPECT_EQ(library->AreaWidth(), 200);
  EXPECT_EQ(library->AreaHeight(), 230);
  EXPECT_EQ(DrawnCount(), 0);
  ASSERT_NE(library->Area(), nullptr);
  RECT area;
  GetWindowRect(library->Area(), &area);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
  EXPECT_EQ(area.left, 10);
  EXPECT_EQ(area.top, 20);
  EXPECT_EQ(area.right - area.left, 200);

  // Paint into a white bitmap as large as the dialog: the area at its place, nothing else.
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 300, -300, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  std::fill_n(static_cast<std::uint32_t*>(bits), 300 * 300, 0xFFFFFFFF);
  HGDIOBJ old = SelectObject(dc, bitmap);
  library->Paint(dc);
  EXPECT_EQ(GetPixel(dc, 10, 20), RGB(20, 20, 80));
  EXPECT_EQ(GetPixel(dc, 209, 249), RGB(20, 20, 80));
  EXPECT_EQ(GetPixel(dc, 9, 20), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 210, 250), RGB(255, 255, 255));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);

  library->BrushColor(0x00FF0000);  // blue in the high byte of a COLORREF
  library->GfxCLS();
  EXPECT_EQ(At(0, 0), 0xFF0000FFu);
  EXPECT_EQ(library->GfxConvert(1, 123), 123);
}

TEST_F(Win32ImagingTest, TheDialogMayGoFirst) {
  DestroyWindow(dialog);
  dialog = nullptr;
  EXPECT_EQ(library->Area(), nullptr);
  library->GfxCLS();
  EXPECT_EQ(library->StretchImage(kBaseline, 64, 48), 1);  // drawn on the canvas alone
  EXPECT_GT(DrawnCount(), 0);
}

TEST_F(Win32ImagingTest, EveryKindDecodesToItsPixelsAtOnceAndOnTheWorker) {
  struct Sample {
    int x, y;
    std::uint32_t rgb;
  };
  struct Case {
    const char* name;
    fs::path file;
    int width, height;
    int tolerance;
    std::vector<Sample> samples;  // in the picture's shown coordinates
  };
  const std::vector<Sample> quadrants = {
      {16, 16, 0xFFFF0000}, {48, 16, 0xFF00FF00}, {16, 40, 0xFF0000FF}, {48, 40, 0xFFFFFFFF}};
  const std::vector<Sample> halfQuadrants = {
      {8, 8, 0xFFFF0000}, {24, 8, 0xFF00FF00}, {8, 20, 0xFF0000FF}, {24, 20, 0xFFFFFFFF}};
  std::vector<Case> cases = {
      {"baseline 4:2:0", kBaseline, 64, 48, 12, quadrants},
      {"progressive", kProgressive, 64, 48, 12, quadrants},
      {"progressive, scaled down", kProgressive, 32, 24, 12, halfQuadrants},
  };
  const test::Picture pattern = test::PatternPicture(24, 10, 8);
  std::vector<Sample> every;
  for (int y = 0; y < pattern.height; ++y)
    for (int x = 0; x < pattern.width; ++x) every.push_back({x, y, pattern.At(x, y)});
  for (int bits : {24, 8, 4}) {
    const fs::path file = folder / ("pattern" + std::to_string(bits) + ".bmp");
    test::WriteBytes(file, test::EncodeBmp(pattern, test::BmpFormat{.bits = bits}));
    cases.push_back({"bmp", file, pattern.width, pattern.height, 0, every});
  }

  for (bool worker : {false, true}) {
    library->SetSynchronousDecodeCost(worker ? 0 : kWin32SynchronousDecodeCost);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " " + c.file.filename().string() +
                   (worker ? " on the worker" : " at once"));
      EXPECT_EQ(Show(c.file, c.width, c.height), 1);
      EXPECT_GT(DrawnCount(), 0);
      const int left = (200 - c.width) / 2, top = (230 - c.height) / 2;
      for (const Sample& s : c.samples)
        ASSERT_LE(Distance(At(left + s.x, top + s.y), s.rgb), c.tolerance)
            << "at " << s.x << "," << s.y << ": " << std::hex << At(left + s.x, top + s.y);
      // Nothing outside the picture's rectangle.
      EXPECT_EQ(At(left - 1, top), kBlueOnCanvas);
      EXPECT_EQ(At(left + c.width, top + c.height - 1), kBlueOnCanvas);
      EXPECT_EQ(At(left, top + c.height), kBlueOnCanvas);
    }
  }
}

TEST_F(Win32ImagingTest, RefusedFilesAnswerAsTheHeaderReaderAndDrawNothing) {
  const std::string baseline = test::ReadBytes(kBaseline);
  const struct {
    const char* name;
    std::string bytes;
  } files[] = {
      {"huge.jpg", test::JpegFile(0xC0, 40000, 10)},
      {"9000x9000.jpg", test::JpegFile(0xC2, 9000, 9000)},
      {"lossless.jpg", test::JpegFile(0xC3, 64, 48)},
      {"cut-in-header.jpg", baseline.substr(0, 40)},
      {"notes.jpg", "This is a text file, not a picture.\r\n"},
      {"empty.bmp", ""},
      {"huge.bmp",
       test::EncodeBmp(test::PatternPicture(2, 2, 2), {}).replace(18, 4, "\xFF\xFF\0\0", 4)},
      // A frame the header reader accepts over a scan no decoder makes sense of.
      {"garbage-scan.jpg", test::JpegFile(0xC0, 64, 48)},
  };
  for (bool worker : {false, true}) {
    library->SetSynchronousDecodeCost(worker ? 0 : kWin32SynchronousDecodeCost);
    for (const auto& f : files) {
      SCOPED_TRACE(std::string(f.name) + (worker ? " on the worker" : " at once"));
      const fs::path file = folder / f.name;
      test::WriteBytes(file, f.bytes);
      const PictureHeader header = ReadPictureHeader(SystemOs(), file);
      EXPECT_EQ(library->ImageParam(file, 1), header.Width());
      EXPECT_EQ(library->ImageParam(file, 2), header.Height());
      const int drew = Show(file, 50, 40);
      if (!worker) {
        EXPECT_EQ(drew, 0);  // on the worker, a failure shows only as no picture
      }
      EXPECT_EQ(DrawnCount(), 0);
    }
  }
  EXPECT_EQ(library->ImageParam(folder / "missing.jpg", 1), 0);
  EXPECT_EQ(library->StretchImage(folder / "missing.jpg", 50, 40), 0);
  EXPECT_EQ(library->StretchImage(folder.path(), 50, 40), 0);
  EXPECT_EQ(library->StretchImage(kBaseline, 0, 40), 0);
}

TEST_F(Win32ImagingTest, SharedTestPicturesAnswerAsTheHeaderReaderAndNeverCrash) {
  const fs::path suite = fs::path(QVM_TEST_IMAGES_DIR) / "bmpsuite";
  if (!fs::exists(suite)) GTEST_SKIP() << "no test pictures at " << suite;
  int shown = 0;
  for (const char* sub : {"g", "q", "b"}) {
    for (const auto& entry : fs::directory_iterator(suite / sub)) {
      SCOPED_TRACE(entry.path().string());
      const PictureHeader header = ReadPictureHeader(SystemOs(), entry.path());
      ASSERT_EQ(library->ImageParam(entry.path(), 1), header.Width());
      ASSERT_EQ(library->ImageParam(entry.path(), 2), header.Height());
      const int drew = Show(entry.path(), 40, 30);
      if (!header.Shown()) {
        EXPECT_EQ(drew + DrawnCount(), 0);
      }
      shown += DrawnCount() > 0;
    }
  }
  EXPECT_GT(shown, 50);
}

TEST_F(Win32ImagingTest, OnlyTheNewestRequestDraws) {
  library->SetSynchronousDecodeCost(0);
  // Two draws in a row: the second one's size is what shows.
  library->GfxCLS();
  EXPECT_EQ(library->StretchImage(kBaseline, 64, 48), 1);
  EXPECT_EQ(library->StretchImage(kProgressive, 32, 24), 1);
  ASSERT_TRUE(library->WaitIdle(20000));
  EXPECT_EQ(DrawnCount(), 32 * 24);
  EXPECT_EQ(library->Pending(), 0);
  // A clear after a draw: nothing shows, however late the decode ends.
  library->GfxCLS();
  library->StretchImage(kBaseline, 64, 48);
  library->GfxCLS();
  ASSERT_TRUE(library->WaitIdle(20000));
  EXPECT_EQ(DrawnCount(), 0);
  // Going while a decode runs neither hangs nor draws.
  library->StretchImage(kBaseline, 64, 48);
}

TEST(Win32SmallPicture, FitsTheSideAndKeepsTheProportions) {
  const struct {
    fs::path file;
    int side, width, height;
  } cases[] = {{kBaseline, 16, 16, 12}, {kBaseline, 200, 64, 48}, {kProgressive, 32, 32, 24}};
  for (const auto& c : cases) {
    HBITMAP bitmap = SmallPicture(SystemOs(), c.file, c.side);
    ASSERT_NE(bitmap, nullptr) << c.file;
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    EXPECT_EQ(dib.dsBm.bmWidth, c.width);
    EXPECT_EQ(dib.dsBm.bmHeight, c.height);
    const auto* pixels = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
    EXPECT_LE(Distance(pixels[0], 0xFFFF0000), 12) << std::hex << pixels[0];  // top-left red
    DeleteObject(bitmap);
  }
  test::TempFolder folder;
  test::WriteBytes(folder / "huge.jpg", test::JpegFile(0xC0, 40000, 10));
  EXPECT_EQ(SmallPicture(SystemOs(), folder / "huge.jpg", 64), nullptr);
  EXPECT_EQ(SmallPicture(SystemOs(), folder / "missing.jpg", 64), nullptr);
  EXPECT_EQ(SmallPicture(SystemOs(), kBaseline, 0), nullptr);
  EXPECT_EQ(SmallPicture(SystemOs(), kBaseline, 16, [] { return true; }), nullptr);
}

TEST(RowResampler, AveragesWhatItShrinksAndBlendsWhatItEnlarges) {
  const struct {
    const char* name;
    int sourceWidth, width;
    std::vector<std::uint32_t> row, expected;
  } cases[] = {
      {"same size",
       3,
       3,
       {0xFF102030, 0xFF405060, 0xFF708090},
       {0xFF102030, 0xFF405060, 0xFF708090}},
      {"stripes halved to grey",
       4,
       2,
       {0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF},
       {0xFF808080, 0xFF808080}},
      {"thirds of pixels", 3, 2, {0xFF000000, 0xFF000000, 0xFFFFFFFF}, {0xFF000000, 0xFFAAAAAA}},
      {"enlarged between neighbours",
       2,
       4,
       {0xFF000000, 0xFFFFFFFF},
       {0xFF000000, 0xFF404040, 0xFFBFBFBF, 0xFFFFFFFF}},
  };
  for (const auto& c : cases) {
    // The same row twice, shrunk to one row: the vertical direction adds nothing.
    RowResampler resampler(c.sourceWidth, 2, c.width, 1);
    resampler.AddRow(0, c.row.data());
    resampler.AddRow(1, c.row.data());
    EXPECT_EQ(resampler.Result(), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace qvm
