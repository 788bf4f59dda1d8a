#include "app/win32/Win32Dialogs.h"

#include <commdlg.h>

#include <filesystem>
#include <vector>

#include "app/Startup.h"
#include "app/win32/WideText.h"

namespace qvm {
namespace {

Win32MessageBox::Script& MessageScript() {
  static Win32MessageBox::Script script;
  return script;
}

Win32FileDialog::Script& DialogScript() {
  static Win32FileDialog::Script script;
  return script;
}

constexpr std::size_t kAnswerChars = 32768;

// The shell's dialogs take a folder as users write it, without the long-path prefix.
std::wstring PlainFolder(const std::filesystem::path& folder) {
  std::wstring text = folder.wstring();
  if (text.starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + text.substr(8);
  if (text.starts_with(L"\\\\?\\")) return text.substr(4);
  return text;
}

}  // namespace

void Win32MessageBox::SetScript(Script script) { MessageScript() = std::move(script); }

UINT Win32MessageBox::StyleFlags(const MessageStyle& style) {
  // Questions are task-modal too: the window must take no click (Exit, say) while the list
  // that asked is still inside its key handling.
  UINT flags = MB_TASKMODAL | MB_SETFOREGROUND;
  flags |= style.yesNo ? MB_YESNO : MB_OK;
  if (style.exclamation) flags |= MB_ICONEXCLAMATION;
  if (style.yesNo && style.defaultNo) flags |= MB_DEFBUTTON2;
  return flags;
}

namespace {

// The window that had the keyboard is active again afterwards, with the focus where it was: a
// message box without an owner otherwise leaves the keyboard nowhere on some systems until
// the window is clicked.
class KeepFocus {
 public:
  KeepFocus() : focus_(::GetFocus()), active_(::GetActiveWindow()) {}
  ~KeepFocus() {
    if (active_ && ::IsWindow(active_)) {
      ::SetForegroundWindow(active_);
      ::SetActiveWindow(active_);
    }
    if (focus_ && ::IsWindow(focus_)) ::SetFocus(focus_);
  }
  KeepFocus(const KeepFocus&) = delete;
  KeepFocus& operator=(const KeepFocus&) = delete;

 private:
  HWND focus_;
  HWND active_;
};

}  // namespace

MessageAnswer Win32MessageBox::Show(std::string_view text, const MessageStyle& style) {
  const KeepFocus keep;
  if (MessageScript()) return MessageScript()(text, style);
  const int answer = ::MessageBoxW(nullptr, WideFromCp1252(text).c_str(),
                                   WideFromCp1252(ProgramTitle()).c_str(), StyleFlags(style));
  if (!style.yesNo) return MessageAnswer::Ok;
  return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

void Win32FileDialog::SetScript(Script script) { DialogScript() = std::move(script); }

std::optional<FileChoice> Win32FileDialog::ChoiceFromAnswer(std::wstring_view answer) {
  std::vector<std::wstring_view> fields;
  while (!answer.empty() && answer.front() != L'\0') {
    const std::size_t end = answer.find(L'\0');
    fields.push_back(answer.substr(0, end));
    if (end == std::wstring_view::npos) break;
    answer.remove_prefix(end + 1);
  }
  if (fields.empty()) return std::nullopt;
  FileChoice choice;
  if (fields.size() == 1) {
    const std::filesystem::path full{std::wstring(fields.front())};
    choice.sourceFolder = full.parent_path();
    choice.names.push_back(full.filename());
  } else {
    choice.sourceFolder = std::filesystem::path{std::wstring(fields.front())};
    for (std::size_t i = 1; i < fields.size(); ++i)
      choice.names.emplace_back(std::wstring(fields[i]));
  }
  return choice;
}

std::optional<FileChoice> Win32FileDialog::ChooseImageFiles(const OpenFileRequest& request) {
  if (DialogScript()) return DialogScript()(request);
  // "Jpegs\0*.JP*\0Bitmaps\0*.BMP\0\0"
  std::wstring filter;
  for (const auto& [description, pattern] : request.filters) {
    filter += WideFromCp1252(description);
    filter += L'\0';
    filter += WideFromCp1252(pattern);
    filter += L'\0';
  }
  filter += L'\0';
  std::wstring answer(kAnswerChars, L'\0');
  const std::wstring initial = WideFromCp1252(request.initialName);
  answer.replace(0, initial.size(), initial);
  const std::wstring title = WideFromCp1252(request.title);
  const std::wstring folder = PlainFolder(request.startFolder);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = answer.data();
  ofn.nMaxFile = static_cast<DWORD>(answer.size());
  ofn.lpstrInitialDir = folder.c_str();
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = L"JPG";
  ofn.Flags =
      OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_NONETWORKBUTTON | OFN_EXPLORER | OFN_LONGNAMES;
  if (request.multiSelect) ofn.Flags |= OFN_ALLOWMULTISELECT;
  if (request.mustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
  // Cancelled, or an answer longer than the buffer: nothing is attached.
  if (!::GetOpenFileNameW(&ofn)) return std::nullopt;
  return ChoiceFromAnswer(answer);
}

}  // namespace qvm
