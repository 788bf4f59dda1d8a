#include "app/win32/UndoCommands.h"

#include <string>

#include "app/UndoRedo.h"
#include "app/win32/WideText.h"

namespace qvm {
namespace {

// An edit control that takes typing: it undoes its own text.
bool IsEditableField(HWND window) {
  wchar_t name[16] = {};
  if (!window || !::GetClassNameW(window, name, 16) || ::lstrcmpiW(name, L"Edit") != 0)
    return false;
  return (::GetWindowLongW(window, GWL_STYLE) & ES_READONLY) == 0;
}

bool Down(int key) { return ::GetKeyState(key) < 0; }

// Menu identifiers of the entries: the command, above the other menus' identifiers.
constexpr UINT kEntryBase = 0x100;

}  // namespace

bool OnUndoKey(Wizard& w, const MSG& message) {
  if (message.message != WM_KEYDOWN || message.wParam < 'A' || message.wParam > 'Z') return false;
  const EditCommand command = EditCommandFor(static_cast<char>(message.wParam), Down(VK_CONTROL),
                                             Down(VK_SHIFT), Down(VK_MENU));
  if (command == EditCommand::None || IsEditableField(::GetFocus())) return false;
  RunEditCommand(w, command);
  return true;
}

void AppendUndoEntries(HMENU menu, const Wizard& w) {
  const struct {
    EditCommand command;
    std::string text;
    const wchar_t* keys;
    bool enabled;
  } entries[] = {
      {EditCommand::Undo, UndoEntryText(w), L"\tCtrl+Z", w.undo.CanUndo()},
      {EditCommand::Redo, RedoEntryText(w), L"\tCtrl+Y", w.undo.CanRedo()},
  };
  for (const auto& entry : entries) {
    const std::wstring text = WideFromCp1252(entry.text) + entry.keys;
    ::AppendMenuW(menu, MF_STRING | (entry.enabled ? MF_ENABLED : MF_GRAYED),
                  kEntryBase + static_cast<UINT_PTR>(entry.command), text.c_str());
  }
}

bool RunUndoEntry(Wizard& w, UINT chosen) {
  if (chosen != kEntryBase + static_cast<UINT>(EditCommand::Undo) &&
      chosen != kEntryBase + static_cast<UINT>(EditCommand::Redo))
    return false;
  RunEditCommand(w, static_cast<EditCommand>(chosen - kEntryBase));
  return true;
}

}  // namespace qvm
