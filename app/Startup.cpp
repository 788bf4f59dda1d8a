#include "app/Startup.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gamedb/LoadGameDatabase.h"
#include "images/StrayImages.h"
#include "index/IndexFile.h"
#include "index/Journal.h"
#include "platform/FileIo.h"

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

bool IsGameFolder(Os& os, const fs::path& folder) {
  OsFile marker(os, os.OpenForReading(folder / "qvm.vrs", nullptr));
  return marker.IsOpen();
}

namespace {

// Saves at close; asks first when another program changed the file, and tells what became of
// the changes when index.dat was left alone. True when index.dat holds the table.
bool SaveAtClose(Os& os, const GamePaths& paths, const GameDatabase& db, MessageBox& messages) {
  IndexSaveOutcome outcome = SaveImageIndex(os, paths, db.imageIndex, db.indexState);
  if (outcome.result == SaveResult::ChangedByOther) {
    MessageStyle ask{.yesNo = true, .exclamation = true, .defaultNo = true};
    const bool replace = messages.Show(kIndexChangedQuestion, ask) == MessageAnswer::Yes;
    outcome = SaveImageIndex(os, paths, db.imageIndex, db.indexState,
                             replace ? WhenChanged::Replace : WhenChanged::KeepTheirs);
  }
  if (std::string told = SaveOutcomeMessage(outcome); !told.empty()) messages.Show(told);
  return outcome.result == SaveResult::Saved;
}

}  // namespace

int RunWizard(Os& os, const fs::path& folder, MessageBox& messages,
              const MainWindowRun& runMainWindow) {
  ProgramTitle();
  if (!IsGameFolder(os, folder)) {
    messages.Show(kNotGameFolderMessage);
    return 1;
  }
  NewPool();
  const GamePaths paths = ResolveGamePaths(os, folder);
  // The lock keeps a second wizard (and the CLI) from writing the index under this one.
  os.CreateFolder(paths.media, nullptr);
  LockAttempt lock = os.TryLock(paths.media, paths.lock);
  if (lock.state == LockState::HeldByOther) {
    messages.Show(kAlreadyOpenMessage);
    ReleasePool();
    return 1;
  }
  auto db = std::make_unique<GameDatabase>();
  // The first StrayList is worked out on the thread that reads the index, while the game
  // files load, from the one listing of media that also finds what a cut-short save left.
  std::optional<std::vector<std::string>> strayNames;
  LoadGameDatabase(os, paths, *db, [&](const ImageIndex& index) {
    std::vector<FolderEntry> media;
    os.ListFolder(paths.media, media, nullptr);
    RemoveSaveLeftovers(os, paths, media);
    strayNames = SortedStrayNames(ListMediaPictures(os, paths, media), index);
  });
  if (!db->indexState.loaded) messages.Show(kIndexUnreadableMessage);

  // Changes of a run that never reached its save are replayed onto the stored index.
  int restored = 0;
  if (auto pending = ReadWholeFile(os, paths.journal); pending && !pending->empty()) {
    restored = ReplayJournal(*pending, db->imageIndex);
    if (restored > 0) messages.Show(RestoredChangesMessage(restored));
  }
  if (restored == 0) db->strayNamesAtStart = std::move(strayNames);
  Journal journal(os);
  bool journalOk = journal.Open(paths.journal);
  int changes = 0;
  db->imageIndex.SetObserver([&](const IndexChange& change) {
    ++changes;
    if (journalOk && !journal.Append(change)) {
      journalOk = false;
      messages.Show(
          "Changes cannot be written to media/index.dat.journal; they are kept in "
          "memory and saved when the window closes.");
    }
  });

  runMainWindow(paths, *db);

  db->imageIndex.SetObserver(nullptr);
  bool saved = SaveAtClose(os, paths, *db, messages);
  journal.Close();
  // Until the index holds them, the journal is the only copy of this run's changes.
  if (saved || (changes == 0 && restored == 0)) os.Remove(paths.journal, nullptr);
  db.reset();
  ReleasePool();
  return 0;
}

}  // namespace qvm
