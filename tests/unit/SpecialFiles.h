// FIFOs and symbolic links for tests, where the system can have them. On Windows a symbolic
// link needs a privilege (or developer mode) and there are no FIFOs; under Wine both are made
// on the Linux side by running ln and mkfifo, since Wine shows the Linux file system.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "platform/Win32Text.h"
#else
#include <sys/stat.h>
#endif

namespace qvm::test {

#ifdef _WIN32
// How many FIFOs and links the Linux side has made: std::filesystem::remove_all never returns
// from a folder with a FIFO under Wine, so a TempFolder that saw this change has Linux
// remove it.
inline int madeOnLinux = 0;

inline bool UnderWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// The Linux path of a Windows path under Wine; empty elsewhere.
inline std::string UnixPath(const std::filesystem::path& path) {
  using ToUnix = char*(__cdecl*)(const wchar_t*);
  auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix = toUnix ? toUnix(std::filesystem::absolute(path).c_str()) : nullptr;
  std::string result = unix ? unix : "";
  if (unix) ::HeapFree(::GetProcessHeap(), 0, unix);
  return result;
}

// Runs a Linux shell command under Wine; true when it succeeded. Wine starts a Linux program
// but gives no handle to wait on, so the shell leaves its exit status in a file.
inline bool RunUnix(const std::string& command) {
  static int count = 0;
  std::filesystem::path status =
      std::filesystem::temp_directory_path() /
      ("qvm-unix-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++count));
  std::string statusPath = UnixPath(status);
  if (statusPath.empty()) return false;
  std::wstring line = WideFromUtf8("/bin/sh -c \"" + command + "; echo $? >'" + statusPath + "'\"");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return false;
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  for (int waited = 0; waited < 20000; waited += 5) {
    std::ifstream in(status, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    if (text.ends_with('\n')) {
      in.close();
      std::filesystem::remove(status);
      return text == "0\n";
    }
    ::Sleep(5);
  }
  return false;
}

// 'path' for the shell.
inline std::string Quoted(const std::string& path) { return "'" + path + "'"; }
#endif

// Makes a FIFO at `path`; false where the system cannot.
inline bool MakeFifo(const std::filesystem::path& path) {
#ifdef _WIN32
  return UnderWine() && RunUnix("mkfifo " + Quoted(UnixPath(path))) && ++madeOnLinux;
#else
  return ::mkfifo(path.c_str(), 0644) == 0;
#endif
}

// Makes `link` a symbolic link to `target` (which need not exist); false where the system
// cannot.
inline bool MakeSymlink(const std::filesystem::path& target, const std::filesystem::path& link) {
#ifdef _WIN32
  if (UnderWine())
    return RunUnix("ln -s " + Quoted(UnixPath(target)) + " " + Quoted(UnixPath(link))) &&
           ++madeOnLinux;
  // A system may answer success without making anything (Wine 8 does): look for the link.
  ::CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  DWORD attributes = ::GetFileAttributesW(link.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
  std::error_code ec;
  std::filesystem::create_symlink(target, link, ec);
  return !ec;
#endif
}

// Why MakeFifo or MakeSymlink made nothing.
inline const char* CannotMake(const std::string& kind) {
  if (kind == "fifo") return "Windows has no FIFOs";
  return "symbolic links need a privilege or developer mode on this Windows";
}

}  // namespace qvm::test
