#include "app/Startup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <system_error>

#include "gamedb/LoadGameDatabase.h"
#include "platform/FileLock.h"

namespace qvm {
namespace fs = std::filesystem;

std::string BuildNumber() {
  // Fields at every "#": "", "PVERSION", "1.514", "".
  std::string_view marker = kVersionMarker;
  for (int field = 0; field < 2; ++field) {
    size_t hash = marker.find('#');
    if (hash == std::string_view::npos) return {};
    marker.remove_prefix(hash + 1);
  }
  return std::string(marker.substr(0, marker.find('#')));
}

const std::string& ProgramTitle() {
  static const std::string title = "QVM 7 Visualizer Image Wizard, Build " + BuildNumber();
  return title;
}

bool IsGameFolder(const fs::path& folder) {
  int fd = ::open((folder / "qvm.vrs").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  return regular;
}

int RunWizard(const fs::path& folder, MessageBox& messages,
              const std::function<void(GameDatabase&)>& runMainWindow) {
  ProgramTitle();
  if (!IsGameFolder(folder)) {
    messages.Show(kNotGameFolderMessage);
    return 1;
  }
  NewPool();
  // The lock keeps a second wizard (and the CLI) from writing the index under this one.
  std::error_code ec;
  fs::create_directory(MediaFolder(folder), ec);
  FileLock lock;
  if (lock.TryLock(IndexLockPath(MediaFolder(folder))) == LockResult::HeldByOther) {
    messages.Show(kAlreadyOpenMessage);
    ReleasePool();
    return 1;
  }
  auto db = std::make_unique<GameDatabase>();
  LoadGameDatabase(folder, *db, messages);
  runMainWindow(*db);
  SaveImageIndex(folder, db->imageIndex, db->indexState, messages);
  db.reset();
  ReleasePool();
  return 0;
}

}  // namespace qvm
