#include "platform/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qvm {
namespace fs = std::filesystem;
namespace {

FileIo& DefaultIo() {
  static FileIo io;
  return io;
}
FileIo* g_io = nullptr;

std::string ErrnoText(int err) { return std::strerror(err); }

}  // namespace

int FileIo::Open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t FileIo::Write(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
int FileIo::Fsync(int fd) { return ::fsync(fd); }
int FileIo::Close(int fd) { return ::close(fd); }
int FileIo::Rename(const char* from, const char* to) { return ::rename(from, to); }

FileIo& CurrentFileIo() { return g_io ? *g_io : DefaultIo(); }
void SetFileIo(FileIo* io) { g_io = io; }

std::optional<std::string> ReadWholeFile(const fs::path& path, std::string* error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = ErrnoText(errno);
    return std::nullopt;
  }
  // Read straight into a string of the file's size; a file that changes meanwhile is read
  // until its end all the same.
  struct stat st {};
  size_t expected =
      ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<size_t>(st.st_size) : 0;
  std::string data(expected + 1, '\0');
  size_t done = 0;
  for (;;) {
    if (done == data.size()) data.resize(data.size() * 2 + (1 << 16));
    ssize_t n = ::read(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (error) *error = ErrnoText(errno);
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  data.resize(done);
  return data;
}

bool WriteFileAtomically(const fs::path& target, std::string_view bytes, std::string* error) {
  FileIo& io = CurrentFileIo();
  fs::path temp = target;
  temp += ".new";
  auto fail = [&](const char* what, int err, int fd) {
    if (error) *error = std::string(what) + ": " + ErrnoText(err);
    if (fd >= 0) io.Close(fd);
    ::unlink(temp.c_str());
    return false;
  };
  int fd = io.Open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return fail("cannot create the temporary file", errno, -1);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = io.Write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail("write failed", n < 0 ? errno : ENOSPC, fd);
    done += static_cast<size_t>(n);
  }
  if (io.Fsync(fd) != 0) return fail("flush to disk failed", errno, fd);
  if (io.Close(fd) != 0) return fail("close failed", errno, -1);
  if (io.Rename(temp.c_str(), target.c_str()) != 0) return fail("rename failed", errno, -1);
  // The rename itself must reach the disk too.
  fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    io.Fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace qvm
