// The message boxes and the open-file dialog of the window, on the system's own dialogs. Tests
// answer them from a script instead (one per process, as the window tests need).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/win32/Win32Api.h"
#include "platform/Controls.h"

namespace qvm {

// MessageBoxW with no owner and the program title as caption (afterwards the window that had the
// keyboard is active again, the focus where it was); OK only: MB_OK | MB_TASKMODAL |
// MB_SETFOREGROUND. A question adds Yes/No, the exclamation icon and No as default.
class Win32MessageBox : public MessageBox {
 public:
  using Script = std::function<MessageAnswer(std::string_view text, const MessageStyle& style)>;
  static void SetScript(Script script);
  static UINT StyleFlags(const MessageStyle& style);

  MessageAnswer Show(std::string_view text, const MessageStyle& style = {}) override;
};

// GetOpenFileNameW: Explorer style, several files, files must exist, read-only box hidden, no
// network button, the working folder kept; the request's title, start folder, filters and
// file name; an answer of up to 32768 characters.
class Win32FileDialog : public FileDialog {
 public:
  using Script = std::function<std::optional<FileChoice>(const OpenFileRequest& request)>;
  static void SetScript(Script script);

  explicit Win32FileDialog(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  std::optional<FileChoice> ChooseImageFiles(const OpenFileRequest& request) override;

  // The dialog's answer (the folder and the names after it, or one full path, NUL-separated
  // and ended by two NULs) as a choice; none when it names no file.
  static std::optional<FileChoice> ChoiceFromAnswer(std::wstring_view answer);

 private:
  HWND owner_;
};

}  // namespace qvm
