// Crops, upright copies and JPEG copies of pictures, made as new files in media: the geometry,
// the names and the files, decided here for the window and the CLI alike; the pixels go through
// a PictureCodec. The user's original file is never changed, and nothing is written unless the
// whole new picture is ready: it is written to a hidden temporary file, which then takes the
// first free name, never replacing anything.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "images/AttachPictures.h"
#include "images/PictureCodec.h"
#include "images/PictureHeader.h"
#include "index/ImageIndex.h"
#include "platform/GamePaths.h"
#include "platform/Os.h"

namespace qvm {

// The largest frame of exactly `ratio` (width / height, within the report's "perfectly" of
// 0.01) that fits a width x height picture: centred across, and at the top of a picture too
// tall for it (faces sit high in portraits). Empty for no picture or no ratio.
PixelRect RatioFrame(int width, int height, double ratio);

// `frame` moved left and up onto the block grid (its size kept), so that a JPEG crop stays
// lossless; unchanged for a grid of 0.
PixelRect OnBlockGrid(const PixelRect& frame, int blockWidth, int blockHeight);

// "ace.jpg" with "crop": "ace-crop.jpg", then "ace-crop-2.jpg" for number 2, and so on; an
// empty tag gives "ace.jpg", "ace-2.jpg". `extension` replaces the name's own when given
// (".jpg").
std::string EditedName(std::string_view name, std::string_view tag, int number,
                       std::string_view extension = {});

// A new picture made in media.
struct PictureEdit {
  std::string name;     // its name (CP1252), as the index lists it
  std::string problem;  // why none was made (one sentence, CP1252); empty when it was
  bool lossless = false;
  int width = 0;
  int height = 0;
  bool Ok() const { return problem.empty(); }
};

// The part `frame` of the picture `name` (CP1252) of media, in the picture's own format, as
// "<name>-crop.<ext>" (or -crop-2, ...). A JPEG's frame is first moved onto its block grid.
PictureEdit CropMediaPicture(Os& os, const GamePaths& paths, PictureCodec& codec,
                             std::string_view name, const PixelRect& frame);

// The JPEG `name` of media turned and mirrored as its EXIF orientation says, with orientation
// 1, as "<name>-upright.jpg" (or -upright-2, ...).
PictureEdit UprightMediaPicture(Os& os, const GamePaths& paths, PictureCodec& codec,
                                std::string_view name);

// A JPEG copy of `source` (a picture the game cannot show, anywhere) in media as
// "<base>.jpg", or "<base>-2.jpg" and so on when that is taken.
PictureEdit ConvertPictureFile(Os& os, const GamePaths& paths, PictureCodec& codec,
                               const std::filesystem::path& source);

// The open-file dialog's pattern of every picture the wizard takes (";" between patterns), and
// the same rule for a dropped file's name (UTF-8): JPEG and BMP as the dialog's first two
// filters, and the formats it converts.
inline constexpr std::string_view kAllPicturesPattern =
    "*.JP*;*.BMP;*.PNG;*.GIF;*.WEBP;*.TIF;*.TIFF";
bool IsPictureFileName(std::string_view name);

// For each of `files`: a picture the game cannot show that a codec converts (PNG, GIF, WebP,
// TIFF, judged by the content as the header reader judges it).
std::vector<bool> FilesToConvert(Os& os, const std::vector<PictureFile>& files);
// Why a picture the game cannot show is not attached as it is (for a message naming the way
// out, `hint`).
std::string CannotShowProblem(const PictureFile& file, std::string_view hint);
// The files `convert` marks replaced by JPEG copies made in media (then attached as pictures
// media holds); a file whose copy fails is left out, its problem added to `problems`.
std::vector<PictureFile> ConvertFiles(Os& os, const GamePaths& paths, PictureCodec& codec,
                                      const std::vector<PictureFile>& files,
                                      const std::vector<bool>& convert,
                                      std::vector<std::string>& problems);

// Puts `newName` in the place of `oldName` (exact) in the entry of `key`, so the entry's order
// stays (see ImageIndex::ReplaceImage).
enum class ReplaceOutcome { Replaced, NoEntry, NotListed, AlreadyListed };
ReplaceOutcome ReplaceImageByName(ImageIndex& index, std::string_view key, std::string_view oldName,
                                  std::string_view newName);

}  // namespace qvm
