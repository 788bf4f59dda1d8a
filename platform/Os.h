// The operating system as the core reaches it: files, folders and the game's lock, nothing
// else. One implementation per platform (PosixOs.cpp, Win32Os.cpp, chosen by CMake); tests
// wrap the real one to make any call fail. The core never calls the system itself and never
// holds a global Os: the session and the CLI's context hand it down.
//
// Every call that can fail returns false (or kNoFile) and says why in `error` when it is given:
// a short lower-case text such as "no such file or directory", ready for a message.
//
// What every implementation promises (the game folder may come from an archive or be shared
// with other users, so none of it is taken on trust):
//  - Nothing is ever created through a link: CreateNew makes a new file or fails, also when a
//    link (dangling or not) or anything else has the name.
//  - Nothing blocks: OpenForReading and OpenForAppending accept regular files only; a FIFO,
//    device or folder is an error at once, never a wait.
//  - A short write is an error like any other (a full disk, a file-size limit), never a signal
//    that ends the process.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qvm {

enum class EntryType {
  Missing,  // nothing has the name (or it cannot be looked at)
  Regular,
  Folder,
  Link,   // a symbolic link or other reparse point, seen without following it
  Other,  // FIFO, device, socket
};

struct EntryInfo {
  EntryType type = EntryType::Missing;
  std::uint64_t size = 0;     // bytes, for regular files
  std::int64_t modified = 0;  // nanoseconds since 1970, for noticing changes
};

struct FolderEntry {
  std::filesystem::path name;           // the bare name as the file system spells it
  EntryType type = EntryType::Missing;  // of the entry itself: a link is Link
};

// An open file of the Os that opened it; kNoFile for none.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// What trying to take the game's lock gave.
enum class LockState {
  Locked,       // held until the HeldLock is destroyed (or the process ends, a crash included)
  HeldByOther,  // another process holds it; `holder` says which when the system can tell
  Failed,       // it cannot be taken at all (`error` says why): nothing may write then
};
class HeldLock {
 public:
  virtual ~HeldLock() = default;
};
// The byte of the lock file where the Windows programs take their lock (LockFileEx), beyond
// the holder's name that they write at its start. Under Wine such a lock is a Linux record
// lock, so the Linux programs take a shared record lock on the same byte too, and a Windows
// program of ours under Wine and a Linux one keep each other out of the same game.
inline constexpr std::uint64_t kLockFileByte = std::uint64_t{1} << 62;
struct LockAttempt {
  LockState state = LockState::Failed;
  std::unique_ptr<HeldLock> lock;  // set when Locked
  // HeldByOther, when the system can tell: "PROGRAM (process N)", PROGRAM being the holder's
  // program file name without folder or extension, e.g. "qvm-image-wizard (process 4711)".
  std::string holder;
  std::string error;  // Failed
};

class Os {
 public:
  virtual ~Os() = default;

  // --- Looking ---------------------------------------------------------------------------------
  // What `path` is; `followLinks` false looks at a link itself. Missing when there is nothing.
  virtual EntryInfo Info(const std::filesystem::path& path, bool followLinks) = 0;
  // The absolute path with every link resolved; empty when it cannot be resolved.
  virtual std::optional<std::filesystem::path> RealPath(const std::filesystem::path& path) = 0;
  // The name by which `folder` holds the entry that `name` reaches (a link itself, not followed),
  // as the file system spells it; empty when nothing has the name. Where names compare exactly
  // that is `name`; where the system ignores letter case, or also knows a file by a short 8.3
  // name (Windows), it is the entry's own name, which may differ from `name`.
  virtual std::optional<std::filesystem::path> NameOnDisk(const std::filesystem::path& folder,
                                                          const std::filesystem::path& name) = 0;
  // True where the system itself finds a name in any letter case (Windows): a game's file may
  // be opened by the name the game gives, with no listing of its folder for the spelling.
  virtual bool FindsNamesInAnyCase() const { return false; }
  // True where every open waits on a round trip to the system (Windows, and Wine above all):
  // work that opens many files gains from opening them on threads of their own. Where opens
  // are cheap such threads only take cores from the rest of the work.
  virtual bool OpensAreSlow() const { return false; }
  // Every entry of `folder` but "." and "..", in the file system's order.
  virtual bool ListFolder(const std::filesystem::path& folder, std::vector<FolderEntry>& entries,
                          std::string* error) = 0;

  // --- Reading ---------------------------------------------------------------------------------
  // Opens a regular file for reading (links followed). Anything else fails at once.
  virtual FileHandle OpenForReading(const std::filesystem::path& path, std::string* error) = 0;
  // The same, with what the opened file is (InfoOf) in `opened`: the implementations find it
  // out anyway when they make sure it is a regular file (check opens every picture of a game).
  virtual FileHandle OpenForReadingWithInfo(const std::filesystem::path& path, EntryInfo& opened,
                                            std::string* error) {
    const FileHandle file = OpenForReading(path, error);
    if (file != kNoFile) opened = InfoOf(file);
    return file;
  }
  // Reads up to `size` bytes: the count read, 0 at the end of the file, -1 on an error.
  virtual std::int64_t Read(FileHandle file, void* buffer, std::size_t size,
                            std::string* error) = 0;
  // Moves to `offset` bytes from the start.
  virtual bool Seek(FileHandle file, std::uint64_t offset, std::string* error) = 0;
  // What the open file is (its size as of now).
  virtual EntryInfo InfoOf(FileHandle file) = 0;

  // --- Writing ---------------------------------------------------------------------------------
  // Creates `path` as a new, empty regular file for writing. Fails when anything has the name,
  // a link included: never writes through a link.
  virtual FileHandle CreateNew(const std::filesystem::path& path, std::string* error) = 0;
  // Opens an existing regular file (not a link) for appending.
  virtual FileHandle OpenForAppending(const std::filesystem::path& path, std::string* error) = 0;
  // Writes all `size` bytes or fails; a short write is a failure.
  virtual bool Write(FileHandle file, const void* data, std::size_t size, std::string* error) = 0;
  // The file's data on the disk.
  virtual bool Flush(FileHandle file, std::string* error) = 0;
  // Closes the file; a failure means written data may be lost. The handle is gone either way.
  virtual bool Close(FileHandle file, std::string* error) = 0;
  // Renames `from` to `to` in one step, replacing what `to` names (a file or a link itself,
  // never what a link points to).
  virtual bool Replace(const std::filesystem::path& from, const std::filesystem::path& to,
                       std::string* error) = 0;
  // Renames `from` to `to` only while nothing has the name `to`.
  virtual bool RenameNew(const std::filesystem::path& from, const std::filesystem::path& to,
                         std::string* error) = 0;
  // Removes a file or a link (never what it points to), not a folder.
  virtual bool Remove(const std::filesystem::path& path, std::string* error) = 0;
  virtual bool CreateFolder(const std::filesystem::path& path, std::string* error) = 0;
  // The folder's entries (a rename into it) on the disk; false where the system cannot.
  virtual bool FlushFolder(const std::filesystem::path& folder) = 0;

  // --- The lock --------------------------------------------------------------------------------
  // Takes, without waiting, the one exclusive lock of a game's index: the lock on `lockFile`
  // (created when missing, never through a link) beside the index in `mediaFolder`, taken in a
  // way that nobody can delete or swap away from under its holder. Anyone who may write the
  // index can take it.
  virtual LockAttempt TryLock(const std::filesystem::path& mediaFolder,
                              const std::filesystem::path& lockFile) = 0;

  // A number that differs between processes running at once (for unique temporary names).
  virtual std::uint64_t ProcessId() = 0;
};

// The operating system this program runs on.
Os& SystemOs();

// Closes its file when it goes (errors of that close are lost: call Close to see them).
class OsFile {
 public:
  OsFile() = default;
  OsFile(Os& os, FileHandle handle) : os_(&os), handle_(handle) {}
  ~OsFile() { Close(nullptr); }
  OsFile(OsFile&& other) noexcept : os_(other.os_), handle_(other.handle_) {
    other.handle_ = kNoFile;
  }
  OsFile& operator=(OsFile&& other) noexcept {
    if (this != &other) {
      Close(nullptr);
      os_ = other.os_;
      handle_ = other.handle_;
      other.handle_ = kNoFile;
    }
    return *this;
  }
  OsFile(const OsFile&) = delete;
  OsFile& operator=(const OsFile&) = delete;

  bool IsOpen() const { return handle_ != kNoFile; }
  FileHandle Handle() const { return handle_; }
  bool Close(std::string* error) {
    if (handle_ == kNoFile) return true;
    FileHandle h = handle_;
    handle_ = kNoFile;
    return os_->Close(h, error);
  }

 private:
  Os* os_ = nullptr;
  FileHandle handle_ = kNoFile;
};

}  // namespace qvm
