// The numbers and the text of the preview's size and aspect-ratio report, free of any control,
// so the window and the command-line companion write the very same report.
#pragma once

#include <cstdint>
#include <string>

#include "gamedb/RecordKind.h"

namespace qvm {

// Background of a cleared preview area, as a COLORREF: red 20, green 20, blue 80.
inline constexpr std::uint32_t kPreviewBackground = 20u | (20u << 8) | (80u << 16);

// Decimal with at most 15 significant digits, never an exponent: no "0" before the point
// below 1 (".8"), no trailing zeros, no point for whole values ("400"), "-" when negative.
std::string NumberText(double value);
// x to two decimals, to a whole number, and two decimals rounded down. Ties go to the even
// neighbour (the default rounding mode), so 1.125 gives 1.12.
double Round2(double x);
double Round0(double x);
double Floor2(double x);

// The ratio the game wants for the record kind (0: no recommendation). A stable wants 0.8 per
// selected member.
double RecommendedRatio(RecordKind recordKind, int selectedMembers);

// The report for a picture of width x height pixels, lines joined by CR LF. A width or height
// of 0 or less is a picture that could not be read: the report then gives both sizes as 0 and
// no ratio and no advice, since either would divide by zero.
std::string PreviewReport(int width, int height, double recommendedRatio);

// The size at which a picture fits the preview area with its proportions kept; 0 x 0 for a
// picture that could not be read.
struct PreviewFit {
  int width = 0;
  int height = 0;
};
PreviewFit FitPreview(int width, int height, int areaWidth, int areaHeight);

}  // namespace qvm
