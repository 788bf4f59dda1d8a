#include "app/Startup.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/GameLock.h"
#include "gamedb/LoadGameDatabase.h"
#include "images/StrayImages.h"
#include "index/IndexFile.h"
#include "index/Journal.h"
#include "platform/Background.h"
#include "platform/Cp1252.h"
#include "platform/FileIo.h"
#include "platform/Gate.h"
#include "platform/PathText.h"

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

std::string JournalSetAsideMessage(const fs::path& aside) {
  return "media/index.dat.journal holds changes that do not belong to media/index.dat as it is "
         "now: the index was changed since they were made, or an older version of the wizard "
         "left them. They were not applied; the journal is kept as media/" +
         ShownFileName(Utf8FromPath(aside.filename())) + " for you to look at.";
}

std::string JournalNotSetAsideMessage(std::string_view error) {
  return "media/index.dat.journal holds changes that do not belong to media/index.dat as it is "
         "now; they were not applied. It could not be renamed (" +
         std::string(error) + "); move it away to have the crash journal back.";
}

std::string LockFailedMessage(std::string_view error) {
  return "The wizard cannot lock the picture assignments of this game (" + std::string(error) +
         "), so it could not keep other programs from changing media/index.dat meanwhile. It "
         "ends without changing anything. Check that media/index.dat.lock is a plain file (or "
         "missing) and that you may write to the game's media folder, then start it again.";
}

std::string LockHeldMessage(const LockAttempt& attempt) {
  const LockHolder holder = HolderOf(attempt);
  switch (holder.kind) {
    case LockHolderKind::Window:
      return std::string(kAlreadyOpenMessage);
    case LockHolderKind::Cli:
      return "Another " + std::string(kCliProgram) + " command (process " + holder.process +
             ") is changing media/index.dat. Try again when it has finished.";
    case LockHolderKind::Unknown:
      break;
  }
  // A holder the system cannot name may well be another window.
  if (holder.text.empty()) return std::string(kAlreadyOpenMessage);
  return "media/index.dat is locked by " + holder.text + ". Try again when it has finished.";
}

bool IsGameFolder(Os& os, const fs::path& folder) {
  OsFile marker(os, os.OpenForReading(folder / "qvm.vrs", nullptr));
  return marker.IsOpen();
}

namespace {

constexpr std::string_view kJournalFailedMessage =
    "Changes cannot be written to media/index.dat.journal; they are kept in memory and saved "
    "when the window closes.";

// The run's crash journal: what a run cut short left is restored when it belongs to the index
// as read, set aside when it does not; then this run's changes go there.
class RunJournal {
 public:
  RunJournal(Os& os, const GamePaths& paths, MessageBox& messages)
      : os_(os), paths_(paths), messages_(messages), journal_(os) {}

  // Returns how many changes of a cut-short run were restored into `index`.
  int Start(const IndexFileState& state, ImageIndex& index) {
    FoundJournal found = FindJournal(os_, paths_.journal, state);
    switch (found.state) {
      case JournalState::None:
        break;
      case JournalState::Applied:
        os_.Remove(paths_.journal, nullptr);
        break;
      case JournalState::Pending: {
        const int restored = ReplayJournal(found.bytes, index);
        if (restored > 0) messages_.Show(RestoredChangesMessage(restored));
        // It still applies to the stored index: this run's changes follow it, and it ends with
        // this run even when they cannot.
        ours_ = true;
        working_ = journal_.Continue(paths_.journal);
        return restored;
      }
      case JournalState::Unmatched: {
        std::string error;
        if (auto aside = SetJournalAside(os_, paths_.journal, &error)) {
          messages_.Show(JournalSetAsideMessage(*aside));
        } else {
          messages_.Show(JournalNotSetAsideMessage(error));
          told_ = true;
        }
        break;
      }
      case JournalState::Unusable:
        messages_.Show("media/index.dat.journal cannot be the crash journal: " + found.error +
                       ". Changes are kept in memory and saved when the window closes; remove or "
                       "rename it to have them kept safe against a crash as well.");
        told_ = true;
        return 0;
    }
    // Made at the first change: its header and its two flushes are no work for the start.
    createFor_ = state;
    return 0;
  }

  void Record(const IndexChange& change) {
    if (createFor_) {
      ours_ = working_ = journal_.Create(paths_.journal, *createFor_);
      createFor_.reset();
    }
    if (working_ && journal_.Append(change)) return;
    working_ = false;
    if (!told_) messages_.Show(kJournalFailedMessage);
    told_ = true;
  }

  // Right before the save replaces index.dat: once it has, the journal was applied.
  void Commit(const IndexFileState& next) {
    if (ours_) journal_.Commit(next);
  }

  // Once the run's changes are kept (in index.dat or index.dat.unsaved), the journal ends.
  void End(bool changesKept) {
    journal_.Close();
    if (ours_ && changesKept) os_.Remove(paths_.journal, nullptr);
  }

 private:
  Os& os_;
  const GamePaths& paths_;
  MessageBox& messages_;
  Journal journal_;
  std::optional<IndexFileState> createFor_;  // the index the journal is to be made for
  bool ours_ = false;     // the file under the journal's name is this run's journal
  bool working_ = false;  // and changes still reach it
  bool told_ = false;     // the user knows the journal does not keep the changes
};

// Saves at close; asks first when another program changed the file, and tells what became of
// the changes when index.dat was left alone.
SaveResult SaveAtClose(Os& os, const GamePaths& paths, const GameDatabase& db, MessageBox& messages,
                       RunJournal& journal) {
  auto commit = [&](const IndexFileState& next) { journal.Commit(next); };
  IndexSaveOutcome outcome =
      SaveImageIndex(os, paths, db.imageIndex, db.indexState, WhenChanged::Ask, commit);
  if (outcome.result == SaveResult::ChangedByOther) {
    MessageStyle ask{.yesNo = true, .exclamation = true, .defaultNo = true};
    const bool replace = messages.Show(kIndexChangedQuestion, ask) == MessageAnswer::Yes;
    outcome = SaveImageIndex(os, paths, db.imageIndex, db.indexState,
                             replace ? WhenChanged::Replace : WhenChanged::KeepTheirs, commit);
  }
  if (std::string told = SaveOutcomeMessage(outcome); !told.empty()) messages.Show(told);
  return outcome.result;
}

}  // namespace

int RunWizard(Os& os, const fs::path& folder, MessageBox& messages,
              const MainWindowRun& runMainWindow) {
  return RunWizard(os, folder, messages,
                   MainWindowMaker([&runMainWindow] { return runMainWindow; }));
}

int RunWizard(Os& os, const fs::path& folder, MessageBox& messages,
              const MainWindowMaker& makeMainWindow) {
  ProgramTitle();
  if (!IsGameFolder(os, folder)) {
    messages.Show(kNotGameFolderMessage);
    return 1;
  }
  NewPool();
  const GamePaths paths = ResolveGamePaths(os, folder);
  // The lock keeps a second wizard (and the CLI) from writing the index under this one; when
  // it cannot be had, nothing is written at all.
  os.CreateFolder(paths.media, nullptr);
  LockAttempt lock = TakeGameLock(os, paths);
  if (lock.state != LockState::Locked) {
    messages.Show(lock.state == LockState::Failed ? LockFailedMessage(lock.error)
                                                  : LockHeldMessage(lock));
    ReleasePool();
    return 1;
  }
  CreateIndexWhenMissing(os, paths);
  auto db = std::make_unique<GameDatabase>();
  // The first StrayList is worked out beside the loading and the making of the window: media
  // is listed (the one listing that also finds what a cut-short run left) on a thread of its
  // own once the game's own folders are, and matched on another against the index as read,
  // which the run may change meanwhile.
  std::shared_future<std::vector<std::string>> listing, strayNames;
  Gate foldersListed;  // goes before them, letting them end
  listing = StartInBackground([&os, &paths, listed = foldersListed.Opened()] {
    listed.wait();
    std::vector<FolderEntry> media;
    os.ListFolder(paths.media, media, nullptr);
    RemoveSaveLeftovers(os, paths, media);
    return ListMediaPictures(os, paths, media);
  });
  // The game loads on a thread of its own while this one makes the window, which costs about
  // as much on any game.
  std::shared_future<void> loaded = StartInBackground([&] {
    LoadGameDatabase(
        os, paths, *db,
        [&](const ImageIndex& index) {
          strayNames = StartInBackground([listing, names = IndexImageNames(index)] {
            return SortedStrayNames(listing.get(), names);
          });
        },
        [&] { foldersListed.Open(); });
  });
  MainWindowRun runMainWindow = makeMainWindow();
  loaded.get();
  if (!db->indexState.loaded) messages.Show(kIndexUnreadableMessage);

  RunJournal journal(os, paths, messages);
  const int restored = journal.Start(db->indexState, db->imageIndex);
  // What a cut-short run left goes before this run can write a file of its own. The window's
  // first stray list is made from the listing, before the window takes any input: it waits
  // there, while the window is made, and here only when it will not be made from it.
  if (restored == 0 && strayNames.valid()) {
    db->strayNamesAtStart = strayNames;
  } else {
    listing.wait();
  }
  db->imageIndex.SetObserver([&](const IndexChange& change) {
    listing.wait();
    journal.Record(change);
  });

  runMainWindow(paths, *db);
  runMainWindow = nullptr;  // the window, with what it holds of the game

  db->imageIndex.SetObserver(nullptr);
  listing.wait();
  // Until index.dat or index.dat.unsaved holds them, the journal is the only copy of the
  // run's changes.
  journal.End(SaveAtClose(os, paths, *db, messages, journal) != SaveResult::Failed);
  if (strayNames.valid()) strayNames.wait();  // it reads texts of the pool
  db.reset();
  ReleasePool();
  return 0;
}

}  // namespace qvm
