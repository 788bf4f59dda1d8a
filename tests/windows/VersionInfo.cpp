// Prints what Explorer's file properties show of a program, read as Explorer reads it: the
// version numbers and the texts of its version resource, in its first language.
//   qvm-version-info PROGRAM.exe
#include <windows.h>
#include <winver.h>

#include <cstdio>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  DWORD unused = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(argv[1], &unused);
  std::vector<unsigned char> data(size);
  if (size == 0 || !::GetFileVersionInfoW(argv[1], 0, size, data.data())) {
    std::printf("no version resource\n");
    return 1;
  }
  void* value = nullptr;
  UINT length = 0;
  if (::VerQueryValueW(data.data(), L"\\", &value, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    std::printf("file version %u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS),
                LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                LOWORD(fixed->dwFileVersionLS));
    std::printf("product version %u.%u.%u.%u\n", HIWORD(fixed->dwProductVersionMS),
                LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
                LOWORD(fixed->dwProductVersionLS));
  }
  if (!::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
      length < 2 * sizeof(WORD)) {
    std::printf("no language\n");
    return 1;
  }
  const WORD* language = static_cast<const WORD*>(value);
  for (const wchar_t* name : {L"FileDescription", L"FileVersion", L"ProductName",
                              L"ProductVersion", L"OriginalFilename"}) {
    wchar_t path[80];
    std::swprintf(path, 80, L"\\StringFileInfo\\%04x%04x\\%ls", language[0], language[1], name);
    if (::VerQueryValueW(data.data(), path, &value, &length) && length > 0)
      std::printf("%ls: %ls\n", name, static_cast<const wchar_t*>(value));
  }
  return 0;
}
