#include "cli/Cli.h"

#include <ostream>

#include "gamedb/LoadGameDatabase.h"
#include "platform/Cp1252.h"

namespace qvm::cli {

namespace {
std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}
}  // namespace

Register::Register(Command command) { Registry().push_back(command); }
const std::vector<Command>& Commands() { return Registry(); }

MessageAnswer StderrMessageBox::Show(std::string_view text, const MessageStyle& style) {
  PrintLine(err_, text);
  return style.yesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

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

std::unique_ptr<Game> LoadGame(Context& ctx, MessageBox& messages) {
  auto game = std::make_unique<Game>();
  LoadGameDatabase(ctx.folder, game->db, messages);
  return game;
}

bool LockIndexForWriting(Context& ctx, FileLock& lock) {
  std::error_code ec;
  std::filesystem::create_directory(MediaFolder(ctx.folder), ec);
  if (lock.TryLock(IndexLockPath(MediaFolder(ctx.folder))) == LockResult::HeldByOther) {
    ctx.err << "error: the wizard has this game open (media/index.dat is locked); close the "
               "wizard first, its save at close would undo this change\n";
    return false;
  }
  return true;
}

}  // namespace qvm::cli
