// A picture named by a list or the index, found in the game's media folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace qvm {

// The regular file in media whose name equals `name` (CP1252) without regard to case. Empty
// when the name is no plain file name (empty, "..", holding "/" or "\"), when no such file
// exists, when it is no regular file, or when it is a symbolic link that leads out of both the
// game folder and the media folder: names come from index.dat, which anyone can write, and
// must never make the wizard read elsewhere.
std::optional<std::filesystem::path> ResolveMediaFile(const std::filesystem::path& gameFolder,
                                                      std::string_view name);

}  // namespace qvm
