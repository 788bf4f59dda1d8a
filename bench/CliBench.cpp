// qvm-cli-bench GAME CLI [--runs N] [--windows WINE_RUN PREFIX CLI_EXE]: the command-line
// companion's tree, stray, missing, suggest and check on a game folder (the full-capacity one of
// qvm-full-game), each a whole process from start to end, beside the start of the same program
// that does nothing (--version), or beside the commands it is held to (suggest against stray and
// missing together, check against tree).
//
// With --windows, the Windows CLI instead, run under Wine (WINE_RUN PREFIX CLI_EXE, as
// scripts/wine-run takes them; the game given as a Windows path), each command beside the same
// command of the Linux CLI measured in the same runs: the time beyond the start against the
// Linux CLI's time beyond its start.
//
// Prints tab-separated rows (see Harness.h) on stdout, progress on stderr.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/Harness.h"

extern char** environ;
using namespace qvm::bench;

namespace {

// Runs `args` to its end with stdout and stderr thrown away; the exit status, -1 when it could
// not start or did not end normally.
int RunToEnd(const std::vector<std::string>& args) {
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The Windows CLI under Wine beside the Linux CLI, `runs` times each, taken in turns.
int WindowsRows(const std::string& game, const std::string& cli,
                const std::vector<std::string>& wine, int runs) {
  // The game as a Windows program is given it: a path of drive Z:, which is the Linux root.
  const std::string windowsGame = "Z:" + std::filesystem::absolute(game).string();
  Table table;
  double linuxStartMs = 0, windowsStartMs = 0;
  for (const char* name : {"--version", "tree", "stray", "missing", "suggest", "check"}) {
    std::fprintf(stderr, "  %s\n", name);
    const bool start = std::strcmp(name, "--version") == 0;
    std::vector<std::string> linuxArgs = {cli};
    if (!start) linuxArgs.insert(linuxArgs.end(), {"-C", game});
    linuxArgs.push_back(name);
    std::vector<std::string> windowsArgs = wine;
    if (!start) windowsArgs.insert(windowsArgs.end(), {"-C", windowsGame});
    windowsArgs.push_back(name);
    // Also warms the page cache, and first of all brings the Wine server up.
    const int status = RunToEnd(windowsArgs);
    if (status != RunToEnd(linuxArgs)) {
      std::fprintf(stderr, "%s under Wine exited with %d, unlike on Linux\n", name, status);
      return 1;
    }
    const auto [linuxOne, windowsOne] =
        MedianPairMs(runs, [&] { RunToEnd(linuxArgs); }, [&] { RunToEnd(windowsArgs); });
    if (start) {
      linuxStartMs = linuxOne;
      windowsStartMs = windowsOne;
      table.Add({"Windows CLI under Wine: start (--version)", windowsOne, "ms",
                 "the Linux CLI's start", linuxOne, "", std::nullopt});
      continue;
    }
    const double beyond = windowsOne - windowsStartMs, linuxBeyond = linuxOne - linuxStartMs;
    table.Add({std::string("Windows CLI under Wine: ") + name + " beyond its start", beyond, "ms",
               std::string("the Linux CLI's ") + name + " beyond its start", linuxBeyond,
               "<= 3x the Linux CLI", beyond <= 3 * linuxBeyond});
  }
  std::fputs(table.Tsv().c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: qvm-cli-bench GAME CLI [--runs N] [--windows WINE_RUN PREFIX CLI_EXE]\n");
    return 2;
  }
  const std::string game = argv[1], cli = argv[2];
  int runs = 9;
  std::vector<std::string> wine;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--windows") == 0 && i + 3 < argc) {
      wine = {argv[i + 1], argv[i + 2], argv[i + 3]};
      i += 3;
    }
  }
  if (!wine.empty()) return WindowsRows(game, cli, wine, runs);

  // missing and check find something on the full game (exit 1); that is their normal end.
  struct Command {
    const char* name;
    int status;
  };
  const Command commands[] = {
      {"tree", 0}, {"stray", 0}, {"missing", 1}, {"suggest", 0}, {"check", 1},
  };
  std::map<std::string, double> ms;  // the medians, by command
  Table table;
  for (const Command& c : commands) {
    std::fprintf(stderr, "  %s\n", c.name);
    const std::vector<std::string> args = {cli, "-C", game, c.name};
    const int status = RunToEnd(args);  // also warms the page cache
    if (status != c.status) {
      std::fprintf(stderr, "%s exited with %d, not %d\n", c.name, status, c.status);
      return 1;
    }
    auto [start, whole] = MedianPairMs(
        runs,
        [&] {
          RunToEnd({cli, "--version"});
        },
        [&] { RunToEnd(args); });
    ms[c.name] = whole;
    const std::string figure = std::string("CLI ") + c.name + " on the full game";
    // suggest does what stray and missing do, check reads every picture beside the game.
    if (std::strcmp(c.name, "suggest") == 0) {
      const double both = ms["stray"] + ms["missing"];
      table.Add({figure, whole, "ms", "CLI stray + CLI missing", both, "<= stray + missing",
                 whole <= both});
    } else if (std::strcmp(c.name, "check") == 0) {
      table.Add(
          {figure, whole, "ms", "CLI tree", ms["tree"], "<= 4x tree", whole <= 4 * ms["tree"]});
    } else {
      table.Add({figure, whole, "ms", "start of the CLI (--version)", start, "", std::nullopt});
    }
  }
  std::fputs(table.Tsv().c_str(), stdout);
  return 0;
}
