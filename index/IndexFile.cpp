#include "index/IndexFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <system_error>

#include "platform/FileIo.h"
#include "platform/GamePath.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

void KeepUnsaved(const fs::path& indexPath, const std::string& bytes, std::string message,
                 MessageBox& messages) {
  fs::path unsaved = indexPath;
  unsaved += ".unsaved";
  std::string error;
  if (WriteFileAtomically(unsaved, bytes, &error)) {
    message += "The changes of this run are kept in media/index.dat.unsaved.";
  } else {
    message += "They could not be kept in media/index.dat.unsaved either: " + error + ".";
  }
  messages.Show(message);
}

std::size_t HashBytes(std::string_view bytes) { return std::hash<std::string_view>{}(bytes); }

}  // namespace

void RemoveSaveLeftovers(const fs::path& gameFolder) {
  fs::path index = IndexFilePath(gameFolder);
  for (const char* suffix : {".new", ".bak.new", ".unsaved.new"}) {
    fs::path leftover = index;
    leftover += suffix;
    std::error_code ec;
    fs::remove(leftover, ec);
  }
}

fs::path MediaFolder(const fs::path& gameFolder) {
  return *ResolveGamePath(gameFolder, "media");
}

fs::path IndexFilePath(const fs::path& gameFolder) {
  return *ResolveGamePath(gameFolder, "media\\index.dat");
}

IndexFileState LoadImageIndex(const fs::path& gameFolder, ImageIndex& index,
                              MessageBox& messages) {
  index.Clear();
  std::error_code ec;
  fs::create_directory(MediaFolder(gameFolder), ec);  // an existing or uncreatable folder is fine
  fs::path path = IndexFilePath(gameFolder);
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd >= 0) ::close(fd);
  auto bytes = ReadWholeFile(path);
  if (!bytes) {
    messages.Show(kIndexUnreadableMessage);
    return IndexFileState{false};
  }
  ParseImageIndex(*bytes, index);
  return IndexFileState{true, bytes->size(), HashBytes(*bytes)};
}

bool SaveImageIndex(const fs::path& gameFolder, const ImageIndex& index,
                    const IndexFileState& state, MessageBox& messages) {
  fs::path path = IndexFilePath(gameFolder);
  std::string bytes = SerializeImageIndex(index);
  if (!state.loaded) {
    if (index.EntryCount() == 0) return false;  // nothing of this run to keep
    KeepUnsaved(path, bytes,
                "media/index.dat could not be read at start, so it was left as it was.\n",
                messages);
    return false;
  }
  auto old = ReadWholeFile(path);
  if (old && (old->size() != state.loadedSize || HashBytes(*old) != state.loadedHash)) {
    MessageStyle ask{.yesNo = true, .exclamation = true, .defaultNo = true};
    if (messages.Show(kIndexChangedQuestion, ask) != MessageAnswer::Yes) {
      KeepUnsaved(path, bytes, "media/index.dat was left as the other program wrote it.\n",
                  messages);
      return false;
    }
  }
  if (old) {
    fs::path backup = path;
    backup += ".bak";
    WriteFileAtomically(backup, *old, nullptr);  // a missing backup never blocks the save
  }
  std::string error;
  if (WriteFileAtomically(path, bytes, &error)) return true;
  KeepUnsaved(path, bytes, "media/index.dat could not be written: " + error + "\n", messages);
  return false;
}

}  // namespace qvm
