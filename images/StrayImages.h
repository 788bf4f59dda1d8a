// The stray pictures: files in media that match the picture patterns and that no index entry
// names. Toolkit-free, for the window's StrayList, the CLI and the benchmark.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "index/ImageIndex.h"
#include "platform/GamePaths.h"
#include "platform/Os.h"

namespace qvm {

// Which listing pattern a name (CP1252) matches, without regard to case: 1 for "*.jp*"
// ("*" also matches dots, so "notes.jpg.txt" matches), 2 for "*.bmp", 0 for neither.
int PicturePattern(std::string_view name);

// The scan table of media: the names (CP1252) matching "*.jp*", then those matching only
// "*.bmp", each group in byte order so the result does not depend on the file system's order.
// Only regular files are listed: no folders, no hidden files (names starting with "."), no
// names that Windows-1252 cannot hold (no entry could name them). A symbolic link is listed
// only when it leads to a regular file inside the game folder. Empty when media is missing.
std::vector<std::string> ListMediaPictures(Os& os, const GamePaths& paths);
// The same from a listing of media already taken. `unnamable`, when given, receives the names
// (as on disk) that would be listed but for a character Windows-1252 cannot hold.
std::vector<std::string> ListMediaPictures(Os& os, const GamePaths& paths,
                                           const std::vector<FolderEntry>& media,
                                           std::vector<std::string>* unnamable = nullptr);

// The names of `listed` that remain after every image name of every entry (in entry order,
// then position order) has blanked the first not yet blanked listed name equal to it with only
// a-z folded; in table order. The same result as that nested scan, in time proportional to
// names listed plus names in the index.
std::vector<std::string> StrayNames(const std::vector<std::string>& listed,
                                    const ImageIndex& index);

// Listing and matching in one step, in the order the StrayList shows them.
std::vector<std::string> SortedStrayNames(Os& os, const GamePaths& paths, const ImageIndex& index);
// The same for names already listed.
std::vector<std::string> SortedStrayNames(const std::vector<std::string>& listed,
                                          const ImageIndex& index);
// The same against `imageNames`: every image name of the index, entry after entry, as
// IndexImageNames gives them (a copy to match against while the index itself may change).
std::vector<std::string> SortedStrayNames(const std::vector<std::string>& listed,
                                          const std::vector<Text>& imageNames);
std::vector<Text> IndexImageNames(const ImageIndex& index);

}  // namespace qvm
