// Paths, opening and looking at open files on Windows: Unicode (W) calls only, every handle
// binary and not inherited by child processes.
#include "platform/Win32Files.h"

#include <cwctype>

#include "platform/Win32Text.h"

namespace qvm::win32 {
namespace fs = std::filesystem;
namespace {

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

std::int64_t NanosecondsSince1970(LARGE_INTEGER time) {
  // FILETIME counts 100 ns from 1601.
  return (time.QuadPart - 116444736000000000LL) * 100;
}

}  // namespace

bool Fail(std::string* error, DWORD err) {
  if (error) *error = Win32ErrorText(err);
  return false;
}

bool Fail(std::string* error, const char* text) {
  if (error) *error = text;
  return false;
}

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

EntryInfo InfoOfHandle(HANDLE h) {
  EntryInfo info;
  if (::GetFileType(h) != FILE_TYPE_DISK) {
    info.type = EntryType::Other;  // a pipe, a console, a device
    return info;
  }
  FILE_BASIC_INFO basic{};
  if (!::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) return info;
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
    ::GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag);
  info.type = TypeOf(basic.FileAttributes, tag.ReparseTag);
  info.modified = NanosecondsSince1970(basic.LastWriteTime);
  FILE_STANDARD_INFO standard{};
  if (info.type == EntryType::Regular &&
      ::GetFileInformationByHandleEx(h, FileStandardInfo, &standard, sizeof standard))
    info.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
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

FileHandle OpenRegular(const fs::path& path, DWORD access, bool followLinks, std::string* error,
                       EntryInfo* opened) {
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
  const EntryInfo info = InfoOfHandle(h);
  EntryType type = info.type;
  if (type == EntryType::Regular && !followLinks && ReachedThroughLink(h, path))
    type = EntryType::Link;
  if (type == EntryType::Regular) {
    if (opened) *opened = info;
    return F(h);
  }
  ::CloseHandle(h);
  Fail(error, type == EntryType::Link ? "it is a symbolic link" : "it is not a regular file");
  return kNoFile;
}

}  // namespace qvm::win32
