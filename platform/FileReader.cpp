#include "platform/FileReader.h"

#include <algorithm>
#include <cstring>

namespace qvm {

FileReader::FileReader(Os& os, const std::filesystem::path& path)
    : os_(os), file_(os, os.OpenForReading(path, nullptr)) {
  if (file_.IsOpen()) size_ = os.InfoOf(file_.Handle()).size;
}

std::size_t FileReader::ReadDirect(std::uint64_t offset, unsigned char* to, std::size_t count) {
  if (!file_.IsOpen() || !os_.Seek(file_.Handle(), offset, nullptr)) {
    failed_ = true;
    return 0;
  }
  std::size_t done = 0;
  while (done < count) {
    std::int64_t n = os_.Read(file_.Handle(), to + done, count - done, nullptr);
    if (n < 0) failed_ = true;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::size_t FileReader::ReadAt(std::uint64_t offset, void* to, std::size_t count) {
  auto* out = static_cast<unsigned char*>(to);
  if (count >= kBlock) return ReadDirect(offset, out, count);
  std::size_t done = 0;
  while (done < count) {
    const std::uint64_t want = offset + done;
    if (want < blockAt_ || want >= blockAt_ + block_.size()) {
      block_.resize(kBlock);
      block_.resize(ReadDirect(want, block_.data(), kBlock));
      blockAt_ = want;
      if (block_.empty()) break;
    }
    const std::size_t n = std::min<std::uint64_t>(count - done, blockAt_ + block_.size() - want);
    std::memcpy(out + done, block_.data() + (want - blockAt_), n);
    done += n;
  }
  return done;
}

}  // namespace qvm
