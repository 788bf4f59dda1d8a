// info FILE [--as KIND]: the size and aspect-ratio report the preview writes for media/FILE.
#include <charconv>
#include <ostream>
#include <string>

#include "app/Wizard.h"
#include "cli/Commands.h"
#include "images/MediaFile.h"
#include "images/PictureHeader.h"
#include "images/PreviewReport.h"
#include "platform/Cp1252.h"
#include "platform/Os.h"

namespace qvm::cli {
namespace {

// A stable's list holds at most 50 members of 20 names each.
constexpr int kMaxSelectedMembers = 1000;

struct Selection {
  RecordKind kind = RecordKind::None;
  int selectedMembers = 0;
};

// A kind word, a stable's given as "stable:N".
std::optional<Selection> ParseSelection(std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::optional<RecordKind> kind = ParseKindWord(text.substr(0, colon));
  if (!kind || (*kind == RecordKind::Stable) != (colon != std::string_view::npos)) {
    return std::nullopt;
  }
  if (*kind != RecordKind::Stable) return Selection{*kind};
  std::string_view number = text.substr(colon + 1);
  int n = -1;
  auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), n);
  if (number.empty() || ec != std::errc() || end != number.data() + number.size() || n < 0 ||
      n > kMaxSelectedMembers) {
    return std::nullopt;
  }
  return Selection{RecordKind::Stable, n};
}

}  // namespace

int RunInfo(Context& ctx) {
  Selection selection;
  if (ctx.args.size() == 3 && ctx.args[1] == "--as") {
    auto parsed = ParseSelection(ctx.args[2]);
    if (!parsed) {
      return UsageError(ctx,
                        "KIND is wrestler, team, stable:N (N from 0 to 1000), manager or "
                        "title");
    }
    selection = *parsed;
  } else if (ctx.args.size() != 1) {
    return UsageError(ctx, "info takes FILE and optionally --as KIND");
  }
  auto name = ToCp1252(ctx.args[0], ctx);
  if (!name) return kExitUsage;

  // The same lookup and the same header rule as the preview: a name that leads nowhere safe in
  // media, or a file the preview does not show, gives sizes 0.
  auto file = ResolveMediaFile(ctx.os, ctx.paths, *name);
  const PictureHeader header = file ? ReadPictureHeader(ctx.os, *file) : PictureHeader();
  std::string report = PreviewReport(header.Width(), header.Height(),
                                     RecommendedRatio(selection.kind, selection.selectedMembers));
  std::string lines;
  for (char c : report) {
    if (c != '\r') lines += c;  // CR LF becomes a newline; the report holds no other CR
  }
  ctx.out << lines << '\n';
  if (!file) {
    ctx.err << "error: media holds no picture file named \"" << ShownUtf8(ctx.args[0]) << "\"\n";
    return kExitNotFound;
  }
  return kExitOk;
}

}  // namespace qvm::cli
