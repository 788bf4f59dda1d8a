#include "images/PreviewReport.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qvm {
namespace {

// The game's constants are single precision; they enter the arithmetic widened, exactly.
constexpr double kWrestlerRatio = static_cast<double>(0.8f);
constexpr double kTeamRatio = static_cast<double>(1.6f);
constexpr double kOkTolerance = static_cast<double>(0.08f);
constexpr double kPerfectTolerance = static_cast<double>(0.01f);

constexpr const char* kCrLf = "\r\n";

// Nearest pixel count, ties to even; never negative.
int ToPixels(double x) {
  double r = std::nearbyint(x);
  if (!(r > 0)) return 0;
  return r >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(r);
}

}  // namespace

std::string NumberText(double value) {
  if (!std::isfinite(value) || value == 0) return "0";
  // Fifteen significant digits, rounded once, then laid out without an exponent.
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
  std::string digits(1, buf[0]);
  digits.append(buf + 2, 14);
  const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const int before = exponent + 1;  // digits before the decimal point
  const int count = static_cast<int>(digits.size());
  std::string out = value < 0 ? "-" : "";
  if (before <= 0) {
    out += '.';
    out.append(static_cast<std::size_t>(-before), '0');
    out += digits;
  } else if (before >= count) {
    out += digits;
    out.append(static_cast<std::size_t>(before - count), '0');
  } else {
    out += digits.substr(0, static_cast<std::size_t>(before));
    out += '.';
    out += digits.substr(static_cast<std::size_t>(before));
  }
  return out;
}

double Round2(double x) { return std::nearbyint(x * 100) / 100; }
double Round0(double x) { return std::nearbyint(x); }
double Floor2(double x) { return std::floor(x * 100) / 100; }

double RecommendedRatio(RecordKind recordKind, int selectedMembers) {
  switch (recordKind) {
    case RecordKind::Wrestler:
      return kWrestlerRatio;
    case RecordKind::TagTeam:
      return kTeamRatio;
    case RecordKind::Stable:
      // The single-precision 0.8 times 100 per member, rounded down: n x 80 for any list.
      return std::floor(selectedMembers * (kWrestlerRatio * 100)) / 100;
    default:
      return 0;
  }
}

std::string PreviewReport(int width, int height, double recommendedRatio) {
  if (width <= 0 || height <= 0) {
    return std::string("Image Width: \t0") + kCrLf + "Image Height: \t0";
  }
  const double w = width;
  const double h = height;
  const double ratio = w / h;
  std::string report = "Image Width: \t" + NumberText(w) + kCrLf + "Image Height: \t" +
                       NumberText(h) + kCrLf + "Aspect Ratio: \t" + NumberText(Round2(ratio));
  const double distance = std::fabs(ratio - recommendedRatio);
  // The distance is tested before the recommendation: without one, a ratio below the
  // tolerance still reads as ok.
  if (distance < kOkTolerance) {
    report += kCrLf;
    report += "Aspect ratio is ";
    if (distance < kPerfectTolerance) report += "perfectly ";
    report += " ok.";
  } else if (recommendedRatio != 0) {
    report += kCrLf;
    report += "Recommended Aspect Ratio:\t" + NumberText(Floor2(recommendedRatio)) + "," + kCrLf +
              "\tequals e.g. " + NumberText(w) + "x" + NumberText(Round0(w / recommendedRatio)) +
              " or " + NumberText(Round0(recommendedRatio * h)) + "x" + NumberText(h);
  }
  return report;
}

PreviewFit FitPreview(int width, int height, int areaWidth, int areaHeight) {
  if (width <= 0 || height <= 0) return {};
  const double w = width;
  const double h = height;
  PreviewFit fit;
  if (h < w) {
    fit.height = ToPixels(std::fmin(areaHeight, h / w * areaWidth));
    fit.width = ToPixels(w * fit.height / h);
  } else {
    fit.width = ToPixels(std::fmin(areaWidth, w / h * areaHeight));
    fit.height = ToPixels(h * fit.width / w);
  }
  return fit;
}

}  // namespace qvm
