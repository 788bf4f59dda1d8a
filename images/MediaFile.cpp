#include "images/MediaFile.h"

#include <algorithm>
#include <system_error>

#include "index/IndexFile.h"
#include "platform/GamePath.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

// True when `path` lies below `folder` (both canonical).
bool IsBelow(const fs::path& path, const fs::path& folder) {
  auto [f, p] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return f == folder.end() && p != path.end();
}

}  // namespace

std::optional<fs::path> ResolveMediaFile(const fs::path& gameFolder, std::string_view name) {
  const fs::path media = MediaFolder(gameFolder);
  std::optional<fs::path> file = ResolveNameInFolder(media, name);
  if (!file) return std::nullopt;
  std::error_code ec;
  const fs::file_status link = fs::symlink_status(*file, ec);
  if (ec || !fs::exists(link)) return std::nullopt;
  if (fs::is_symlink(link)) {
    const fs::path target = fs::canonical(*file, ec);
    if (ec) return std::nullopt;
    // A media folder that is itself a link elsewhere still holds the game's pictures.
    std::error_code ecRoot, ecMedia;
    const fs::path root = fs::canonical(gameFolder, ecRoot);
    const fs::path realMedia = fs::canonical(media, ecMedia);
    if (!(!ecRoot && IsBelow(target, root)) && !(!ecMedia && IsBelow(target, realMedia))) {
      return std::nullopt;
    }
  }
  if (!IsRegularFile(*file)) return std::nullopt;
  return file;
}

}  // namespace qvm
