#include "platform/FileIo.h"

#include <atomic>

#include "platform/PathText.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kTemporaryPrefix = ".qvm-";
constexpr std::string_view kTemporarySuffix = ".tmp";

fs::path FolderOf(const fs::path& file) {
  return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

}  // namespace

std::optional<std::string> ReadWholeFile(Os& os, const fs::path& path, std::string* error) {
  EntryInfo opened;
  OsFile file(os, os.OpenForReadingWithInfo(path, opened, error));
  if (!file.IsOpen()) return std::nullopt;
  // Read straight into a string of the file's size; a file that changes meanwhile is read
  // until its end all the same.
  std::string data(static_cast<std::size_t>(opened.size) + 1, '\0');
  std::size_t done = 0;
  for (;;) {
    if (done == data.size()) data.resize(data.size() * 2 + (1 << 16));
    std::int64_t n = os.Read(file.Handle(), data.data() + done, data.size() - done, error);
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  data.resize(done);
  return data;
}

FileHandle CreateTemporaryFile(Os& os, const fs::path& folder, std::string_view tag, fs::path& path,
                               std::string* error) {
  static std::atomic<unsigned> counter{0};
  FileHandle file = kNoFile;
  for (int attempt = 0; attempt < 100 && file == kNoFile; ++attempt) {
    std::string name = std::string(kTemporaryPrefix) + std::string(tag) + "-" +
                       std::to_string(os.ProcessId()) + "-" + std::to_string(counter++) +
                       std::string(kTemporarySuffix);
    path = folder / PathFromUtf8(name);
    file = os.CreateNew(path, error);
    // Only a name in use is worth another try; anything else fails the same way again.
    if (file == kNoFile && os.Info(path, false).type == EntryType::Missing) break;
  }
  if (file == kNoFile) path.clear();
  return file;
}

bool IsTemporaryFileName(std::string_view name) {
  return name.size() > kTemporaryPrefix.size() + kTemporarySuffix.size() &&
         name.starts_with(kTemporaryPrefix) && name.ends_with(kTemporarySuffix);
}

bool WriteFileAtomically(Os& os, const fs::path& target, std::string_view bytes, std::string* error,
                         const std::function<void()>& beforeReplace) {
  const fs::path folder = FolderOf(target);
  std::string tag = Utf8FromPath(target.filename());
  if (tag.size() > 64) tag = "file";
  fs::path temp;
  std::string why;
  OsFile file(os, CreateTemporaryFile(os, folder, tag, temp, &why));
  auto fail = [&](const char* what) {
    if (error) *error = std::string(what) + ": " + why;
    file.Close(nullptr);
    if (!temp.empty()) os.Remove(temp, nullptr);
    return false;
  };
  if (!file.IsOpen()) return fail("cannot create the temporary file");
  if (!os.Write(file.Handle(), bytes.data(), bytes.size(), &why)) return fail("write failed");
  if (!os.Flush(file.Handle(), &why)) return fail("flush to disk failed");
  if (!file.Close(&why)) return fail("close failed");
  if (beforeReplace) beforeReplace();
  if (!os.Replace(temp, target, &why)) return fail("rename failed");
  // The rename itself must reach the disk too.
  os.FlushFolder(folder);
  return true;
}

}  // namespace qvm
