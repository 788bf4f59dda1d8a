// Attaching picture files to an index key and taking a name away again, without any control:
// the window's operations and the CLI both run on these.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "index/ImageIndex.h"
#include "platform/Controls.h"
#include "platform/GamePaths.h"
#include "platform/Os.h"

namespace qvm {

// One file to attach: the folder it lies in and its bare name, as the file system spells them.
struct PictureFile {
  std::filesystem::path folder;
  std::filesystem::path name;
};
std::vector<PictureFile> PictureFilesOf(const FileChoice& choice);
// Full paths, for instance dropped files or the CLI's arguments.
std::vector<PictureFile> PictureFilesOf(const std::vector<std::filesystem::path>& paths);

struct AttachReport {
  // Lower-cased names (CP1252) the entry did not list before, in the order given.
  std::vector<std::string> added;
  // One line per file that was refused or could not be copied (CP1252).
  std::vector<std::string> problems;
};

// Why a name (CP1252) cannot stand in the index as a picture of media, or nothing when it can:
// it must be a plain file name (no folder part, no drive) of at most 255 bytes on disk, and
// hold nothing that would break index.dat's lines ("|", control characters).
std::optional<std::string> PictureNameProblem(std::string_view name);

// Why no picture can be attached to `key` (CP1252), or nothing when they can: a key that
// index.dat cannot hold (see IsStorableKey).
std::optional<std::string> KeyProblem(std::string_view key);

// Copies every file that media does not hold yet under its name in any letter case into media
// (never replacing a file), then enters the names into the entry of `key` (created at the end
// when no entry matches). A file whose copy fails is attached all the same and reported.
// Names that cannot stand in the index, and files that do not exist, are refused and reported;
// so is every file when the key cannot be stored.
AttachReport AttachPictureFiles(Os& os, const GamePaths& paths, ImageIndex& index,
                                std::string_view key, const std::vector<PictureFile>& files);
// Enters names (CP1252) of files that lie in media already; nothing is copied.
AttachReport AttachMediaNames(ImageIndex& index, std::string_view key,
                              const std::vector<std::string>& names);

// Copies `source` to the new file `target`: the data goes to a hidden temporary file beside the
// target first, which then takes the target's name only if that name is still free, so an
// existing file is never replaced and no half-written file ever carries the target's name.
// False with the reason in `error` when it failed; nothing is left behind then.
bool CopyToNewFile(Os& os, const std::filesystem::path& source, const std::filesystem::path& target,
                   std::string* error);

enum class RemoveOutcome { Removed, NoEntry, NotListed };
// Takes `name` (compared byte for byte) away from the entry of `key`; the entry's last name
// moves into its place. The file is never touched.
RemoveOutcome RemoveImageByName(ImageIndex& index, std::string_view key, std::string_view name);

}  // namespace qvm
