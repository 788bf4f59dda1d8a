// upright KEY NAME | upright --all: an upright copy of a JPEG stored turned (EXIF orientation
// other than 1) made in media, in the original's place in the entry, then the index saved. The
// original file stays in media. One line per copy made: KEY: "OLD" -> "NEW".
#include <map>
#include <vector>

#include "app/ImageOperations.h"
#include "cli/Commands.h"
#include "codec/PictureCodecs.h"
#include "images/MediaFile.h"
#include "images/PictureEdits.h"

namespace qvm::cli {
namespace {

// Makes the copies and puts them in place; each picture is turned once however many entries
// list it.
class Uprighter {
 public:
  Uprighter(Context& ctx, ImageIndex& index) : ctx_(ctx), index_(index) {}

  // Replaces the name at `position` (0-based) of `entry`; false after telling why.
  bool Replace(int entry, std::size_t position) {
    const std::string key(index_.Entry(entry).key);
    const std::string name(index_.Entry(entry).images[position]);
    auto made = copies_.find(name);
    if (made == copies_.end()) {
      PictureEdit edit = UprightMediaPicture(ctx_.os, ctx_.paths, *codec_, name);
      if (!edit.Ok()) {
        PrintLine(ctx_.err, edit.problem);
        return false;
      }
      made = copies_.emplace(name, edit.name).first;
    }
    if (index_.ReplaceImage(entry, static_cast<int>(position) + 1, made->second) !=
        AddImageResult::Added) {
      PrintLine(ctx_.err, "The entry " + Quoted(key) + " lists " + Quoted(made->second) +
                              " already, so " + Quoted(name) + " was left in place.");
      return false;
    }
    changed_ = true;
    PrintLine(ctx_.out, Quoted(key) + ": " + Quoted(name) + " -> " + Quoted(made->second));
    return true;
  }

  bool Changed() const { return changed_; }

 private:
  Context& ctx_;
  ImageIndex& index_;
  std::unique_ptr<PictureCodec> codec_ = MakePictureCodec();
  std::map<std::string, std::string> copies_;  // original name -> its upright copy
  bool changed_ = false;
};

// Which of media's files are stored turned: media listed once, each file's header read once,
// however many index names lead to it.
class TurnedFiles {
 public:
  explicit TurnedFiles(Context& ctx) : ctx_(ctx), media_(ctx.os, ctx.paths) {}

  bool StoredTurned(std::string_view name) {
    const FolderEntry* entry = media_.Find(name);
    if (!entry) return false;
    signed char& known = turned_[static_cast<std::size_t>(entry - media_.Entries().data())];
    if (known < 0) {
      const auto file = media_.FileOf(*entry);
      known = file && ReadPictureHeader(ctx_.os, *file).orientation != 1;
    }
    return known == 1;
  }

 private:
  Context& ctx_;
  const MediaListing media_;
  std::vector<signed char> turned_ = std::vector<signed char>(media_.Entries().size(), -1);
};

}  // namespace

int RunUpright(Context& ctx) {
  const bool all = ctx.args.size() == 1 && ctx.args[0] == "--all";
  if (!all && ctx.args.size() != 2) return UsageError(ctx, "upright takes a KEY and a NAME, or --all");
  std::string key, name;
  if (!all) {
    auto k = ToCp1252(ctx.args[0], ctx);
    auto n = ToCp1252(ctx.args[1], ctx);
    if (!k || !n) return kExitUsage;
    key = *k;
    name = *n;
  }
  return EditIndex(ctx, [&](ImageIndex& index) {
    Uprighter uprighter(ctx, index);
    bool failed = false;
    if (all) {
      TurnedFiles turned(ctx);
      for (int e = 1; e <= index.EntryCount(); ++e) {
        for (std::size_t i = 0; i < index.Entry(e).images.size(); ++i) {
          if (turned.StoredTurned(index.Entry(e).images[i]) && !uprighter.Replace(e, i))
            failed = true;
        }
      }
      return IndexEdit{uprighter.Changed(), failed ? kExitNotFound : kExitOk};
    }
    const int entry = index.FindEntry(key);
    if (entry == 0) {
      PrintLine(ctx.err, kEntryNotFoundMessage);
      return IndexEdit{false, kExitNotFound};
    }
    const std::vector<Text>& images = index.Entry(entry).images;
    const auto at = std::find(images.begin(), images.end(), Text(name));
    if (at == images.end()) {
      PrintLine(ctx.err, kImageNotFoundMessage);
      return IndexEdit{false, kExitNotFound};
    }
    failed = !uprighter.Replace(entry, static_cast<std::size_t>(at - images.begin()));
    return IndexEdit{uprighter.Changed(), failed ? kExitNotFound : kExitOk};
  });
}

}  // namespace qvm::cli
