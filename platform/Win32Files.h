// The file calls that Win32Os.cpp and Win32Lock.cpp share (Windows builds only): paths as the
// W calls take them, opening, and what an open handle is.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/Os.h"

namespace qvm::win32 {

// What a stranger may do with a file while we have it open: read, write and delete or rename
// it, as on POSIX systems. Only the lock file keeps others from deleting it.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Set `error` (when given) to the text of `err`, or to `text`; false.
bool Fail(std::string* error, DWORD err);
bool Fail(std::string* error, const char* text);

inline HANDLE H(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
inline FileHandle F(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }

// The path as the W calls take it, or nothing (with the reason) when a name in it would be
// read as something else: a device name ("NUL", "com1.jpg" in any folder), a ":" (a stream of
// another file), a control or wildcard character, a trailing dot or space. Paths of 248
// characters or more are given in the \\?\ form, beyond MAX_PATH.
std::optional<std::wstring> WinPath(const std::filesystem::path& path, std::string* error);

// CreateFileW on WinPath(path); the handle is not inherited. On failure the last error stays
// set for the caller to tell cases apart.
HANDLE Open(const std::filesystem::path& path, DWORD access, DWORD share, DWORD disposition,
            DWORD flags, std::string* error);

// The type of an entry by its attributes: a reparse point that stands for another name
// (symbolic link, junction) is a Link.
EntryType TypeOf(DWORD attributes, DWORD reparseTag);

// What the open handle is. The volume is never asked about: under Wine that is a round trip to
// another process, for each file.
EntryInfo InfoOfHandle(HANDLE h);

// Whether the open file is something other than the entry `path` names: reached through a
// link in its last step that the system did not show as a reparse point (Wine follows Unix
// symbolic links). False when the system cannot tell.
bool ReachedThroughLink(HANDLE file, const std::filesystem::path& path);

// The final path of the open handle as the system spells it (\\?\ form); none on failure.
std::optional<std::wstring> FinalPath(HANDLE h);

// Opens an existing file for `access`, keeping it only when it is a regular file; a link is
// followed only when `followLinks`. `opened`, when given, receives what the file is.
FileHandle OpenRegular(const std::filesystem::path& path, DWORD access, bool followLinks,
                       std::string* error, EntryInfo* opened = nullptr);

// Takes the game's lock (Os::TryLock).
LockAttempt TryLockGame(const std::filesystem::path& mediaFolder,
                        const std::filesystem::path& lockFile);

}  // namespace qvm::win32
