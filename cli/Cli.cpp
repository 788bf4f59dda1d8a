#include "cli/Cli.h"

#include <ostream>

#include "gamedb/LoadGameDatabase.h"
#include "platform/Cp1252.h"

namespace qvm::cli {
namespace {

constexpr std::string_view kKindWords[kKindCount] = {"wrestler", "team", "stable", "manager",
                                                     "title"};

// The lock for writing the index; false (after telling why) while the window holds it.
bool LockIndexForWriting(Context& ctx, LockAttempt& lock) {
  ctx.os.CreateFolder(ctx.paths.media, nullptr);
  lock = ctx.os.TryLock(ctx.paths.media, ctx.paths.lock);
  if (lock.state == LockState::HeldByOther) {
    ctx.err << "error: the wizard has this game open (media/index.dat is locked); close the "
               "wizard first, its save at close would undo this change\n";
    return false;
  }
  return true;
}

// Saves as the window does at close, deciding alone; true when index.dat was written.
bool SaveIndex(Context& ctx, const ImageIndex& index, const IndexFileState& state) {
  IndexSaveOutcome outcome = SaveImageIndex(ctx.os, ctx.paths, index, state);
  if (outcome.result == SaveResult::ChangedByOther) {
    // The window asks here; without anyone to ask, the other program's file stays.
    PrintLine(ctx.err, kIndexChangedQuestion);
    outcome = SaveImageIndex(ctx.os, ctx.paths, index, state, WhenChanged::KeepTheirs);
  }
  if (std::string told = SaveOutcomeMessage(outcome); !told.empty()) PrintLine(ctx.err, told);
  return outcome.result == SaveResult::Saved;
}

}  // namespace

std::optional<std::string> ToCp1252(const std::string& utf8, Context& ctx) {
  auto converted = Cp1252FromUtf8(utf8);
  if (!converted) {
    ctx.err << "error: \"" << utf8
            << "\" holds a character that the game's code page (Windows-1252) cannot hold\n";
  }
  return converted;
}

void PrintLine(std::ostream& out, std::string_view cp1252) {
  out << Utf8FromCp1252(cp1252) << '\n';
}

std::string OneLine(std::string_view cp1252) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(cp1252.size());
  for (char ch : cp1252) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string Quoted(std::string_view cp1252) { return '"' + OneLine(cp1252) + '"'; }

int UsageError(Context& ctx, std::string_view problem) {
  if (!problem.empty()) ctx.err << "error: " << problem << '\n';
  ctx.err << "usage: qvm-image-wizard-cli [-C GAME_FOLDER] " << ctx.command->name;
  if (*ctx.command->usage) ctx.err << ' ' << ctx.command->usage;
  ctx.err << '\n';
  return kExitUsage;
}

std::unique_ptr<Game> LoadGame(Context& ctx, const IndexReadWork& onIndexRead) {
  auto game = std::make_unique<Game>();
  LoadGameDatabase(ctx.os, ctx.paths, game->db, onIndexRead);
  if (!game->db.indexState.loaded) PrintLine(ctx.err, kIndexUnreadableMessage);
  return game;
}

bool LoadIndex(Context& ctx, ImageIndex& index) {
  if (LoadImageIndex(ctx.os, ctx.paths, index).loaded) return true;
  PrintLine(ctx.err, kIndexUnreadableMessage);
  return false;
}

int EditIndex(Context& ctx, const std::function<IndexEdit(ImageIndex&)>& edit) {
  LockAttempt lock;
  if (!LockIndexForWriting(ctx, lock)) return kExitUsage;
  ImageIndex index;
  const IndexFileState state = LoadImageIndex(ctx.os, ctx.paths, index);
  if (!state.loaded) {
    PrintLine(ctx.err, kIndexUnreadableMessage);
    return kExitUsage;
  }
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
