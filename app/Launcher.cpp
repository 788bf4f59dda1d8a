#include "app/Launcher.h"

#include <vector>

#include "app/Startup.h"
#include "platform/FileIo.h"
#include "platform/PathText.h"

namespace qvm {
namespace fs = std::filesystem;

fs::path LastFolderSettingsPath() {
  return UserSettingsFolder() / "qvm-image-wizard" / "last-game-folder";
}

std::optional<fs::path> RememberedGameFolder(Os& os, const fs::path& settings) {
  auto text = ReadWholeFile(os, settings);
  if (!text) return std::nullopt;
  while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) text->pop_back();
  if (text->empty()) return std::nullopt;
  fs::path folder = PathFromUtf8(*text);
  if (!folder.is_absolute() || !IsGameFolder(os, folder)) return std::nullopt;
  return folder;
}

bool RememberGameFolder(Os& os, const fs::path& settings, const fs::path& folder) {
  // The folders that are missing, outermost first.
  std::vector<fs::path> missing;
  for (fs::path p = settings.parent_path();
       !p.empty() && p != p.root_path() && os.Info(p, true).type == EntryType::Missing;
       p = p.parent_path()) {
    missing.insert(missing.begin(), p);
  }
  for (const fs::path& p : missing) os.CreateFolder(p, nullptr);
  return WriteFileAtomically(os, settings, Utf8FromPath(fs::absolute(folder)) + "\n", nullptr);
}

std::optional<WindowStart> AnswerWithoutWindow(const std::vector<std::string>& args) {
  WindowStart start;
  if (args.size() > 1 || (!args.empty() && args.front() == "--help")) {
    start.exitStatus = args.size() > 1 ? 2 : 0;
    start.output = "usage: qvm-image-wizard [GAME_FOLDER | --choose-folder]\n";
    return start;
  }
  if (!args.empty() && args.front() == "--version") {
    start.exitStatus = 0;
    start.output = "qvm-image-wizard " + BuildNumber() + "\n";
    return start;
  }
  return std::nullopt;
}

WindowStart StartWindow(Os& os, const std::vector<std::string>& args, MessageBox& messages,
                        const std::function<std::optional<fs::path>()>& askForFolder) {
  if (std::optional<WindowStart> answered = AnswerWithoutWindow(args)) return *answered;
  WindowStart start;
  const bool chooseFolder = !args.empty() && args.front() == "--choose-folder";
  const fs::path settings = LastFolderSettingsPath();
  std::optional<fs::path> folder;
  if (chooseFolder) {
    folder = RememberedGameFolder(os, settings);
    if (!folder) folder = askForFolder();
    if (!folder) {
      start.exitStatus = 0;
      return start;
    }
  } else if (!args.empty()) {
    folder = PathFromArgument(args.front());
  }
  std::optional<fs::path> entered = EnterFolder(folder.value_or(fs::path()));
  if (!entered) {
    messages.Show(kNotGameFolderMessage);
    start.exitStatus = 1;
    return start;
  }
  start.folder = *entered;
  if (chooseFolder && IsGameFolder(os, start.folder)) RememberGameFolder(os, settings, start.folder);
  return start;
}

}  // namespace qvm
