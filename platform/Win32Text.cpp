#include "platform/Win32Text.h"

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

namespace qvm {

std::wstring WideFromUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  int size = static_cast<int>(utf8.size());
  int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
  return wide;
}

std::string Utf8FromWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  int size = static_cast<int>(wide.size());
  int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

std::vector<std::string> ArgumentsFromCommandLine(const wchar_t* commandLine) {
  int count = 0;
  wchar_t** args = ::CommandLineToArgvW(commandLine, &count);
  if (!args) return {};
  std::vector<std::string> result;
  for (int i = 0; i < count; ++i) result.push_back(Utf8FromWide(args[i]));
  ::LocalFree(args);
  return result;
}

std::size_t WholeUtf8Length(std::string_view utf8) {
  // Looks back over at most three continuation bytes for the lead byte of the last character.
  std::size_t size = utf8.size();
  for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
    unsigned char c = static_cast<unsigned char>(utf8[size - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte
    std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return length > back && c >= 0xC0 && c < 0xF8 ? size - back : size;
  }
  return size;
}

std::string Win32ErrorText(unsigned long error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return "No such file or directory";
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
      return "Permission denied";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return "File exists";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "No space left on device";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return "File in use by another program";
    case ERROR_DIRECTORY:
      return "Not a directory";
    case ERROR_DIR_NOT_EMPTY:
      return "Directory not empty";
    case ERROR_NOT_SAME_DEVICE:
      return "Invalid cross-device link";
    case ERROR_WRITE_PROTECT:
      return "Read-only file system";
    case ERROR_FILENAME_EXCED_RANGE:
      return "File name too long";
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      return "Invalid file name";
    case ERROR_INVALID_HANDLE:
      return "Bad file descriptor";
    case ERROR_TOO_MANY_OPEN_FILES:
      return "Too many open files";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return "Cannot allocate memory";
    case ERROR_CANT_RESOLVE_FILENAME:
      return "Too many levels of symbolic links";
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
      return "Input/output error";
    default:
      break;
  }
  wchar_t* text = nullptr;
  DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  DWORD n = ::FormatMessageW(flags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                             reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (n == 0)  // no English texts installed: the system's own language
    n = ::FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = n ? std::wstring(text, n) : std::wstring();
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L' ' || message.back() == L'.'))
    message.pop_back();
  if (message.empty()) return "Windows error " + std::to_string(error);
  return Utf8FromWide(message);
}

}  // namespace qvm
