// The operating system on Windows: Unicode (W) calls only, every handle binary and not
// inherited by child processes.
//
// Where Windows differs from the promises of Os.h, this file closes the gap:
//  - Names Windows would read as something else are refused before any call: device names
//    ("NUL", "com1.jpg" open a device in any folder), a ":" (an alternate data stream of
//    another file), and a trailing dot or space (dropped, so "a.jpg." is "a.jpg").
//  - Links are reparse points; those that stand for another name (symbolic links, junctions)
//    are Link. Wine shows a Linux symbolic link as its target, would delete the target for it
//    and creates through a link to nothing where a file is opened or else created. So opens
//    that must not follow a link, and Remove, also compare the opened file's final path with
//    the path asked for, and a file is only ever opened as it is or created new.
//  - A pipe or device is refused by the handle's type after opening, which never waits.
//  - Paths of 248 characters or more are given in the \\?\ form, beyond MAX_PATH.
#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include <cwctype>

#include "platform/Os.h"
#include "platform/PathText.h"
#include "platform/Win32Text.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

// What a stranger may do with a file while we have it open: read, write and delete or rename
// it, as on POSIX systems. Only the lock file keeps others from deleting it.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool Fail(std::string* error, DWORD err) {
  if (error) *error = Win32ErrorText(err);
  return false;
}

bool Fail(std::string* error, const char* text) {
  if (error) *error = text;
  return false;
}

HANDLE H(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
FileHandle F(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }

bool IsDeviceName(std::wstring_view name) {
  std::wstring_view base = name.substr(0, name.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
  std::wstring upper;
  for (wchar_t c : base) upper += static_cast<wchar_t>(std::towupper(c));
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
    if (upper == device) return true;
  }
  if (upper.size() == 4 && (upper.starts_with(L"COM") || upper.starts_with(L"LPT"))) {
    wchar_t n = upper[3];
    return (n >= L'0' && n <= L'9') || n == L'\u00B9' || n == L'\u00B2' || n == L'\u00B3';
  }
  return false;
}

bool NameAllowed(std::wstring_view name) {
  if (name.empty() || name == L"." || name == L"..") return true;
  for (wchar_t c : name) {
    if (c < 32 || std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos) return false;
  }
  if (name.back() == L'.' || name.back() == L' ') return false;
  return !IsDeviceName(name);
}

// The path as the W calls take it, or nothing (with the reason) when a name in it would be
// read as something else.
std::optional<std::wstring> WinPath(const fs::path& path, std::string* error) {
  const std::wstring& native = path.native();
  bool verbatim = native.starts_with(L"\\\\?\\");
  fs::path names = verbatim ? fs::path(native.substr(4)) : path;
  for (const fs::path& name : names.relative_path()) {
    if (!NameAllowed(name.native())) {
      Fail(error, "the name is not allowed on Windows");
      return std::nullopt;
    }
  }
  if (verbatim || (native.size() < 248 && path.is_absolute())) return native;
  std::error_code ec;
  fs::path full = fs::absolute(path, ec).lexically_normal().make_preferred();
  if (ec || full.native().size() < 248) return native;
  const std::wstring& text = full.native();
  if (text.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + text.substr(2);
  return L"\\\\?\\" + text;
}

HANDLE Open(const fs::path& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
            std::string* error) {
  std::optional<std::wstring> name = WinPath(path, error);
  if (!name) {
    ::SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  // No security attributes: the handle is not inherited.
  HANDLE h = ::CreateFileW(name->c_str(), access, share, nullptr, disposition,
                           flags | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD err = ::GetLastError();
    Fail(error, err);
    ::SetLastError(err);  // for the caller to tell cases apart
  }
  return h;
}

EntryType TypeOf(DWORD attributes, DWORD reparseTag) {
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(reparseTag))
    return EntryType::Link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryType::Folder;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return EntryType::Other;
  return EntryType::Regular;
}

std::int64_t NanosecondsSince1970(FILETIME time) {
  // FILETIME counts 100 ns from 1601.
  std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  return (ticks - 116444736000000000LL) * 100;
}

EntryInfo InfoOfHandle(HANDLE h) {
  EntryInfo info;
  if (::GetFileType(h) != FILE_TYPE_DISK) {
    info.type = EntryType::Other;  // a pipe, a console, a device
    return info;
  }
  BY_HANDLE_FILE_INFORMATION file{};
  if (!::GetFileInformationByHandle(h, &file)) return info;
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (file.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
    ::GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag);
  info.type = TypeOf(file.dwFileAttributes, tag.ReparseTag);
  if (info.type == EntryType::Regular)
    info.size = (static_cast<std::uint64_t>(file.nFileSizeHigh) << 32) | file.nFileSizeLow;
  info.modified = NanosecondsSince1970(file.ftLastWriteTime);
  info.volume = file.dwVolumeSerialNumber;
  info.file = (static_cast<std::uint64_t>(file.nFileIndexHigh) << 32) | file.nFileIndexLow;
  return info;
}

std::optional<std::wstring> FinalPath(HANDLE h) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetFinalPathNameByHandleW(h, path.data(), static_cast<DWORD>(path.size()),
                                          FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return std::nullopt;
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(n);
  }
}

// Whether the open file is something other than the entry `path` names: reached through a
// link in its last step that the system did not show as a reparse point (Wine follows Unix
// symbolic links). False when the system cannot tell.
bool ReachedThroughLink(HANDLE file, const fs::path& path) {
  std::optional<std::wstring> opened = FinalPath(file);
  fs::path folder = path.parent_path();
  HANDLE h = Open(folder.empty() ? fs::path(L".") : folder, 0, kShareAll, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (!opened || h == INVALID_HANDLE_VALUE) {
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    return false;
  }
  std::optional<std::wstring> expected = FinalPath(h);
  ::CloseHandle(h);
  if (!expected) return false;
  if (!expected->ends_with(L'\\')) *expected += L'\\';
  *expected += path.filename().native();
  return ::CompareStringOrdinal(expected->c_str(), -1, opened->c_str(), -1, TRUE) != CSTR_EQUAL;
}

// Opens an existing file for `access`, keeping it only when it is a regular file; a link is
// followed only when `followLinks`.
FileHandle OpenRegular(const fs::path& path, DWORD access, bool followLinks, std::string* error) {
  HANDLE h = Open(path, access, kShareAll, OPEN_EXISTING,
                  followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT, error);
  if (h == INVALID_HANDLE_VALUE) {
    if (::GetLastError() == ERROR_ACCESS_DENIED) {
      DWORD attributes = ::GetFileAttributesW(WinPath(path, nullptr).value_or(L"").c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        Fail(error, "it is a folder");
    }
    return kNoFile;
  }
  EntryType type = InfoOfHandle(h).type;
  if (type == EntryType::Regular && !followLinks && ReachedThroughLink(h, path))
    type = EntryType::Link;
  if (type == EntryType::Regular) return F(h);
  ::CloseHandle(h);
  Fail(error, type == EntryType::Link ? "it is a symbolic link" : "it is not a regular file");
  return kNoFile;
}

std::string ProgramName() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n < path.size() ? n : 0);
  std::string name = Utf8FromWide(fs::path(path).stem().native());
  return name.empty() ? "another program" : name;
}

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

// "qvm-image-wizard-cli (process 4711)", as the holder wrote it, while that process runs.
std::string ReadHolder(HANDLE file) {
  char text[256];
  DWORD n = 0;
  OVERLAPPED at = At(0);
  if (!::ReadFile(file, text, sizeof text, &n, &at)) return {};
  std::string holder(text, n);
  std::size_t open = holder.rfind(" (process ");
  if (open == std::string::npos || !holder.ends_with(')')) return {};
  for (unsigned char c : holder) {
    if (c < 32) return {};
  }
  DWORD pid = std::strtoul(holder.c_str() + open + 10, nullptr, 10);
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED ? holder : std::string();
  DWORD code = 0;
  bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  ::CloseHandle(process);
  return running ? holder : std::string();
}

void WriteHolder(HANDLE file) {
  std::string holder = ProgramName() + " (process " + std::to_string(::GetCurrentProcessId()) + ")";
  DWORD n = 0;
  OVERLAPPED at = At(0);
  if (::WriteFile(file, holder.data(), static_cast<DWORD>(holder.size()), &n, &at)) {
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(n);
    ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    ::SetEndOfFile(file);
  }
}

class Win32Lock : public HeldLock {
 public:
  Win32Lock(HANDLE folder, HANDLE file, bool wroteHolder)
      : folder_(folder), file_(file), wroteHolder_(wroteHolder) {}
  ~Win32Lock() override {
    if (wroteHolder_) {
      LARGE_INTEGER start{};
      ::SetFilePointerEx(file_, start, nullptr, FILE_BEGIN);
      ::SetEndOfFile(file_);
    }
    OVERLAPPED at = At(kLockFileByte);
    ::UnlockFileEx(file_, 0, 1, 0, &at);  // at once: a close releases it only eventually
    ::CloseHandle(file_);
    if (folder_ != INVALID_HANDLE_VALUE) ::CloseHandle(folder_);
  }

 private:
  HANDLE folder_;
  HANDLE file_;
  bool wroteHolder_;
};

// Sets or clears the read-only attribute of the open file; true when that changed it.
bool SetReadOnlyOf(HANDLE h, bool readOnly) {
  FILE_BASIC_INFO basic{};
  if (!::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) return false;
  DWORD attributes = basic.FileAttributes;
  if (((attributes & FILE_ATTRIBUTE_READONLY) != 0) == readOnly) return false;
  attributes ^= FILE_ATTRIBUTE_READONLY;
  basic = FILE_BASIC_INFO{};  // times of 0 stay as they are
  basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return ::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic);
}

// The same for the regular file at `path`, never through a link.
bool SetReadOnly(const fs::path& path, bool readOnly) {
  HANDLE h = Open(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll, OPEN_EXISTING,
                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool changed = InfoOfHandle(h).type == EntryType::Regular && !ReachedThroughLink(h, path) &&
                 SetReadOnlyOf(h, readOnly);
  ::CloseHandle(h);
  return changed;
}

class Win32Os : public Os {
 public:
  EntryInfo Info(const fs::path& path, bool followLinks) override {
    // Attribute access only: allowed even while another program has the file open whole.
    HANDLE h = Open(path, FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                    nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    EntryInfo info = InfoOfHandle(h);
    ::CloseHandle(h);
    return info;
  }

  std::optional<fs::path> NameOnDisk(const fs::path& folder, const fs::path& name) override {
    // A search for the name without wildcards finds the entry it reaches, in any letter case
    // or by its short name, and tells the entry's own long name.
    std::optional<std::wstring> path = WinPath(folder / name, nullptr);
    if (!path) return std::nullopt;
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileExW(path->c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return std::nullopt;
    ::FindClose(find);
    return fs::path(std::wstring(found.cFileName));
  }

  std::optional<fs::path> RealPath(const fs::path& path) override {
    HANDLE h = Open(path, FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::wstring> real = FinalPath(h);
    ::CloseHandle(h);
    if (!real) return std::nullopt;
    if (real->starts_with(L"\\\\?\\UNC\\")) return fs::path(L"\\\\" + real->substr(8));
    if (real->starts_with(L"\\\\?\\")) return fs::path(real->substr(4));
    return fs::path(*real);
  }

  bool ListFolder(const fs::path& folder, std::vector<FolderEntry>& entries,
                  std::string* error) override {
    entries.clear();
    std::optional<std::wstring> name = WinPath(folder, error);
    if (!name) return false;
    std::wstring pattern = *name;
    if (!pattern.empty() && !pattern.ends_with(L'\\') && !pattern.ends_with(L'/')) pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
      DWORD err = ::GetLastError();
      // No entry at all (a drive's root can be empty), or no folder to look into.
      if (err == ERROR_FILE_NOT_FOUND && Info(folder, true).type == EntryType::Folder) return true;
      return Fail(error, err == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : err);
    }
    do {
      std::wstring_view entry = found.cFileName;
      if (entry == L"." || entry == L"..") continue;
      // dwReserved0 holds the reparse tag of a reparse point.
      entries.push_back(
          {fs::path(std::wstring(entry)), TypeOf(found.dwFileAttributes, found.dwReserved0)});
    } while (::FindNextFileW(find, &found));
    DWORD err = ::GetLastError();
    ::FindClose(find);
    return err == ERROR_NO_MORE_FILES ? true : Fail(error, err);
  }

  FileHandle OpenForReading(const fs::path& path, std::string* error) override {
    return OpenRegular(path, GENERIC_READ, true, error);
  }

  std::int64_t Read(FileHandle file, void* buffer, std::size_t size, std::string* error) override {
    DWORD n = 0;
    DWORD chunk = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
    if (!::ReadFile(H(file), buffer, chunk, &n, nullptr)) {
      DWORD err = ::GetLastError();
      if (err == ERROR_HANDLE_EOF) return 0;
      Fail(error, err);
      return -1;
    }
    return n;
  }

  bool Seek(FileHandle file, std::uint64_t offset, std::string* error) override {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) return Fail(error, ERROR_NEGATIVE_SEEK);
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(H(file), to, nullptr, FILE_BEGIN) ? true
                                                                : Fail(error, ::GetLastError());
  }

  EntryInfo InfoOf(FileHandle file) override { return InfoOfHandle(H(file)); }

  FileHandle CreateNew(const fs::path& path, std::string* error) override {
    // CREATE_NEW fails on any existing name; not following a reparse point keeps a dangling
    // link from making its target.
    HANDLE h = Open(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_NEW,
                    FILE_FLAG_OPEN_REPARSE_POINT, error);
    if (h == INVALID_HANDLE_VALUE) return kNoFile;
    if (::GetFileType(h) != FILE_TYPE_DISK) {
      ::CloseHandle(h);
      Fail(error, "it is not a regular file");
      return kNoFile;
    }
    return F(h);
  }

  FileHandle OpenForAppending(const fs::path& path, std::string* error) override {
    // Append access alone: every write goes to the end, as with O_APPEND.
    return OpenRegular(path, FILE_APPEND_DATA, false, error);
  }

  bool Write(FileHandle file, const void* data, std::size_t size, std::string* error) override {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      DWORD chunk = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
      DWORD n = 0;
      if (!::WriteFile(H(file), p, chunk, &n, nullptr)) return Fail(error, ::GetLastError());
      if (n == 0) return Fail(error, ERROR_DISK_FULL);
      p += n;
      size -= n;
    }
    return true;
  }

  bool Flush(FileHandle file, std::string* error) override {
    return ::FlushFileBuffers(H(file)) ? true : Fail(error, ::GetLastError());
  }

  bool Close(FileHandle file, std::string* error) override {
    return ::CloseHandle(H(file)) ? true : Fail(error, ::GetLastError());
  }

  bool Replace(const fs::path& from, const fs::path& to, std::string* error) override {
    // Windows replaces no read-only file; POSIX systems do, and so do we.
    bool wasReadOnly = SetReadOnly(to, false);
    bool ok = Move(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, error);
    if (!ok && wasReadOnly) SetReadOnly(to, true);
    return ok;
  }

  bool RenameNew(const fs::path& from, const fs::path& to, std::string* error) override {
    return Move(from, to, MOVEFILE_WRITE_THROUGH, error);
  }

  bool Remove(const fs::path& path, std::string* error) override {
    // The entry itself is opened, looked at and deleted through the same handle, so what goes
    // is what was looked at. Wine deletes a Linux link's target, so such a link stays.
    HANDLE h =
        Open(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll, OPEN_EXISTING,
             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, error);
    if (h == INVALID_HANDLE_VALUE) return false;
    EntryType type = InfoOfHandle(h).type;
    const char* refused = type == EntryType::Folder ? "it is a folder"
                          : type == EntryType::Regular && ReachedThroughLink(h, path)
                              ? "it is a symbolic link this system cannot remove"
                              : nullptr;
    // Windows deletes no read-only file; POSIX systems do, and so do we.
    bool wasReadOnly = !refused && SetReadOnlyOf(h, false);
    FILE_DISPOSITION_INFO dispose{TRUE};
    bool ok =
        !refused && ::SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose);
    DWORD err = ::GetLastError();
    if (!ok && wasReadOnly) SetReadOnlyOf(h, true);
    ::CloseHandle(h);
    if (refused) return Fail(error, refused);
    return ok ? true : Fail(error, err);
  }

  bool CreateFolder(const fs::path& path, std::string* error) override {
    std::optional<std::wstring> name = WinPath(path, error);
    if (!name) return false;
    return ::CreateDirectoryW(name->c_str(), nullptr) ? true : Fail(error, ::GetLastError());
  }

  bool FlushFolder(const fs::path& folder) override {
    // Renames are written through already; this flushes what else the folder holds.
    HANDLE h = Open(folder, GENERIC_READ | GENERIC_WRITE, kShareAll, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = ::FlushFileBuffers(h);
    ::CloseHandle(h);
    return ok;
  }

  LockAttempt TryLock(const fs::path& mediaFolder, const fs::path& lockFile) override {
    // The lock file is opened without FILE_SHARE_DELETE: while it is open nobody can delete or
    // rename it, so the file locked is the one in the folder. The media folder is held open
    // the same way, so that it cannot be renamed away either.
    LockAttempt attempt;
    std::string cannot =
        "the lock file media/" + Utf8FromWide(lockFile.filename().native()) + " cannot be opened: ";
    std::string error;
    constexpr DWORD kShareNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE folder = Open(mediaFolder, GENERIC_READ, kShareNoDelete, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, &error);
    if (folder == INVALID_HANDLE_VALUE) {
      attempt.error = "the media folder cannot be opened: " + error;
      return attempt;
    }
    // Read access is enough for the lock, so a lock file that another user made read-only
    // serves everyone who may write the index; the holder's name is written when it can be.
    // The file is opened as it is, or made new: never created through a link.
    bool canWrite = true;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD err = 0;
    for (int tries = 0; file == INVALID_HANDLE_VALUE && tries < 3; ++tries) {
      canWrite = true;
      file = Open(lockFile, GENERIC_READ | GENERIC_WRITE, kShareNoDelete, OPEN_EXISTING,
                  FILE_FLAG_OPEN_REPARSE_POINT, &error);
      if (file == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED) {
        canWrite = false;
        file = Open(lockFile, GENERIC_READ, kShareNoDelete, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT, &error);
      }
      err = file == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
      if (err != ERROR_FILE_NOT_FOUND) break;
      canWrite = true;
      file = Open(lockFile, GENERIC_READ | GENERIC_WRITE, kShareNoDelete, CREATE_NEW,
                  FILE_FLAG_OPEN_REPARSE_POINT, &error);
      err = file == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
      // Made meanwhile by another process; or, under Wine, a Linux link to nothing.
      if (err == ERROR_FILE_EXISTS) error = "it is a symbolic link";
    }
    if (file == INVALID_HANDLE_VALUE) {
      ::CloseHandle(folder);
      if (err == ERROR_SHARING_VIOLATION) {
        // Another program has it open whole or is deleting it: not ours to take now.
        attempt.state = LockState::HeldByOther;
        return attempt;
      }
      DWORD attributes = ::GetFileAttributesW(WinPath(lockFile, nullptr).value_or(L"").c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        error = "it is a folder";
      attempt.error = cannot + error;
      return attempt;
    }
    EntryType type = InfoOfHandle(file).type;
    if (type != EntryType::Regular || ReachedThroughLink(file, lockFile)) {
      ::CloseHandle(file);
      ::CloseHandle(folder);
      attempt.error = cannot + (type == EntryType::Regular || type == EntryType::Link
                                    ? "it is a symbolic link"
                                    : "it is not a regular file");
      return attempt;
    }
    OVERLAPPED at = At(kLockFileByte);
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
      err = ::GetLastError();
      if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) {
        attempt.state = LockState::HeldByOther;
        attempt.holder = ReadHolder(file);
      } else {
        attempt.error = "the lock cannot be taken: " + Win32ErrorText(err);
      }
      ::CloseHandle(file);
      ::CloseHandle(folder);
      return attempt;
    }
    if (canWrite) WriteHolder(file);
    attempt.state = LockState::Locked;
    attempt.lock = std::make_unique<Win32Lock>(folder, file, canWrite);
    return attempt;
  }

  std::uint64_t ProcessId() override { return ::GetCurrentProcessId(); }

 private:
  bool Move(const fs::path& from, const fs::path& to, DWORD flags, std::string* error) {
    std::optional<std::wstring> source = WinPath(from, error);
    if (!source) return false;
    std::optional<std::wstring> target = WinPath(to, error);
    if (!target) return false;
    return ::MoveFileExW(source->c_str(), target->c_str(), flags) ? true
                                                                  : Fail(error, ::GetLastError());
  }
};

}  // namespace

Os& SystemOs() {
  static Win32Os os;
  return os;
}

// argv holds only what the ANSI code page can: the arguments come from the UTF-16 command line.
std::vector<std::string> ProgramArguments(int argc, char** argv) {
  std::vector<std::string> args = ArgumentsFromCommandLine(::GetCommandLineW());
  if (args.empty())  // no command line to read: what the C library made of it
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  args.erase(args.begin());
  return args;
}

fs::path PathFromArgument(std::string_view argument) { return PathFromUtf8(argument); }

std::optional<fs::path> PathFromEnvironment(const char* name) {
  std::wstring wide = WideFromUtf8(name);
  DWORD n = ::GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
  if (n <= 1) return std::nullopt;
  std::wstring value(n, L'\0');
  n = ::GetEnvironmentVariableW(wide.c_str(), value.data(), n);
  if (n == 0) return std::nullopt;
  value.resize(n);
  return fs::path(value);
}

fs::path UserSettingsFolder() {
  if (auto appData = PathFromEnvironment("APPDATA"); appData && appData->is_absolute())
    return *appData;
  // Not in the environment (a service, a stripped environment): where the system keeps it.
  wchar_t* known = nullptr;
  fs::path folder;
  if (::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known) == S_OK) folder = known;
  ::CoTaskMemFree(known);
  return folder.empty() ? fs::temp_directory_path() : folder;
}

}  // namespace qvm
