// The operating system on Linux (and other POSIX systems).
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/Os.h"
#include "platform/PathText.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

bool Fail(std::string* error, int err) {
  if (error) *error = std::strerror(err);
  return false;
}

FileHandle FailHandle(std::string* error, int err) {
  Fail(error, err);
  return kNoFile;
}

int Fd(FileHandle file) { return static_cast<int>(file); }

EntryType TypeOf(mode_t mode) {
  if (S_ISREG(mode)) return EntryType::Regular;
  if (S_ISDIR(mode)) return EntryType::Folder;
  if (S_ISLNK(mode)) return EntryType::Link;
  return EntryType::Other;
}

EntryInfo InfoOfStat(const struct stat& st) {
  EntryInfo info;
  info.type = TypeOf(st.st_mode);
  info.size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
  info.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return info;
}

EntryType TypeOfDirent(unsigned char type) {
  switch (type) {
    case DT_REG:
      return EntryType::Regular;
    case DT_DIR:
      return EntryType::Folder;
    case DT_LNK:
      return EntryType::Link;
    case DT_UNKNOWN:
      return EntryType::Missing;  // looked up below
    default:
      return EntryType::Other;
  }
}

// Clears O_NONBLOCK again once the file is known to be a regular file. F_SETFL changes only
// the status flags (O_APPEND and the like), so the flags it was opened with serve as they are.
void MakeBlocking(int fd, int flags) { ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK); }

// Opens with O_NONBLOCK, so that a FIFO or device never makes the call wait, and keeps the
// file only when it is regular; `opened`, when given, receives what it is.
FileHandle OpenRegular(const fs::path& path, int flags, std::string* error,
                       EntryInfo* opened = nullptr) {
  int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ELOOP && (flags & O_NOFOLLOW)) {
      if (error) *error = "it is a symbolic link";
      return kNoFile;
    }
    return FailHandle(error, errno);
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    int err = errno;
    ::close(fd);
    return FailHandle(error, err);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    if (error) *error = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
    return kNoFile;
  }
  MakeBlocking(fd, flags);
  if (opened) *opened = InfoOfStat(st);
  return fd;
}

// The program that holds an flock on the file (device, inode), as /proc/locks tells it.
std::string FlockHolder(const struct stat& st) {
  std::ifstream locks("/proc/locks");
  std::string line;
  char wanted[64];
  std::snprintf(wanted, sizeof wanted, "%02x:%02x:%llu", major(st.st_dev), minor(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string number, kind, mode, access, pid, where;
    fields >> number >> kind;
    if (kind == "->") fields >> kind;  // a waiter
    fields >> mode >> access >> pid >> where;
    if (kind != "FLOCK" || where != wanted) continue;
    std::ifstream cmdline("/proc/" + pid + "/cmdline");
    std::string program;
    std::getline(cmdline, program, '\0');
    program = fs::path(program).filename().string();
    if (program.empty()) program = "another program";
    return program + " (process " + pid + ")";
  }
  return {};
}

class PosixLock : public HeldLock {
 public:
  PosixLock(int folder, int file) : folder_(folder), file_(file) {}
  ~PosixLock() override {
    ::close(file_);  // closing the last descriptor releases an flock
    ::close(folder_);
  }

 private:
  int folder_;
  int file_;
};

// One flock, without waiting; `st` is filled for naming a holder.
LockAttempt TakeFlock(int fd) {
  LockAttempt attempt;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    attempt.state = LockState::Locked;
    return attempt;
  }
  if (errno == EWOULDBLOCK) {
    attempt.state = LockState::HeldByOther;
    struct stat st {};
    if (::fstat(fd, &st) == 0) attempt.holder = FlockHolder(st);
    return attempt;
  }
  attempt.error = std::strerror(errno);
  return attempt;
}

// A shared record lock on the byte where our Windows programs lock under Wine (an open file
// description lock, so that no other close of the file drops it). Where the file system has
// no record locks, the flock alone stands.
LockAttempt TakeWindowsByte(int fd) {
  LockAttempt attempt;
  attempt.state = LockState::Locked;
#ifdef F_OFD_SETLK
  struct flock byte {};
  byte.l_type = F_RDLCK;
  byte.l_whence = SEEK_SET;
  byte.l_start = static_cast<off_t>(kLockFileByte);
  byte.l_len = 1;
  if (::fcntl(fd, F_OFD_SETLK, &byte) == 0 || (errno != EAGAIN && errno != EACCES)) return attempt;
  // The Windows holder wrote its name at the start of the file.
  attempt.state = LockState::HeldByOther;
  char text[256];
  ssize_t n = ::pread(fd, text, sizeof text, 0);
  std::string holder(text, n > 0 ? static_cast<std::size_t>(n) : 0);
  bool plain = std::all_of(holder.begin(), holder.end(), [](char c) { return c >= ' '; });
  if (plain && holder.ends_with(')') && holder.find(" (process ") != std::string::npos)
    attempt.holder = holder + " under Wine";
#else
  (void)fd;
#endif
  return attempt;
}

class PosixOs : public Os {
 public:
  PosixOs() {
    // A file-size limit must give a write error like a full disk, not end the process.
    ::signal(SIGXFSZ, SIG_IGN);
  }

  EntryInfo Info(const fs::path& path, bool followLinks) override {
    struct stat st {};
    int r = followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    return r == 0 ? InfoOfStat(st) : EntryInfo{};
  }

  std::optional<fs::path> NameOnDisk(const fs::path& folder, const fs::path& name) override {
    struct stat st {};
    if (::lstat((folder / name).c_str(), &st) != 0) return std::nullopt;
    return name;
  }

  std::optional<fs::path> RealPath(const fs::path& path) override {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return std::nullopt;
    fs::path result(real);
    std::free(real);
    return result;
  }

  bool ListFolder(const fs::path& folder, std::vector<FolderEntry>& entries,
                  std::string* error) override {
    entries.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return Fail(error, errno);
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
      std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      FolderEntry e{fs::path(std::string(name)), TypeOfDirent(entry->d_type)};
      if (e.type == EntryType::Missing) {
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
          e.type = TypeOf(st.st_mode);
      }
      entries.push_back(std::move(e));
      errno = 0;
    }
    int err = errno;
    ::closedir(dir);
    return err == 0 ? true : Fail(error, err);
  }

  FileHandle OpenForReading(const fs::path& path, std::string* error) override {
    return OpenRegular(path, O_RDONLY, error);
  }

  FileHandle OpenForReadingWithInfo(const fs::path& path, EntryInfo& opened,
                                    std::string* error) override {
    return OpenRegular(path, O_RDONLY, error, &opened);
  }

  std::int64_t Read(FileHandle file, void* buffer, std::size_t size, std::string* error) override {
    for (;;) {
      ssize_t n = ::read(Fd(file), buffer, size);
      if (n >= 0) return n;
      if (errno == EINTR) continue;
      Fail(error, errno);
      return -1;
    }
  }

  bool Seek(FileHandle file, std::uint64_t offset, std::string* error) override {
    if (offset > static_cast<std::uint64_t>(LLONG_MAX)) return Fail(error, EINVAL);
    if (::lseek(Fd(file), static_cast<off_t>(offset), SEEK_SET) < 0) return Fail(error, errno);
    return true;
  }

  EntryInfo InfoOf(FileHandle file) override {
    struct stat st {};
    return ::fstat(Fd(file), &st) == 0 ? InfoOfStat(st) : EntryInfo{};
  }

  FileHandle CreateNew(const fs::path& path, std::string* error) override {
    // O_EXCL with O_CREAT fails on any existing name, a dangling link included.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return FailHandle(error, errno);
    return fd;
  }

  FileHandle OpenForAppending(const fs::path& path, std::string* error) override {
    return OpenRegular(path, O_WRONLY | O_APPEND | O_NOFOLLOW, error);
  }

  bool Write(FileHandle file, const void* data, std::size_t size, std::string* error) override {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      ssize_t n = ::write(Fd(file), p, size);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return Fail(error, errno);
      if (n == 0) return Fail(error, ENOSPC);
      p += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  bool Flush(FileHandle file, std::string* error) override {
    return ::fdatasync(Fd(file)) == 0 ? true : Fail(error, errno);
  }

  bool Close(FileHandle file, std::string* error) override {
    // After EINTR the descriptor is gone on Linux; retrying could close another file.
    if (::close(Fd(file)) == 0 || errno == EINTR) return true;
    return Fail(error, errno);
  }

  bool Replace(const fs::path& from, const fs::path& to, std::string* error) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? true : Fail(error, errno);
  }

  bool RenameNew(const fs::path& from, const fs::path& to, std::string* error) override {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
      return true;
    int err = errno;
    if (err != EINVAL && err != ENOSYS && err != ENOTSUP) return Fail(error, err);
    // No such rename on this file system: a hard link fails on an existing name, too.
    if (::link(from.c_str(), to.c_str()) != 0) return Fail(error, errno);
    ::unlink(from.c_str());
    return true;
  }

  bool Remove(const fs::path& path, std::string* error) override {
    return ::unlink(path.c_str()) == 0 ? true : Fail(error, errno);
  }

  bool CreateFolder(const fs::path& path, std::string* error) override {
    return ::mkdir(path.c_str(), 0777) == 0 ? true : Fail(error, errno);
  }

  bool FlushFolder(const fs::path& folder) override {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
  }

  LockAttempt TryLock(const fs::path& mediaFolder, const fs::path& lockFile) override {
    // The media folder itself is locked: a folder that holds the index cannot be deleted or
    // swapped under the holder the way a lock file can. The lock file is locked as well, for
    // programs that know only it.
    LockAttempt attempt;
    int folder = ::open(mediaFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
      attempt.error = std::string("the media folder cannot be opened: ") + std::strerror(errno);
      return attempt;
    }
    attempt = TakeFlock(folder);
    if (attempt.state != LockState::Locked) {
      ::close(folder);
      return attempt;
    }
    // Opening for reading is enough for an flock, so a lock file that another user created
    // serves everyone who may write the index. It is never opened through a link.
    int file = -1;
    for (int tries = 0; file < 0 && tries < 3; ++tries) {
      file = ::open(lockFile.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
      if (file < 0 && errno == ENOENT) {
        file = ::open(lockFile.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file < 0 && errno == EEXIST) continue;  // made meanwhile by another process
      }
      break;
    }
    if (file < 0) {
      attempt.state = LockState::Failed;
      attempt.error =
          std::string("the lock file media/") + lockFile.filename().string() +
          " cannot be opened: " + (errno == ELOOP ? "it is a symbolic link" : std::strerror(errno));
      ::close(folder);
      return attempt;
    }
    attempt = TakeFlock(file);
    if (attempt.state == LockState::Locked) attempt = TakeWindowsByte(file);
    if (attempt.state != LockState::Locked) {
      ::close(file);
      ::close(folder);
      return attempt;
    }
    attempt.lock = std::make_unique<PosixLock>(folder, file);
    return attempt;
  }

  std::uint64_t ProcessId() override { return static_cast<std::uint64_t>(::getpid()); }
};

}  // namespace

Os& SystemOs() {
  static PosixOs os;
  return os;
}

// Arguments and environment are bytes on POSIX: they name files exactly as given.
std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

fs::path PathFromArgument(std::string_view argument) { return fs::path(argument); }

std::optional<fs::path> PathFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  return fs::path(value);
}

fs::path UserSettingsFolder() {
  if (auto xdg = PathFromEnvironment("XDG_CONFIG_HOME"); xdg && xdg->is_absolute()) return *xdg;
  return PathFromEnvironment("HOME").value_or(fs::path("/tmp")) / ".config";
}

}  // namespace qvm
