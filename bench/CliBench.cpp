// qvm-cli-bench GAME CLI [--runs N]: the command-line companion's tree, stray, missing, suggest
// and check on a game folder (the full-capacity one of qvm-full-game), each a whole process from
// start to end, beside the start of the same program that does nothing (--version). Prints
// tab-separated rows (see Harness.h) on stdout, progress on stderr.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: qvm-cli-bench GAME CLI [--runs N]\n");
    return 2;
  }
  const std::string game = argv[1], cli = argv[2];
  int runs = 9;
  for (int i = 3; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
  }
  struct Command {
    const char* name;
    int status;        // what it exits with on the full game
    const char* goal;  // empty: none
    double goalMs;
  };
  // missing and check find something on the full game (exit 1); that is their normal end.
  const Command commands[] = {
      {"tree", 0, "", 0},
      {"stray", 0, "", 0},
      {"missing", 1, "", 0},
      {"suggest", 0, "< 100 ms", 100},
      {"check", 1, "<= 500 ms", 500},
  };
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
    Row row{std::string("CLI ") + c.name + " on the full game",
            whole,
            "ms",
            "start of the CLI (--version)",
            start,
            c.goal,
            std::nullopt};
    if (*c.goal) row.met = whole <= c.goalMs;
    table.Add(row);
  }
  std::fputs(table.Tsv().c_str(), stdout);
  return 0;
}
