// attach [--convert] KEY FILE...: copies the files into media when missing there and attaches
// them to KEY's entry (created when needed), then saves the index. A picture the game cannot
// show (PNG, GIF, WebP, TIFF) is refused, or with --convert attached as a JPEG copy made in
// media.
#include "cli/Commands.h"
#include "codec/PictureCodecs.h"
#include "images/AttachPictures.h"
#include "images/PictureEdits.h"
#include "platform/PathText.h"

namespace qvm::cli {

int RunAttach(Context& ctx) {
  const bool convert = !ctx.args.empty() && ctx.args[0] == "--convert";
  if (convert) ctx.args.erase(ctx.args.begin());
  if (ctx.args.size() < 2) return UsageError(ctx, "attach takes a KEY and at least one FILE");
  auto key = ToCp1252(ctx.args[0], ctx);
  if (!key) return kExitUsage;
  if (key->empty()) return UsageError(ctx, "KEY is empty");
  // Refused before anything is locked or written, as the window refuses it.
  if (auto why = KeyProblem(*key)) {
    PrintLine(ctx.err, *why);
    return kExitNotFound;
  }
  std::vector<std::filesystem::path> paths;
  for (auto arg = ctx.args.begin() + 1; arg != ctx.args.end(); ++arg)
    paths.push_back(PathFromArgument(*arg));
  const std::vector<PictureFile> files = PictureFilesOf(paths);
  const std::vector<bool> toConvert = FilesToConvert(ctx.os, files);
  if (!convert) {
    bool refused = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (!toConvert[i]) continue;
      PrintLine(ctx.err, CannotShowProblem(files[i], "attach --convert attaches a JPEG copy of it."));
      refused = true;
    }
    if (refused) return kExitNotFound;  // nothing copied, nothing attached
  }
  return EditIndex(ctx, [&](ImageIndex& index) {
    std::vector<std::string> problems;
    std::vector<PictureFile> attach = files;
    if (convert) {
      attach = ConvertFiles(ctx.os, ctx.paths, *MakePictureCodec(), files, toConvert, problems);
    }
    AttachReport report = AttachPictureFiles(ctx.os, ctx.paths, index, *key, attach);
    problems.insert(problems.end(), report.problems.begin(), report.problems.end());
    for (const std::string& problem : problems) PrintLine(ctx.err, problem);
    return IndexEdit{!report.added.empty(), problems.empty() ? kExitOk : kExitNotFound};
  });
}

}  // namespace qvm::cli
