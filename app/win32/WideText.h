// Texts at the edge of the Win32 controls: the core's CP1252 bytes as UTF-16 and back. Every
// CP1252 byte has its own code point (the five undefined ones the C1 controls), so a text set
// on a control reads back byte for byte.
#pragma once

#include <string>
#include <string_view>

namespace qvm {

std::wstring WideFromCp1252(std::string_view cp1252);
// A character CP1252 cannot hold becomes "?".
std::string Cp1252FromWide(std::wstring_view wide);
// Copies `text` into a control's buffer of `capacity` characters, cut short to fit, ended by
// a zero; nothing for no buffer.
void CopyToBuffer(std::wstring_view text, wchar_t* to, int capacity);

}  // namespace qvm
