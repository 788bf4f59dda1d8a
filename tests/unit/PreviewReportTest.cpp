#include <gtest/gtest.h>

#include <string>

#include "app/Wizard.h"
#include "images/PreviewReport.h"

namespace qvm {
namespace {

TEST(NumberTextTest, DecimalWithoutLeadingOrTrailingZeros) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0.8, ".8"},
      {0.75, ".75"},
      {400, "400"},
      {1.60, "1.6"},
      {133.0 / 100, "1.33"},
      {0, "0"},
      {-0.0, "0"},
      {-0.5, "-.5"},
      {-2, "-2"},
      {0.01, ".01"},
      {1e-5, ".00001"},
      {0.1 + 0.2, ".3"},  // 0.30000000000000004 has 17 significant digits
      {1.0 / 3, ".333333333333333"},
      {2.0 / 3, ".666666666666667"},
      {123.456, "123.456"},
      {2147483647, "2147483647"},
      {1e15, "1000000000000000"},
      {1234567890123456789.0, "1234567890123460000"},
      {static_cast<double>(0.8f), ".800000011920929"},
  };
  for (const Case& c : cases) EXPECT_EQ(NumberText(c.value), c.text) << c.value;
}

constexpr const char* kEnd = "\r\n";
std::string Sizes(const char* w, const char* h, const char* ratio) {
  return std::string("Image Width: \t") + w + kEnd + "Image Height: \t" + h + kEnd +
         "Aspect Ratio: \t" + ratio;
}
const std::string kOk = std::string(kEnd) + "Aspect ratio is  ok.";
const std::string kPerfect = std::string(kEnd) + "Aspect ratio is perfectly  ok.";
std::string Advice(const char* ratio, const char* example) {
  return std::string(kEnd) + "Recommended Aspect Ratio:\t" + ratio + "," + kEnd + "\tequals e.g. " +
         example;
}

TEST(PreviewReportTest, WorkedExamplesAndEdges) {
  struct Case {
    const char* what;
    RecordKind kind;
    int members;
    int width;
    int height;
    std::string report;
  };
  const Case cases[] = {
      {"wrestler 400x500", RecordKind::Wrestler, 0, 400, 500, Sizes("400", "500", ".8") + kPerfect},
      {"wrestler 640x480", RecordKind::Wrestler, 0, 640, 480,
       Sizes("640", "480", "1.33") + Advice(".8", "640x800 or 384x480")},
      {"team 1000x500", RecordKind::TagTeam, 0, 1000, 500,
       Sizes("1000", "500", "2") + Advice("1.6", "1000x625 or 800x500")},
      {"stable of two 800x500", RecordKind::Stable, 2, 800, 500,
       Sizes("800", "500", "1.6") + kPerfect},
      {"stable of one 400x500", RecordKind::Stable, 1, 400, 500,
       Sizes("400", "500", ".8") + kPerfect},
      {"stable of three 1000x500", RecordKind::Stable, 3, 1000, 500,
       Sizes("1000", "500", "2") + Advice("2.4", "1000x417 or 1200x500")},
      {"stable of none, ratio 1.2", RecordKind::Stable, 0, 600, 500, Sizes("600", "500", "1.2")},
      {"manager 640x480", RecordKind::Manager, 0, 640, 480, Sizes("640", "480", "1.33")},
      {"title 400x500", RecordKind::Title, 0, 400, 500, Sizes("400", "500", ".8")},
      {"no record yet 1125x1000", RecordKind::None, 0, 1125, 1000, Sizes("1125", "1000", "1.12")},
      // Without a recommendation a ratio below the tolerance still reads as ok.
      {"manager 7x100", RecordKind::Manager, 0, 7, 100, Sizes("7", "100", ".07") + kOk},
      {"manager 1x200", RecordKind::Manager, 0, 1, 200, Sizes("1", "200", "0") + kPerfect},
      {"manager 8x100", RecordKind::Manager, 0, 8, 100, Sizes("8", "100", ".08")},
      // Distances right at the single-precision tolerances.
      {"wrestler 88x100", RecordKind::Wrestler, 0, 88, 100, Sizes("88", "100", ".88") + kOk},
      {"wrestler 72x100", RecordKind::Wrestler, 0, 72, 100,
       Sizes("72", "100", ".72") + Advice(".8", "72x90 or 80x100")},
      {"wrestler 405x500", RecordKind::Wrestler, 0, 405, 500,
       Sizes("405", "500", ".81") + kPerfect},
      {"wrestler 395x500", RecordKind::Wrestler, 0, 395, 500, Sizes("395", "500", ".79") + kOk},
      {"wrestler 1125x1000", RecordKind::Wrestler, 0, 1125, 1000,
       Sizes("1125", "1000", "1.12") + Advice(".8", "1125x1406 or 800x1000")},
      {"team 1x1", RecordKind::TagTeam, 0, 1, 1,
       Sizes("1", "1", "1") + Advice("1.6", "1x1 or 2x1")},
      {"wrestler, huge", RecordKind::Wrestler, 0, 2147483647, 2147483647,
       Sizes("2147483647", "2147483647", "1") +
           Advice(".8", "2147483647x2684354519 or 1717986943x2147483647")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PreviewReport(c.width, c.height, RecommendedRatio(c.kind, c.members)), c.report)
        << c.what;
  }
}

TEST(PreviewReportTest, UnreadablePictureShowsZeroSizesAndNoRatio) {
  const std::string zeros = std::string("Image Width: \t0") + kEnd + "Image Height: \t0";
  const int sizes[][2] = {{0, 0}, {0, 500}, {500, 0}, {-4, 100}, {100, -4}};
  for (const auto& s : sizes) {
    for (RecordKind kind :
         {RecordKind::None, RecordKind::Wrestler, RecordKind::TagTeam, RecordKind::Stable}) {
      EXPECT_EQ(PreviewReport(s[0], s[1], RecommendedRatio(kind, 2)), zeros)
          << s[0] << "x" << s[1] << " kind " << static_cast<int>(kind);
    }
  }
}

TEST(FitPreviewTest, KeepsProportionsWithEvenTies) {
  struct Case {
    int width, height, areaWidth, areaHeight;
    int shownWidth, shownHeight;
  };
  const Case cases[] = {
      {400, 500, 300, 375, 300, 375}, {640, 480, 300, 375, 300, 225},
      {500, 500, 300, 375, 300, 300}, {1000, 500, 300, 375, 300, 150},
      {100, 50, 300, 375, 300, 150},  // small pictures grow to fill the area
      {8, 3, 300, 375, 299, 112},     // 112.5 rounds to the even 112
      {8, 1, 300, 375, 304, 38},      // 37.5 rounds to the even 38
      {1, 2, 300, 375, 188, 376},     // 187.5 to 188, then height from the rounded width
      {1, 100000, 300, 375, 0, 0},    {0, 500, 300, 375, 0, 0},
      {400, 500, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    PreviewFit fit = FitPreview(c.width, c.height, c.areaWidth, c.areaHeight);
    EXPECT_EQ(fit.width, c.shownWidth) << c.width << "x" << c.height;
    EXPECT_EQ(fit.height, c.shownHeight) << c.width << "x" << c.height;
  }
}

}  // namespace
}  // namespace qvm
