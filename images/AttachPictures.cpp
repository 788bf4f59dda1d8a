#include "images/AttachPictures.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "index/IndexFile.h"
#include "platform/Cp1252.h"
#include "platform/FileIo.h"
#include "platform/GamePath.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kMaxNameBytes = 255;

// A file system name for a message: characters CP1252 cannot hold become "?".
std::string ShownName(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    std::size_t len = lead < 0x80             ? 1
                      : (lead & 0xE0) == 0xC0 ? 2
                      : (lead & 0xF0) == 0xE0 ? 3
                      : (lead & 0xF8) == 0xF0 ? 4
                                              : 1;
    auto one = Cp1252FromUtf8(utf8.substr(i, len));
    out += one ? *one : std::string("?");
    i += len;
  }
  return out;
}

std::string NotAttached(std::string_view shown, std::string_view why) {
  return std::string(shown) + " was not attached: " + std::string(why) + ".";
}

std::string IndexFullProblem(std::string_view key) {
  return "No picture was attached: the picture index already holds " +
         std::to_string(kIndexEntryCapacity) + " entries, the most it can hold, so no entry for " +
         std::string(key) + " can be added.";
}

// Enters the names into `entry` in order and reports what was new.
void EnterNames(ImageIndex& index, int entry, const std::vector<std::string>& names,
                AttachReport& report) {
  for (const std::string& name : names) {
    switch (index.AddImage(entry, name)) {
      case AddImageResult::Added:
        report.added.push_back(LowerCp1252(name));
        break;
      case AddImageResult::AlreadyListed:
        break;
      case AddImageResult::EntryFull:
        report.problems.push_back(NotAttached(name, "the entry already lists " +
                                                        std::to_string(kImagesPerEntryCapacity) +
                                                        " pictures, the most one entry can hold"));
        break;
      case AddImageResult::NoEntry:
        report.problems.push_back(NotAttached(name, "the entry could not be found"));
        break;
    }
  }
}

// The entry of `key`, appended when there is none; 0 (with the problem reported) when full.
int EntryFor(ImageIndex& index, std::string_view key, AttachReport& report) {
  int entry = index.FindEntry(key);
  if (entry == 0) entry = index.AppendEntry(key);
  if (entry == 0) report.problems.push_back(IndexFullProblem(key));
  return entry;
}

std::string ErrnoText(int err) { return std::strerror(err); }

}  // namespace

std::vector<PictureFile> PictureFilesOf(const FileChoice& choice) {
  std::vector<PictureFile> files;
  for (const fs::path& name : choice.names) files.push_back({choice.sourceFolder, name});
  return files;
}

std::vector<PictureFile> PictureFilesOf(const std::vector<fs::path>& paths) {
  std::vector<PictureFile> files;
  for (const fs::path& p : paths) files.push_back({p.parent_path(), p.filename()});
  return files;
}

std::optional<std::string> PictureNameProblem(std::string_view name) {
  if (name.empty()) return "the name is empty";
  if (!IsPlainFileName(name))
    return "only a plain file name can stand in the picture index (no folder, drive or \"..\")";
  for (char ch : name) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '|' || c < 0x20 || c == 0x7F)
      return "the name holds \"|\" or a control character, which the picture index cannot hold";
  }
  if (Utf8FromCp1252(name).size() > kMaxNameBytes) return "the name is longer than 255 bytes";
  return std::nullopt;
}

bool CopyToNewFile(const fs::path& source, const fs::path& target, std::string* error) {
  FileIo& io = CurrentFileIo();
  int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  int out = -1;
  fs::path temp;
  auto fail = [&](const std::string& what) {
    if (error) *error = what;
    if (in >= 0) ::close(in);
    if (out >= 0) io.Close(out);
    if (!temp.empty()) ::unlink(temp.c_str());
    return false;
  };
  if (in < 0) return fail("it cannot be read: " + ErrnoText(errno));
  struct stat st;
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) return fail("it is not a file");

  // A hidden name: the stray list never shows a temporary file.
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = target.parent_path() /
           (".qvm-copy-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp");
    out = io.Open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out >= 0 || errno != EEXIST) break;
  }
  if (out < 0) {
    int err = errno;
    temp.clear();
    return fail("no file can be made in the media folder: " + ErrnoText(err));
  }

  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail("reading it failed: " + ErrnoText(errno));
    if (n == 0) break;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = io.Write(out, buffer + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return fail("writing the copy failed: " + ErrnoText(w < 0 ? errno : ENOSPC));
      done += w;
    }
  }
  if (io.Fsync(out) != 0) return fail("writing the copy failed: " + ErrnoText(errno));
  int closed = io.Close(out);
  out = -1;
  if (closed != 0) return fail("writing the copy failed: " + ErrnoText(errno));

  // The temporary file takes the name only while the name is free.
  if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
    int err = errno;
    if (err == EINVAL || err == ENOSYS || err == ENOTSUP) {  // no such rename on this file system
      err = ::link(temp.c_str(), target.c_str()) == 0 ? 0 : errno;
      if (err == 0) ::unlink(temp.c_str());
    }
    if (err == EEXIST) return fail("a file of that name appeared in the media folder meanwhile");
    if (err != 0) return fail("the copy could not be given its name: " + ErrnoText(err));
  }
  temp.clear();
  ::close(in);
  int dir = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    io.Fsync(dir);
    ::close(dir);
  }
  return true;
}

AttachReport AttachPictureFiles(const fs::path& gameFolder, ImageIndex& index, std::string_view key,
                                const std::vector<PictureFile>& files) {
  AttachReport report;
  struct Pending {
    fs::path source;
    std::string name;  // CP1252, as picked
  };
  std::vector<Pending> pending;
  for (const PictureFile& f : files) {
    const std::string& onDisk = f.name.native();
    std::string shown = ShownName(onDisk);
    auto name = Cp1252FromUtf8(onDisk);
    if (!name) {
      report.problems.push_back(NotAttached(
          shown,
          "the name holds a character that the game's code page (Windows-1252) cannot hold"));
      continue;
    }
    if (auto why = PictureNameProblem(*name)) {
      report.problems.push_back(NotAttached(shown, *why));
      continue;
    }
    fs::path source = f.folder / f.name;
    if (!IsRegularFile(source)) {
      std::error_code ec;
      bool there = fs::exists(fs::symlink_status(source, ec));
      report.problems.push_back(
          NotAttached(shown, there ? "it is not a file" : "there is no such file"));
      continue;
    }
    pending.push_back({std::move(source), std::move(*name)});
  }
  if (pending.empty()) return report;
  if (index.FindEntry(key) == 0 && index.EntryCount() >= kIndexEntryCapacity) {
    report.problems.push_back(IndexFullProblem(key));
    return report;
  }

  // Copy first, then enter the names, as the dialog path always did.
  fs::path media = MediaFolder(gameFolder);
  std::vector<std::string> names;
  for (const Pending& p : pending) {
    names.push_back(p.name);
    fs::path target = *ResolveNameInFolder(media, p.name);  // any letter case already there
    std::error_code ec;
    std::string error;
    if (fs::exists(fs::symlink_status(target, ec))) {
      // The file already there is the one the index refers to; it is never replaced.
      if (IsRegularFile(target)) continue;
      error = "something that is not a file has that name in the media folder";
    } else if (CopyToNewFile(p.source, target, &error)) {
      continue;
    }
    report.problems.push_back(p.name + " could not be copied into the media folder: " + error +
                              ". Its name is attached all the same; the picture shows once a "
                              "file of that name is in the media folder.");
  }
  int entry = EntryFor(index, key, report);
  if (entry != 0) EnterNames(index, entry, names, report);
  return report;
}

AttachReport AttachMediaNames(ImageIndex& index, std::string_view key,
                              const std::vector<std::string>& names) {
  AttachReport report;
  std::vector<std::string> valid;
  for (const std::string& name : names) {
    if (auto why = PictureNameProblem(name)) {
      report.problems.push_back(NotAttached(name, *why));
    } else {
      valid.push_back(name);
    }
  }
  if (valid.empty()) return report;
  int entry = EntryFor(index, key, report);
  if (entry != 0) EnterNames(index, entry, valid, report);
  return report;
}

RemoveOutcome RemoveImageByName(ImageIndex& index, std::string_view key, std::string_view name) {
  int entry = index.FindEntry(key);
  if (entry == 0) return RemoveOutcome::NoEntry;
  const std::vector<Text>& images = index.Entry(entry).images;
  for (std::size_t i = 0; i < images.size(); ++i) {
    if (images[i] == name) {
      index.RemoveImage(entry, static_cast<int>(i) + 1);
      return RemoveOutcome::Removed;
    }
  }
  return RemoveOutcome::NotListed;
}

}  // namespace qvm
