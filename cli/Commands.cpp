#include "cli/Commands.h"

namespace qvm::cli {
namespace {

constexpr Command kCommands[] = {
    {"tree", "[--json]", "the category tree, two spaces of indentation per level", RunTree, true},
    {"images", "KEY [--json]", "the images of the index entry for KEY, in entry order", RunImages,
     true},
    {"stray", "[--json]", "the pictures in media that no index entry names", RunStray, true},
    {"attach", "[--convert] KEY FILE...",
     "copy FILEs into media when missing and attach them to KEY; --convert attaches JPEG copies "
     "of pictures the game cannot show (PNG, GIF, WebP, TIFF)",
     RunAttach, false},
    {"detach", "KEY NAME", "take the picture NAME (exact) away from KEY; the file stays", RunDetach,
     false},
    {"upright", "KEY NAME | --all",
     "attach an upright copy of a JPEG stored turned (EXIF orientation) in its place; --all: "
     "every such picture of the index",
     RunUpright, false},
    {"rewrite-index", "", "read media/index.dat and write it back normalised", RunRewriteIndex,
     false},
    {"info", "FILE [--as KIND]",
     "the preview's report for media/FILE; KIND: wrestler, team, stable:N (N members selected), "
     "manager, title",
     RunInfo, false},
    {"missing", "[--kind KIND] [--json]",
     "the entities without a picture, in tree order, one \"KIND<TAB>NAME\" line each; KIND: "
     "wrestler, team, stable, manager, title; exit 1 when there is any",
     RunMissing, true},
    {"suggest", "[--kind KIND] [--apply] [--json]",
     "stray pictures named after entities without a picture, one "
     "\"KIND<TAB>NAME<TAB>KEY<TAB>PICTURE\" line each (+ \"<TAB>ambiguous\"); --apply attaches "
     "the unambiguous ones but a stable's; exit 1 when there is none",
     RunSuggest, true},
    {"check", "[--json]",
     "a health report of the game folder and its index, one \"kind: detail\" line per finding; "
     "exit 1 when there is any",
     RunCheck, true},
};

}  // namespace

std::span<const Command> Commands() { return kCommands; }

const Command* FindCommand(std::string_view name) {
  for (const Command& c : kCommands) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

}  // namespace qvm::cli
