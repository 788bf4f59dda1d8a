#include "cli/Cli.h"

#include <algorithm>
#include <ostream>

#include "app/GameLock.h"
#include "gamedb/LoadGameDatabase.h"
#include "platform/Cp1252.h"

namespace qvm::cli {
namespace {

constexpr std::string_view kKindWords[kKindCount] = {"wrestler", "team", "stable", "manager",
                                                     "title"};

// Why a writing command cannot have the lock, as one line.
std::string LockRefusal(const LockAttempt& lock) {
  if (lock.state == LockState::Failed)
    return "media/index.dat cannot be locked (" + lock.error + "), so nothing was changed";
  const LockHolder holder = HolderOf(lock);
  switch (holder.kind) {
    case LockHolderKind::Window:
      return "the wizard has this game open (media/index.dat is locked); close the wizard "
             "first, its save at close would undo this change";
    case LockHolderKind::Cli:
      return "another " + std::string(kCliProgram) + " command (process " + holder.process +
             ") is changing media/index.dat; try again when it has finished";
    case LockHolderKind::Unknown:
      break;
  }
  return "media/index.dat is locked by " +
         (holder.text.empty() ? std::string("another program") : holder.text) +
         "; close the wizard if it has this game open, or try again when that has finished";
}

}  // namespace

std::optional<std::string> ToCp1252(const std::string& utf8, Context& ctx) {
  auto converted = Cp1252FromUtf8(utf8);
  if (!converted) {
    ctx.err << "error: \"" << ShownUtf8(utf8)
            << "\" holds a character that the game's code page (Windows-1252) cannot hold\n";
  }
  return converted;
}

void PrintLine(std::ostream& out, std::string_view cp1252) {
  // ASCII, the usual case, is spelled alike in UTF-8: written as it is, without a copy (tree
  // prints 71,000 lines on a full game).
  if (std::all_of(cp1252.begin(), cp1252.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    out.write(cp1252.data(), static_cast<std::streamsize>(cp1252.size()));
  } else {
    out << Utf8FromCp1252(cp1252);
  }
  out.put('\n');
}

std::string OneLine(std::string_view cp1252) { return EscapeControls(cp1252); }

std::string Quoted(std::string_view cp1252) { return '"' + OneLine(cp1252) + '"'; }

int UsageError(Context& ctx, std::string_view problem) {
  if (!problem.empty()) ctx.err << "error: " << problem << '\n';
  ctx.err << "usage: qvm-image-wizard-cli [-C GAME_FOLDER] " << ctx.command->name;
  if (*ctx.command->usage) ctx.err << ' ' << ctx.command->usage;
  ctx.err << '\n';
  return kExitUsage;
}

void PrintItem(std::ostream& out, std::string_view cp1252) {
  const bool plain = std::none_of(cp1252.begin(), cp1252.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  });
  PrintLine(out, plain ? cp1252 : std::string_view(OneLine(cp1252)));
}

std::unique_ptr<Game> LoadGame(Context& ctx, const IndexReadWork& onIndexRead,
                               const std::function<void()>& onFoldersListed) {
  auto game = std::make_unique<Game>();
  LoadGameDatabase(ctx.os, ctx.paths, game->db, onIndexRead, onFoldersListed);
  if (!game->db.indexState.loaded) {
    PrintLine(ctx.err, kIndexUnreadableMessage);
  } else {
    game->journalChanges = ShowPendingJournal(ctx, game->db.imageIndex, game->db.indexState);
  }
  return game;
}

bool LoadIndex(Context& ctx, ImageIndex& index) {
  const IndexFileState state = LoadImageIndex(ctx.os, ctx.paths, index);
  if (!state.loaded) {
    PrintLine(ctx.err, kIndexUnreadableMessage);
    return false;
  }
  ShowPendingJournal(ctx, index, state);
  return true;
}

bool SaveIndex(Context& ctx, const ImageIndex& index, const IndexFileState& state,
               const BeforeIndexReplaced& beforeReplace, IndexFileState* saved) {
  IndexSaveOutcome outcome =
      SaveImageIndex(ctx.os, ctx.paths, index, state, WhenChanged::Ask, beforeReplace);
  if (outcome.result == SaveResult::ChangedByOther) {
    // The window asks here; without anyone to ask, the other program's file stays.
    PrintLine(ctx.err, kIndexChangedQuestion);
    outcome = SaveImageIndex(ctx.os, ctx.paths, index, state, WhenChanged::KeepTheirs);
  }
  if (std::string told = SaveOutcomeMessage(outcome); !told.empty()) PrintLine(ctx.err, told);
  if (saved) *saved = outcome.saved;
  return outcome.result == SaveResult::Saved;
}

int EditIndex(Context& ctx, const std::function<IndexEdit(ImageIndex&)>& edit) {
  // Nothing is written without the lock.
  ctx.os.CreateFolder(ctx.paths.media, nullptr);
  const LockAttempt lock = TakeGameLock(ctx.os, ctx.paths);
  if (lock.state != LockState::Locked) {
    ctx.err << "error: " << LockRefusal(lock) << '\n';
    return kExitUsage;
  }
  CreateIndexWhenMissing(ctx.os, ctx.paths);
  std::vector<FolderEntry> media;
  if (ctx.os.ListFolder(ctx.paths.media, media, nullptr))
    RemoveSaveLeftovers(ctx.os, ctx.paths, media);
  ImageIndex index;
  IndexFileState state = LoadImageIndex(ctx.os, ctx.paths, index);
  if (!state.loaded) {
    PrintLine(ctx.err, kIndexUnreadableMessage);
    return kExitUsage;
  }
  if (!FinishPendingJournal(ctx, index, state)) return kExitUsage;
  const IndexEdit done = edit(index);
  if (done.save && !SaveIndex(ctx, index, state)) return kExitUsage;
  return done.status;
}

std::string_view KindWord(RecordKind kind) { return kKindWords[KindSlot(kind)]; }

std::optional<RecordKind> ParseKindWord(std::string_view word) {
  for (int k = 0; k < kKindCount; ++k) {
    if (word == kKindWords[k]) return kRecordKinds[k];
  }
  return std::nullopt;
}

}  // namespace qvm::cli
