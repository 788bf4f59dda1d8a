// A fresh temporary folder per test, removed afterwards.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/GamePaths.h"
#include "platform/Os.h"
#include "platform/PathText.h"
#include "tests/unit/SpecialFiles.h"

namespace qvm::test {

class TempFolder {
 public:
  TempFolder() {
    // A name nobody has yet: creating the folder is the test (mkdtemp is POSIX only).
    std::random_device random;
    std::filesystem::path base = std::filesystem::temp_directory_path();
    do {
      path_ = base / ("qvm-test-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
  }
  ~TempFolder() {
    std::error_code ec;
#ifdef _WIN32
    if (MadeOnLinux() != madeOnLinuxAtStart_ && RunUnix("rm -rf " + Quoted(UnixPath(path_))))
      return;
#endif
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // `rel` is UTF-8: a narrow string made a path directly would be the ANSI code page on Windows.
  std::filesystem::path operator/(std::string_view rel) const { return path_ / PathFromUtf8(rel); }

 private:
  std::filesystem::path path_;
#ifdef _WIN32
  int madeOnLinuxAtStart_ = MadeOnLinux();
#endif
};

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The names in `folder` as the file system spells them, in UTF-8, sorted.
inline std::vector<std::string> Listing(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(Utf8FromPath(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

// A game folder: qvm.vrs plus whatever the test writes.
class GameFolder : public TempFolder {
 public:
  GameFolder() { WriteBytes(path() / "qvm.vrs", ""); }
  void Write(std::string_view rel, std::string_view bytes) const { WriteBytes(*this / rel, bytes); }
  std::string Read(std::string_view rel) const { return ReadBytes(*this / rel); }
  // The run's paths as start-up resolves them, as the folder is now.
  GamePaths Paths(Os& os = SystemOs()) const { return ResolveGamePaths(os, path()); }
};

}  // namespace qvm::test
