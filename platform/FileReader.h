// Random access to one regular file through the Os, for readers that walk a header a few bytes
// at a time: small reads are served from one block, large ones go straight to the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/Os.h"

namespace qvm {

class FileReader {
 public:
  // Opens `path` for reading (a regular file only; see Os::OpenForReading).
  FileReader(Os& os, const std::filesystem::path& path);
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  bool IsOpen() const { return file_.IsOpen(); }
  // The file's size when it was opened.
  std::uint64_t Size() const { return size_; }
  // Copies up to `count` bytes from `offset` into `to`: fewer at the end of the file or when
  // the system fails to read (`Failed` then says so).
  std::size_t ReadAt(std::uint64_t offset, void* to, std::size_t count);
  bool Failed() const { return failed_; }

 private:
  static constexpr std::size_t kBlock = 16384;
  // Reads from `offset` until `count` bytes or the end; the count read.
  std::size_t ReadDirect(std::uint64_t offset, unsigned char* to, std::size_t count);

  Os& os_;
  OsFile file_;
  std::uint64_t size_ = 0;
  bool failed_ = false;
  std::vector<unsigned char> block_;
  std::uint64_t blockAt_ = 0;
};

}  // namespace qvm
