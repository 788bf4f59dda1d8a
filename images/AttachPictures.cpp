#include "images/AttachPictures.h"

#include "platform/Cp1252.h"
#include "platform/FileIo.h"
#include "platform/GamePath.h"
#include "platform/PathText.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kMaxNameBytes = 255;

// A file system name for a message: see ShownFileName.
std::string ShownName(std::string_view onDisk) { return ShownFileName(onDisk); }

std::string NotAttached(std::string_view shown, std::string_view why) {
  return std::string(shown) + " was not attached: " + std::string(why) + ".";
}

std::string IndexFullProblem(std::string_view key) {
  return "No picture was attached: the picture index already holds " +
         std::to_string(kIndexEntryCapacity) + " entries, the most it can hold, so no entry for " +
         EscapeControls(key) + " can be added.";
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

std::optional<std::string> KeyProblem(std::string_view key) {
  if (IsStorableKey(key)) return std::nullopt;
  return "No picture was attached: the key \"" + EscapeControls(key) +
         "\" holds a carriage return (\\x0D), a Ctrl-Z (\\x1A) or a NUL (\\x00), which the "
         "picture index cannot hold.";
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

bool CopyToNewFile(Os& os, const fs::path& source, const fs::path& target, std::string* error) {
  std::string why;
  OsFile in(os, os.OpenForReading(source, &why));
  if (!in.IsOpen()) {
    const EntryType type = os.Info(source, true).type;
    if (error) {
      *error = type == EntryType::Folder || type == EntryType::Other ? "it is not a file"
                                                                     : "it cannot be read: " + why;
    }
    return false;
  }
  // A hidden name: the stray list never shows a temporary file.
  const fs::path folder = target.parent_path();
  fs::path temp;
  OsFile out(os, CreateTemporaryFile(os, folder, "copy", temp, &why));
  auto fail = [&](const std::string& what) {
    if (error) *error = what;
    out.Close(nullptr);
    if (!temp.empty()) os.Remove(temp, nullptr);
    return false;
  };
  if (!out.IsOpen()) return fail("no file can be made in the media folder: " + why);

  char buffer[1 << 16];
  for (;;) {
    std::int64_t n = os.Read(in.Handle(), buffer, sizeof buffer, &why);
    if (n < 0) return fail("reading it failed: " + why);
    if (n == 0) break;
    if (!os.Write(out.Handle(), buffer, static_cast<std::size_t>(n), &why))
      return fail("writing the copy failed: " + why);
  }
  if (!os.Flush(out.Handle(), &why) || !out.Close(&why))
    return fail("writing the copy failed: " + why);

  // The temporary file takes the name only while the name is free.
  if (!os.RenameNew(temp, target, &why)) {
    if (os.Info(target, false).type != EntryType::Missing)
      return fail("a file of that name appeared in the media folder meanwhile");
    return fail("the copy could not be given its name: " + why);
  }
  temp.clear();
  os.FlushFolder(folder);
  return true;
}

AttachReport AttachPictureFiles(Os& os, const GamePaths& paths, ImageIndex& index,
                                std::string_view key, const std::vector<PictureFile>& files) {
  AttachReport report;
  if (auto why = KeyProblem(key)) {
    report.problems.push_back(*why);
    return report;
  }
  struct Pending {
    fs::path source;
    std::string name;  // CP1252, as picked
  };
  std::vector<Pending> pending;
  for (const PictureFile& f : files) {
    std::string shown = ShownName(Utf8FromPath(f.name));
    auto name = Cp1252FromPath(f.name);
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
    if (!IsRegularFile(os, source)) {
      bool there = os.Info(source, false).type != EntryType::Missing;
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
  std::vector<std::string> names;
  for (const Pending& p : pending) {
    names.push_back(p.name);
    // Any letter case already there.
    std::optional<fs::path> found = ResolveNameInFolder(os, paths.media, p.name);
    const fs::path target = found.value_or(fs::path());
    std::string error;
    if (!found) {
      error = "another file in the media folder has that name as its short name";
    } else if (os.Info(target, false).type != EntryType::Missing) {
      // The file already there is the one the index refers to; it is never replaced.
      if (IsRegularFile(os, target)) continue;
      error = "something that is not a file has that name in the media folder";
    } else if (CopyToNewFile(os, p.source, target, &error)) {
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
  if (auto why = KeyProblem(key)) {
    report.problems.push_back(*why);
    return report;
  }
  std::vector<std::string> valid;
  for (const std::string& name : names) {
    if (auto why = PictureNameProblem(name)) {
      report.problems.push_back(NotAttached(EscapeControls(name), *why));
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
