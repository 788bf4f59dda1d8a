// Reading media/index.dat at start and writing it back at close, safely.
#pragma once

#include <filesystem>
#include <string>

#include "index/ImageIndex.h"
#include "platform/Controls.h"

namespace qvm {

inline constexpr std::string_view kIndexUnreadableMessage =
    "Transient error - MEDIA\\INDEX.DAT can't be opened.";

// What loading found out, needed again when saving.
struct IndexFileState {
  bool loaded = false;  // false: the stored file could not be read; never replace it
  // What was read, to notice another program's change before replacing the file.
  std::size_t loadedSize = 0;
  std::size_t loadedHash = 0;
};

inline constexpr std::string_view kIndexChangedQuestion =
    "media/index.dat was changed by another program after the wizard read it.\n"
    "Replace it with the wizard's picture assignments?\n\n"
    "Yes replaces it. No leaves it as it is and keeps the wizard's assignments in "
    "media/index.dat.unsaved.";

// The game's media folder, in whatever letter case it has on disk.
std::filesystem::path MediaFolder(const std::filesystem::path& gameFolder);
std::filesystem::path IndexFilePath(const std::filesystem::path& gameFolder);

// Removes what an interrupted save may have left in media (temporary files).
void RemoveSaveLeftovers(const std::filesystem::path& gameFolder);

// Creates media/ and an empty index.dat when missing, then reads the index. A file that cannot
// be read is reported with the "Transient error" message and leaves the table empty.
IndexFileState LoadImageIndex(const std::filesystem::path& gameFolder, ImageIndex& index,
                              MessageBox& messages);

// Writes the whole table safely: the previous file is kept as index.dat.bak and the new one
// replaces index.dat in one step. When the stored file was never read, or the write fails, the
// table goes to index.dat.unsaved instead and the user is told. When another program changed
// the file since it was read, the user is asked first. True when index.dat was written.
bool SaveImageIndex(const std::filesystem::path& gameFolder, const ImageIndex& index,
                    const IndexFileState& state, MessageBox& messages);

}  // namespace qvm
