#include "images/PictureEdits.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "images/AttachPictures.h"
#include "images/BmpDecoder.h"
#include "images/ExifOrientation.h"
#include "images/MediaFile.h"
#include "images/StrayImages.h"
#include "platform/Cp1252.h"
#include "platform/FileIo.h"
#include "platform/GamePath.h"
#include "platform/PathText.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

// Half the report's "perfectly": the frame's ratio reads as the recommended one.
constexpr double kFrameTolerance = 0.005;
// Names tried before giving up ("-crop-2" ... ): a folder full of them is a folder gone wrong.
constexpr int kMaxNameNumber = 999;

PictureEdit Problem(std::string text) {
  PictureEdit edit;
  edit.problem = std::move(text);
  return edit;
}

// The whole file, read only when its size is within the limit.
bool ReadPicture(Os& os, const fs::path& file, std::vector<std::uint8_t>& bytes,
                 std::string& error) {
  EntryInfo opened;
  OsFile in(os, os.OpenForReadingWithInfo(file, opened, &error));
  if (!in.IsOpen()) return false;
  const std::uint64_t size = opened.size;
  if (size > kMaxPictureFileBytes) {
    error = "it is larger than " + std::to_string(kMaxPictureFileBytes >> 20) + " MB";
    return false;
  }
  bytes.resize(size);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::int64_t n = os.Read(in.Handle(), bytes.data() + done, bytes.size() - done, &error);
    if (n < 0) return false;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);  // a file cut short meanwhile is judged as it is now
  return true;
}

// Writes `bytes` as a new file of media under the first free name that `nameFor` gives for
// 1, 2, ...: the hidden temporary file takes a name only while no file has it in any letter
// case. Returns the name taken; empty with `error` when none was.
std::string WriteNewPicture(Os& os, const GamePaths& paths, const std::vector<std::uint8_t>& bytes,
                            const std::function<std::string(int)>& nameFor, std::string& error) {
  fs::path temp;
  OsFile out(os, CreateTemporaryFile(os, paths.media, "edit", temp, &error));
  auto fail = [&](std::string why) {
    error = std::move(why);
    out.Close(nullptr);
    if (!temp.empty()) os.Remove(temp, nullptr);
    return std::string();
  };
  if (!out.IsOpen()) return fail("no file can be made in the media folder: " + error);
  if (!os.Write(out.Handle(), bytes.data(), bytes.size(), &error) ||
      !os.Flush(out.Handle(), &error) || !out.Close(&error))
    return fail("writing it failed: " + error);
  for (int number = 1; number <= kMaxNameNumber; ++number) {
    const std::string name = nameFor(number);
    if (auto why = PictureNameProblem(name)) return fail(*why);
    const auto target = ResolveNameInFolder(os, paths.media, name);
    if (!target || os.Info(*target, false).type != EntryType::Missing) continue;
    if (os.RenameNew(temp, *target, &error)) {
      os.FlushFolder(paths.media);
      return name;
    }
    // Taken meanwhile: the next name; anything else fails the same way again.
    if (os.Info(*target, false).type == EntryType::Missing)
      return fail("it could not be given its name: " + error);
  }
  return fail("every name up to " + nameFor(kMaxNameNumber) + " is taken");
}

// Reads the picture `name` of media with its header; a problem text when it cannot be edited.
std::string OpenMediaPicture(Os& os, const GamePaths& paths, std::string_view name,
                             PictureHeader& header, std::vector<std::uint8_t>& bytes) {
  const std::string shown = EscapeControls(name);
  const auto file = ResolveMediaFile(os, paths, name);
  if (!file) return shown + " is no picture file in the media folder.";
  std::string error;
  if (!ReadPicture(os, *file, bytes, error)) return shown + " cannot be read: " + error + ".";
  header = ReadPictureHeader(bytes);
  if (!header.Shown()) return shown + " " + PictureProblemText(header) + ".";
  if (std::int64_t{header.Width()} * header.Height() > kMaxEditPixels)
    return shown + " is larger than the wizard edits.";
  return {};
}

// The BMP's part `frame` as a 24-bit BMP.
std::vector<std::uint8_t> CropBmp(std::span<const std::uint8_t> bmp, const PictureHeader& header,
                                  const PixelRect& frame) {
  BmpPixels pixels;
  if (DecodeBmpScaled(bmp, header.Width(), header.Height(), pixels) != BmpStatus::Ok) return {};
  const std::uint32_t rowBytes = (static_cast<std::uint32_t>(frame.width) * 3 + 3) / 4 * 4;
  const std::uint32_t dataBytes = rowBytes * static_cast<std::uint32_t>(frame.height);
  std::vector<std::uint8_t> out(54 + std::size_t{dataBytes});
  auto put = [&out](std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  out[0] = 'B';
  out[1] = 'M';
  put(2, 54 + dataBytes, 4);
  put(10, 54, 4);
  put(14, 40, 4);  // BITMAPINFOHEADER
  put(18, static_cast<std::uint32_t>(frame.width), 4);
  put(22, static_cast<std::uint32_t>(frame.height), 4);  // rows bottom up
  put(26, 1, 2);
  put(28, 24, 2);
  put(34, dataBytes, 4);
  put(38, 2835, 4);  // 72 dpi
  put(42, 2835, 4);
  for (int y = 0; y < frame.height; ++y) {
    std::uint8_t* row = out.data() + 54 + std::size_t{rowBytes} * (frame.height - 1 - y);
    const std::uint32_t* from =
        pixels.pixels.data() + std::size_t(frame.y + y) * pixels.width + frame.x;
    for (int x = 0; x < frame.width; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(from[x]);
      row[3 * x + 1] = static_cast<std::uint8_t>(from[x] >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(from[x] >> 16);
    }
  }
  return out;
}

// What a crop or an upright copy of the index name `name` says when none was made.
std::string NoNewPicture(std::string_view name) {
  return "No new picture was made of " + EscapeControls(name);
}

// The edit written under the names `tag` gives for `base`; a problem that starts with `failed`
// when it cannot be.
PictureEdit Written(Os& os, const GamePaths& paths, std::string_view base, std::string_view tag,
                    std::string_view extension, const CodecResult& made,
                    const std::string& failed) {
  if (!made.Ok()) return Problem(failed + ": " + made.error + ".");
  std::string error;
  PictureEdit edit;
  edit.name = WriteNewPicture(
      os, paths, made.bytes,
      [&](int number) { return EditedName(base, tag, number, extension); }, error);
  if (edit.name.empty()) return Problem(failed + ": " + error + ".");
  edit.lossless = made.lossless;
  edit.width = made.width;
  edit.height = made.height;
  return edit;
}

}  // namespace

PixelRect RatioFrame(int width, int height, double ratio) {
  if (width <= 0 || height <= 0 || !(ratio > 0)) return {};
  // The tallest frame whose rounded width keeps the ratio: at once for any picture of some
  // size; a few steps down for tiny ones, where a pixel is a large part of the ratio.
  int h = static_cast<int>(std::clamp(std::floor(width / ratio + 0.5), 1.0, double(height)));
  for (; h >= 1; --h) {
    const int w = static_cast<int>(std::nearbyint(h * ratio));
    if (w < 1 || w > width) continue;
    if (std::fabs(static_cast<double>(w) / h - ratio) <= kFrameTolerance)
      return {(width - w) / 2, 0, w, h};
  }
  return {};
}

PixelRect OnBlockGrid(const PixelRect& frame, int blockWidth, int blockHeight) {
  PixelRect moved = frame;
  if (blockWidth > 0) moved.x -= moved.x % blockWidth;
  if (blockHeight > 0) moved.y -= moved.y % blockHeight;
  return moved;
}

std::string EditedName(std::string_view name, std::string_view tag, int number,
                       std::string_view extension) {
  const std::size_t dot = name.rfind('.');
  const std::string_view base = dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
  const std::string_view own = base.size() == name.size() ? std::string_view() : name.substr(dot);
  std::string out(base);
  if (!tag.empty()) out += "-" + std::string(tag);
  if (number > 1) out += "-" + std::to_string(number);
  out += extension.empty() ? own : extension;
  return out;
}

PictureEdit CropMediaPicture(Os& os, const GamePaths& paths, PictureCodec& codec,
                             std::string_view name, const PixelRect& frame) {
  PictureHeader header;
  std::vector<std::uint8_t> bytes;
  if (std::string why = OpenMediaPicture(os, paths, name, header, bytes); !why.empty())
    return Problem(why);
  if (frame.width <= 0 || frame.height <= 0 || frame.x < 0 || frame.y < 0 ||
      frame.x + frame.width > header.Width() || frame.y + frame.height > header.Height())
    return Problem("The frame lies outside " + EscapeControls(name) + ".");
  if (header.format == PictureFormat::Bmp) {
    CodecResult made;
    made.bytes = CropBmp(bytes, header, frame);
    made.width = frame.width;
    made.height = frame.height;
    made.lossless = true;
    if (!made.Ok()) made.error = "its pixels cannot be read";
    return Written(os, paths, LowerCp1252(name), "crop", {}, made, NoNewPicture(name));
  }
  const PixelRect onGrid = OnBlockGrid(frame, header.jpegBlockWidth, header.jpegBlockHeight);
  return Written(os, paths, LowerCp1252(name), "crop", {}, codec.CropJpeg(bytes, onGrid),
                 NoNewPicture(name));
}

PictureEdit UprightMediaPicture(Os& os, const GamePaths& paths, PictureCodec& codec,
                                std::string_view name) {
  PictureHeader header;
  std::vector<std::uint8_t> bytes;
  if (std::string why = OpenMediaPicture(os, paths, name, header, bytes); !why.empty())
    return Problem(why);
  if (header.orientation == 1)
    return Problem(EscapeControls(name) + " is stored upright already (no EXIF orientation).");
  CodecResult made = codec.TurnJpeg(bytes, header.orientation);
  if (made.Ok() && !SetJpegOrientation(made.bytes, 1)) {
    made.bytes.clear();
    made.error = "its turned copy lost the orientation tag";
  }
  return Written(os, paths, LowerCp1252(name), "upright", ".jpg", made, NoNewPicture(name));
}

PictureEdit ConvertPictureFile(Os& os, const GamePaths& paths, PictureCodec& codec,
                               const fs::path& source) {
  const std::string shown = ShownFileName(Utf8FromPath(source.filename()));
  const auto name = Cp1252FromPath(source.filename());
  if (!name) return Problem("No JPEG copy was made of " + shown + ": its name holds a character "
                            "that the game's code page (Windows-1252) cannot hold.");
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!ReadPicture(os, source, bytes, error))
    return Problem("No JPEG copy was made of " + shown + ": it cannot be read: " + error + ".");
  return Written(os, paths, *name, {}, ".jpg", codec.ConvertToJpeg(bytes),
                 "No JPEG copy was made of " + shown);
}

bool IsPictureFileName(std::string_view name) {
  if (PicturePattern(name) != 0) return true;
  const std::string lower = LowerCp1252(name);  // the extensions are ASCII
  for (std::string_view ext : {".png", ".gif", ".webp", ".tif", ".tiff"})
    if (lower.ends_with(ext)) return true;
  return false;
}

std::vector<bool> FilesToConvert(Os& os, const std::vector<PictureFile>& files) {
  std::vector<bool> convert;
  for (const PictureFile& f : files)
    convert.push_back(ReadPictureHeader(os, f.folder / f.name).Convertible());
  return convert;
}

std::string CannotShowProblem(const PictureFile& file, std::string_view hint) {
  return ShownFileName(Utf8FromPath(file.name)) +
         " was not attached: the game shows only JPEG and BMP pictures" +
         (hint.empty() ? std::string(".") : "; " + std::string(hint));
}

std::vector<PictureFile> ConvertFiles(Os& os, const GamePaths& paths, PictureCodec& codec,
                                      const std::vector<PictureFile>& files,
                                      const std::vector<bool>& convert,
                                      std::vector<std::string>& problems) {
  std::vector<PictureFile> out;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (i >= convert.size() || !convert[i]) {
      out.push_back(files[i]);
      continue;
    }
    const PictureEdit copy = ConvertPictureFile(os, paths, codec, files[i].folder / files[i].name);
    if (copy.Ok()) {
      out.push_back({paths.media, PathFromCp1252(copy.name)});
    } else {
      problems.push_back(copy.problem);
    }
  }
  return out;
}

ReplaceOutcome ReplaceImageByName(ImageIndex& index, std::string_view key, std::string_view oldName,
                                  std::string_view newName) {
  const int entry = index.FindEntry(key);
  if (entry == 0) return ReplaceOutcome::NoEntry;
  const std::vector<Text>& images = index.Entry(entry).images;
  for (std::size_t i = 0; i < images.size(); ++i) {
    if (images[i] != oldName) continue;
    return index.ReplaceImage(entry, static_cast<int>(i) + 1, newName) == AddImageResult::Added
               ? ReplaceOutcome::Replaced
               : ReplaceOutcome::AlreadyListed;
  }
  return ReplaceOutcome::NotListed;
}

}  // namespace qvm
