#include "tests/unit/SpecialFiles.h"

#ifdef _WIN32
#include <windows.h>

#include <fstream>
#include <iterator>

#include "platform/PathText.h"
#include "platform/Win32Text.h"
#else
#include <sys/stat.h>
#endif

namespace qvm::test {
namespace fs = std::filesystem;

#ifdef _WIN32
namespace {
int madeOnLinux = 0;
}

int MadeOnLinux() { return madeOnLinux; }

bool UnderWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::string UnixPath(const fs::path& path) {
  using ToUnix = char*(__cdecl*)(const wchar_t*);
  auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix = toUnix ? toUnix(fs::absolute(path).c_str()) : nullptr;
  std::string result = unix ? unix : "";
  if (unix) ::HeapFree(::GetProcessHeap(), 0, unix);
  return result;
}

// Wine starts a Linux program but gives no handle to wait on, so the shell leaves its exit
// status in a file.
bool RunUnix(const std::string& command) {
  static int count = 0;
  fs::path status =
      fs::temp_directory_path() /
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
  for (int waited = 0; waited < 60000; waited += 5) {
    std::ifstream in(status, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    if (text.ends_with('\n')) {
      in.close();
      fs::remove(status);
      return text == "0\n";
    }
    ::Sleep(5);
  }
  return false;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

bool MakeFifo(const fs::path& path) {
  return UnderWine() && RunUnix("mkfifo " + Quoted(UnixPath(path))) && ++madeOnLinux;
}

bool MakeSymlink(const fs::path& target, const fs::path& link) {
  if (UnderWine()) {
    std::string to =
        target.is_absolute() ? UnixPath(target) : Utf8FromPath(target.generic_wstring());
    return RunUnix("ln -s " + Quoted(to) + " " + Quoted(UnixPath(link))) && ++madeOnLinux;
  }
  // A system may answer success without making anything (Wine 8 does): look for the link.
  ::CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  DWORD attributes = ::GetFileAttributesW(link.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
#else
bool UnderWine() { return false; }

bool MakeFifo(const fs::path& path) { return ::mkfifo(path.c_str(), 0644) == 0; }

bool MakeSymlink(const fs::path& target, const fs::path& link) {
  std::error_code ec;
  fs::create_symlink(target, link, ec);
  return !ec;
}
#endif

const char* CannotMake(const std::string& kind) {
  if (kind == "fifo") return "Windows has no FIFOs";
  return "symbolic links need a privilege or developer mode on this Windows";
}

}  // namespace qvm::test
