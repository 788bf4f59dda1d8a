// A crash journal met by a CLI command: restored or set aside by those that write, shown in
// memory by those that only read.
#include <ostream>

#include "app/Startup.h"
#include "cli/Cli.h"
#include "index/Journal.h"
#include "platform/Cp1252.h"
#include "platform/PathText.h"

namespace qvm::cli {

bool FinishPendingJournal(Context& ctx, ImageIndex& index, IndexFileState& state) {
  Os& os = ctx.os;
  const std::filesystem::path& path = ctx.paths.journal;
  FoundJournal found = FindJournal(os, path, state);
  switch (found.state) {
    case JournalState::None:
      return true;
    case JournalState::Applied:
      os.Remove(path, nullptr);
      return true;
    case JournalState::Unusable:
      ctx.err << "error: media/index.dat.journal cannot be the crash journal: " << found.error
              << "; remove or rename it, then try again\n";
      return false;
    case JournalState::Unmatched: {
      std::string error;
      auto aside = SetJournalAside(os, path, &error);
      PrintLine(ctx.err, "note: " + (aside ? JournalSetAsideMessage(*aside)
                                           : JournalNotSetAsideMessage(error)));
      return true;
    }
    case JournalState::Pending:
      break;
  }
  // Restored first, as a change of its own, so that whatever the command does next, the
  // window's changes are in index.dat and the journal is gone.
  const int restored = ReplayJournal(found.bytes, index);
  if (restored > 0) {
    Journal journal(os);
    journal.Continue(path);
    IndexFileState saved;
    if (!SaveIndex(
            ctx, index, state, [&](const IndexFileState& next) { journal.Commit(next); }, &saved)) {
      ctx.err << "error: the changes kept in media/index.dat.journal could not be saved; nothing "
                 "else was changed\n";
      return false;
    }
    state = saved;
    PrintLine(ctx.err, "note: " + RestoredChangesMessage(restored) +
                           " They are saved in media/index.dat now.");
  }
  os.Remove(path, nullptr);
  os.FlushFolder(ctx.paths.media);
  return true;
}

int ShowPendingJournal(Context& ctx, ImageIndex& index, const IndexFileState& state) {
  FoundJournal found = FindJournal(ctx.os, ctx.paths.journal, state);
  switch (found.state) {
    case JournalState::None:
    case JournalState::Applied:
      return 0;
    case JournalState::Unusable:
      ctx.err << "note: media/index.dat.journal cannot be the crash journal: " << found.error
              << "\n";
      return 0;
    case JournalState::Unmatched:
      ctx.err << "note: media/index.dat.journal does not belong to media/index.dat as it is now; "
                 "it is not applied\n";
      return 0;
    case JournalState::Pending:
      break;
  }
  const int n = ReplayJournal(found.bytes, index);
  if (n > 0) {
    ctx.err << "note: media/index.dat.journal holds " << n << (n == 1 ? " change" : " changes")
            << " not saved in media/index.dat yet (the wizard has this game open, or did not "
               "close normally); they are included here\n";
  }
  return n;
}

}  // namespace qvm::cli
