// qvm-image-wizard.exe [GAME_FOLDER | --choose-folder]: opens the wizard on the game folder
// (default: the current one). --choose-folder, for a shortcut, takes the folder remembered from
// the last run or asks for one.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/Launcher.h"
#include "app/Startup.h"
#include "app/win32/MainDialog.h"
#include "app/win32/WideText.h"
#include "app/win32/Win32Api.h"
#include "app/win32/Win32Dialogs.h"
#include "platform/PathText.h"

namespace {

// Text for whoever started the program from a console; a program of the windows subsystem
// has none of its own.
void Print(const std::string& text, bool error) {
  HANDLE out = ::GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (!out || out == INVALID_HANDLE_VALUE) {
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;
    out = ::GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  }
  DWORD written = 0;
  ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::optional<std::filesystem::path> AskForGameFolder() {
  BROWSEINFOW browse{};
  browse.lpszTitle = L"Choose the main folder of QVM 7 SE (the one holding qvm.vrs)";
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&browse);
  if (!chosen) return std::nullopt;
  std::wstring path(MAX_PATH * 4, L'\0');
  const bool named = ::SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()),
                                             GPFIDL_DEFAULT) != FALSE;
  ::CoTaskMemFree(chosen);
  if (!named) return std::nullopt;
  path.resize(path.find(L'\0'));
  return std::filesystem::path(path);
}

double Milliseconds(LARGE_INTEGER from) {
  LARGE_INTEGER now, frequency;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - from.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  LARGE_INTEGER started;
  ::QueryPerformanceCounter(&started);
  // The shell's folder dialog wants a single-threaded apartment.
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_INTERNET_CLASSES};
  ::InitCommonControlsEx(&controls);
  qvm::Win32MessageBox messages;

  qvm::Os& os = qvm::SystemOs();
  const qvm::WindowStart start =
      qvm::StartWindow(os, qvm::ProgramArguments(0, nullptr), messages, AskForGameFolder);
  if (start.exitStatus) {
    Print(start.output, *start.exitStatus != 0);
    return *start.exitStatus;
  }
  const std::filesystem::path& folder = start.folder;

  // For the benchmark (scripts/run-bench): with QVM_EXIT_AFTER_FIRST_PAINT set, the process
  // says when the window has painted for the first time and ends right there, unsaved.
  const bool exitAfterFirstPaint =
      ::GetEnvironmentVariableW(L"QVM_EXIT_AFTER_FIRST_PAINT", nullptr, 0) > 0;
  // The window is made while the game loads, and shown once it has.
  return qvm::RunWizard(os, folder, messages, [&] {
    return qvm::MakeMainWindow(os, [&](qvm::MainDialog& window) {
      if (exitAfterFirstPaint)
        window.SetFirstPaintHook([&] {
          char line[80];
          std::snprintf(line, sizeof line, "first paint %.1f ms after main started\n",
                        Milliseconds(started));
          Print(line, false);
          std::_Exit(0);
        });
      window.Run();
    });
  });
}
