// The user's hand on Win32 controls in tests: mouse and key messages sent as the system would
// send them, so that the controls' own handling and their notifications run.
#pragma once

#include "app/win32/Win32Api.h"

namespace qvm::test {

enum class Keys { None, Ctrl, Shift };

// A click (or a double-click) in a window's client area; the modifier rides in wParam, as the
// controls read it from there.
void Click(HWND window, POINT at, Keys keys = Keys::None);
void DoubleClick(HWND window, POINT at);
// The middle of a list box's item.
POINT ListItemCenter(HWND list, int index);
// A key pressed (`repeats` more times while held) and released, with the focus on `window`.
void PressKey(HWND window, UINT key, int repeats = 0);
// Handles every message waiting for this thread.
void Pump();

}  // namespace qvm::test
