// An in-memory dialog template (DLGTEMPLATEEX) without items: the controls are created on the
// dialog afterwards, in the layout's order.
#pragma once

#include <string_view>
#include <vector>

#include "app/win32/Win32Api.h"

namespace qvm {

struct DialogSpec {
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;  // dialog units
  std::wstring_view title;
  WORD pointSize;  // with DS_SETFONT
  std::wstring_view typeface;
};

// The template's bytes, DWORD-aligned as CreateDialogIndirectParamW wants them.
std::vector<DWORD> DialogTemplate(const DialogSpec& spec);

}  // namespace qvm
