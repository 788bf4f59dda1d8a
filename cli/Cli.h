// The command-line companion: what every command shares. The commands themselves, one small
// file each, are listed in Commands.h.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gamedb/GameDatabase.h"
#include "gamedb/LoadGameDatabase.h"
#include "index/IndexFile.h"
#include "platform/GamePaths.h"
#include "platform/Os.h"

namespace qvm::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNotFound = 1;  // also "problems found"
inline constexpr int kExitUsage = 2;     // usage or environment error

struct Context;

struct Command {
  const char* name;
  const char* usage;    // arguments, e.g. "KEY"
  const char* summary;  // one line for --help
  int (*run)(Context&);
  bool json;  // takes --json
};

struct Context {
  Os& os;
  GamePaths paths;                // resolved once, after the folder check
  std::vector<std::string> args;  // the command's arguments as the system gave them (UTF-8)
  std::ostream& out;
  std::ostream& err;
  const Command* command = nullptr;
  bool json = false;  // --json: print one JSON document instead of lines
};

// A CP1252 argument; prints a clear error (exit 2 for the caller) when it cannot be held.
std::optional<std::string> ToCp1252(const std::string& utf8, Context& ctx);
// Prints a CP1252 text as UTF-8, then a line end. Names inside it must have gone through
// OneLine (or Quoted); messages may span lines.
void PrintLine(std::ostream& out, std::string_view cp1252);
// Prints one item of a line-per-item output (a name, a tree node): PrintLine(OneLine(text)).
void PrintItem(std::ostream& out, std::string_view cp1252);
// The text with its control characters (TAB and line ends included) written as \xHH, so that
// a name from a file never breaks a line-per-item output.
std::string OneLine(std::string_view cp1252);
// "\"" + OneLine(text) + "\"".
std::string Quoted(std::string_view cp1252);
// Prints the problem and the command's usage to stderr; returns kExitUsage.
int UsageError(Context& ctx, std::string_view problem);

// The game loaded as the window loads it (the folder was checked before any command runs),
// creating and changing nothing; an index that cannot be read is told on stderr, as the window
// tells it. The changes of a crash journal that belongs to the index are shown (see
// ShowPendingJournal). `onIndexRead` runs on the thread that reads the index, while the
// game files load (see LoadGameDatabase): before those changes are applied. `onFoldersListed`
// runs as LoadGameDatabase says.
struct Game {
  GameDatabase db;
  int journalChanges = 0;  // applied from a pending journal after `onIndexRead` ran
};
std::unique_ptr<Game> LoadGame(Context& ctx, const IndexReadWork& onIndexRead = {},
                               const std::function<void()>& onFoldersListed = {});

// Reads the index alone, as LoadGame does; false (after telling why on stderr) when it cannot
// be read.
bool LoadIndex(Context& ctx, ImageIndex& index);

// A crash journal beside the index (the window's, while it runs or after it was cut short).
// For a command that writes, holding the lock: one that belongs to the index is restored
// (replayed, saved, removed) and one that does not is set aside, each told in one line on
// stderr; false (after saying why) when the command must not go on. `state` follows the save.
bool FinishPendingJournal(Context& ctx, ImageIndex& index, IndexFileState& state);
// For a command that only reads: one that belongs to the index is applied to `index` in memory,
// with one note on stderr; nothing is written. Returns how many changes it applied.
int ShowPendingJournal(Context& ctx, ImageIndex& index, const IndexFileState& state);

// Saves as the window does at close, deciding alone: another program's change is kept and the
// table goes to index.dat.unsaved. What went wrong is told on stderr; true when index.dat was
// written, `saved` then naming it.
bool SaveIndex(Context& ctx, const ImageIndex& index, const IndexFileState& state,
               const BeforeIndexReplaced& beforeReplace = {}, IndexFileState* saved = nullptr);

// What a command that writes the index did to the table it was given.
struct IndexEdit {
  bool save = false;     // the table changed: save it
  int status = kExitOk;  // the exit status when the save (if any) went through
};
// Runs `edit` on the stored index the way the window would: takes the lock (waiting a little
// for another CLI command, refusing while the window holds it or when it cannot be had),
// creates the index when missing, removes leftovers of cut-short runs, reads the index,
// finishes a pending crash journal, edits, and saves safely when the edit asks. Everything
// that goes wrong is told on stderr; no lock, an unreadable index or a save that did not write
// index.dat give kExitUsage. Another program's change to index.dat is kept
// (the window asks; nobody is there to ask) and the table goes to index.dat.unsaved.
int EditIndex(Context& ctx, const std::function<IndexEdit(ImageIndex&)>& edit);

// The kind words, in the tree's order: wrestler, team, stable, manager, title. `kind` is one
// of the five, never None.
std::string_view KindWord(RecordKind kind);
// The kind a word names; none for any other text.
std::optional<RecordKind> ParseKindWord(std::string_view word);

}  // namespace qvm::cli
