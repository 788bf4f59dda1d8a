// The operating system on Windows: Unicode (W) calls only, every handle binary and not
// inherited by child processes.
//
// Where Windows differs from the promises of Os.h, this file and Win32Files.cpp close the gap:
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

#include "platform/Os.h"
#include "platform/PathText.h"
#include "platform/Win32Files.h"
#include "platform/Win32Text.h"

namespace qvm {
namespace fs = std::filesystem;
namespace {

using win32::F;
using win32::Fail;
using win32::FinalPath;
using win32::H;
using win32::InfoOfHandle;
using win32::kShareAll;
using win32::Open;
using win32::ReachedThroughLink;
using win32::WinPath;

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

  bool FindsNamesInAnyCase() const override { return true; }
  bool OpensAreSlow() const override { return true; }

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
      entries.push_back({fs::path(std::wstring(entry)),
                         win32::TypeOf(found.dwFileAttributes, found.dwReserved0)});
    } while (::FindNextFileW(find, &found));
    DWORD err = ::GetLastError();
    ::FindClose(find);
    return err == ERROR_NO_MORE_FILES ? true : Fail(error, err);
  }

  FileHandle OpenForReading(const fs::path& path, std::string* error) override {
    return win32::OpenRegular(path, GENERIC_READ, true, error);
  }

  FileHandle OpenForReadingWithInfo(const fs::path& path, EntryInfo& opened,
                                    std::string* error) override {
    return win32::OpenRegular(path, GENERIC_READ, true, error, &opened);
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
    return win32::OpenRegular(path, FILE_APPEND_DATA, false, error);
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
    return win32::TryLockGame(mediaFolder, lockFile);
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
