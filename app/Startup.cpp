#include "app/Startup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "gamedb/LoadGameDatabase.h"
#include "images/StrayImages.h"
#include "index/Journal.h"
#include "platform/FileIo.h"
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

std::string RestoredChangesMessage(int count) {
  return "The wizard did not close normally last time. " + std::to_string(count) +
         (count == 1 ? " change" : " changes") +
         " to the picture assignments, kept in media/index.dat.journal, were restored.";
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
  RemoveSaveLeftovers(folder);
  auto db = std::make_unique<GameDatabase>();
  // The first StrayList is worked out on the thread that reads the index, while the game
  // files load.
  std::optional<std::vector<std::string>> strayNames;
  LoadGameDatabase(folder, *db, messages,
                   [&](const ImageIndex& index) { strayNames = SortedStrayNames(folder, index); });

  // Changes of a run that never reached its save are replayed onto the stored index.
  fs::path journalPath = JournalPath(folder);
  int restored = 0;
  if (auto pending = ReadWholeFile(journalPath); pending && !pending->empty()) {
    restored = ReplayJournal(*pending, db->imageIndex);
    if (restored > 0) messages.Show(RestoredChangesMessage(restored));
  }
  if (restored == 0) db->strayNamesAtStart = std::move(strayNames);
  Journal journal;
  bool journalOk = journal.Open(journalPath);
  int changes = 0;
  db->imageIndex.SetObserver([&](const IndexChange& change) {
    ++changes;
    if (journalOk && !journal.Append(change)) {
      journalOk = false;
      messages.Show("Changes cannot be written to media/index.dat.journal; they are kept in "
                    "memory and saved when the window closes.");
    }
  });

  runMainWindow(*db);

  db->imageIndex.SetObserver(nullptr);
  bool saved = SaveImageIndex(folder, db->imageIndex, db->indexState, messages);
  journal.Close();
  // Until the index holds them, the journal is the only copy of this run's changes.
  if (saved || (changes == 0 && restored == 0)) fs::remove(journalPath, ec);
  db.reset();
  ReleasePool();
  return 0;
}

}  // namespace qvm
