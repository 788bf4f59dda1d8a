// Other processes for the tests where the kernel is what matters: the built CLI run as a
// program, and a process holding the game's lock under the program name the test chooses.
#pragma once
#ifndef _WIN32  // fork and flock: the Windows run covers these through the end-to-end scripts

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/Os.h"
#include "tests/unit/TestFolder.h"

namespace qvm::test {

struct CliRun {
  int status = -1;  // the exit status; 128 + N when signal N ended it
  std::string out, err;
  long maxResidentKb = 0;
};

// Runs the built CLI with `args` (stdin empty), waiting for it to end.
inline CliRun RunCli(const std::vector<std::string>& args) {
  TempFolder io;
  const std::string out = (io / "out").string(), err = (io / "err").string();
  pid_t child = fork();
  if (child == 0) {
    int in = ::open("/dev/null", O_RDONLY);
    int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(in, 0);
    ::dup2(o, 1);
    ::dup2(e, 2);
    std::vector<char*> argv{const_cast<char*>(QVM_CLI)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(QVM_CLI, argv.data());
    _exit(127);
  }
  CliRun run;
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.maxResidentKb = usage.ru_maxrss;
  run.out = ReadBytes(out);
  run.err = ReadBytes(err);
  return run;
}

// Holds the lock of `media` (as the programs take it: on the folder itself) in a process whose
// program name is `program`, until destroyed.
class LockHolder {
 public:
  LockHolder(const std::filesystem::path& media, const char* program) {
    child_ = fork();
    if (child_ == 0) {
      int fd = ::open(media.c_str(), O_RDONLY | O_DIRECTORY);
      if (fd < 0 || ::flock(fd, LOCK_EX) != 0) _exit(1);
      ::execlp("sleep", program, "60", static_cast<char*>(nullptr));
      _exit(1);
    }
    // Held once nobody else can take it.
    for (int i = 0; i < 500; ++i) {
      LockAttempt a = SystemOs().TryLock(media, media / "index.dat.lock");
      if (a.state == LockState::HeldByOther) return;
      a.lock.reset();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~LockHolder() { Release(); }
  void Release() {
    if (child_ <= 0) return;
    ::kill(child_, SIGKILL);
    ::waitpid(child_, nullptr, 0);
    child_ = -1;
  }
  pid_t pid() const { return child_; }

 private:
  pid_t child_ = -1;
};

// While it lives, this process goes by the window's program name where the kernel shows it
// (the start of its argv[0], which is what a lock's holder is known by), so that a window run
// inside a test is told as the window.
class NamedAsWindow {
 public:
  NamedAsWindow() : saved_(program_invocation_name) {
    if (saved_.size() >= 16) std::memcpy(program_invocation_name, "qvm-image-wizard", 17);
  }
  ~NamedAsWindow() { std::memcpy(program_invocation_name, saved_.c_str(), saved_.size() + 1); }

 private:
  std::string saved_;
};

}  // namespace qvm::test
#endif
