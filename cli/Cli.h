// The command-line companion: one small file per command, each registering itself here.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gamedb/GameDatabase.h"
#include "index/IndexFile.h"
#include "platform/GamePaths.h"
#include "platform/Os.h"

namespace qvm::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNotFound = 1;  // also "problems found"
inline constexpr int kExitUsage = 2;     // usage or environment error

struct Context;

struct Command {
  Command(const char* name_, const char* usage_, const char* summary_, int (*run_)(Context&),
          bool json_ = false)
      : name(name_), usage(usage_), summary(summary_), run(run_), json(json_) {}
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

// Commands register themselves with a static `Register` object in their own file.
struct Register {
  explicit Register(Command command);
};
const std::vector<Command>& Commands();

// A CP1252 argument; prints a clear error (exit 2 for the caller) when it cannot be held.
std::optional<std::string> ToCp1252(const std::string& utf8, Context& ctx);
// Prints a CP1252 text as UTF-8.
void PrintLine(std::ostream& out, std::string_view cp1252);
// The text with its control characters (TAB and line ends included) written as \xHH, so that
// a name from a file never breaks a line-per-item output.
std::string OneLine(std::string_view cp1252);
// "\"" + OneLine(text) + "\"".
std::string Quoted(std::string_view cp1252);
// Prints the problem and the command's usage to stderr; returns kExitUsage.
int UsageError(Context& ctx, std::string_view problem);

// The game loaded as the window loads it (the folder was checked before any command runs);
// an index that cannot be read is told on stderr, as the window tells it.
struct Game {
  GameDatabase db;
};
std::unique_ptr<Game> LoadGame(Context& ctx);

// Reads the index alone; false (after telling why on stderr) when it cannot be read.
bool LoadIndex(Context& ctx, ImageIndex& index, IndexFileState* state = nullptr);

// Takes the index lock for a command that writes the index; prints why not and returns false
// while the window holds it.
bool LockIndexForWriting(Context& ctx, LockAttempt& lock);

// Saves as the window does at close, but decides alone: another program's change is kept and
// the table goes to index.dat.unsaved. Prints what the window would show; true when saved.
bool SaveIndex(Context& ctx, const ImageIndex& index, const IndexFileState& state);

}  // namespace qvm::cli
