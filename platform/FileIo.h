// The one small I/O layer through which the index is written. Tests replace it to make any
// write, fsync, rename or close fail.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qvm {

class FileIo {
 public:
  virtual ~FileIo() = default;
  virtual int Open(const char* path, int flags, mode_t mode);
  virtual ssize_t Write(int fd, const void* data, size_t size);
  virtual int Fsync(int fd);
  virtual int Close(int fd);
  virtual int Rename(const char* from, const char* to);
};

// The process-wide layer; tests may install their own (nullptr restores the default).
FileIo& CurrentFileIo();
void SetFileIo(FileIo* io);

// Reads a whole file. Empty optional when it cannot be opened or read (error text in `error`).
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path,
                                         std::string* error = nullptr);

// Replaces `target` with `bytes` so that the file on disk is always either the complete old
// or the complete new one: write `target` + ".new", fsync, rename over `target`, fsync the
// folder. On failure the target is untouched, the temporary file removed, and `error` says why.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string* error);

}  // namespace qvm
