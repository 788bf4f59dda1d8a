// The game's lock on Windows: LockFileEx on one byte of the lock file, held open without delete
// sharing, with the media folder held open too; the holder writes its name into the file.
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/Win32Files.h"
#include "platform/Win32Text.h"

namespace qvm::win32 {
namespace fs = std::filesystem;
namespace {

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

}  // namespace

LockAttempt TryLockGame(const fs::path& mediaFolder, const fs::path& lockFile) {
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

}  // namespace qvm::win32
