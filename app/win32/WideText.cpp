#include "app/win32/WideText.h"

#include <algorithm>
#include <array>

#include "platform/Cp1252.h"

namespace qvm {
namespace {

// Code point -> byte for the 32 bytes 0x80-0x9F, whose characters lie above U+00FF.
struct HighTable {
  std::array<wchar_t, 32> points{};
  HighTable() {
    for (int b = 0x80; b < 0xA0; ++b)
      points[static_cast<std::size_t>(b - 0x80)] =
          static_cast<wchar_t>(CodePointOfCp1252(static_cast<unsigned char>(b)));
  }
};

}  // namespace

std::wstring WideFromCp1252(std::string_view cp1252) {
  std::wstring wide;
  wide.reserve(cp1252.size());
  for (char c : cp1252)
    wide.push_back(static_cast<wchar_t>(CodePointOfCp1252(static_cast<unsigned char>(c))));
  return wide;
}

std::string Cp1252FromWide(std::wstring_view wide) {
  static const HighTable high;
  std::string text;
  text.reserve(wide.size());
  for (wchar_t c : wide) {
    char byte = '?';
    for (std::size_t i = 0; i < high.points.size(); ++i)
      if (high.points[i] == c) byte = static_cast<char>(0x80 + i);
    // Below 0x80 and from 0xA0 to 0xFF the byte is the code point.
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) byte = static_cast<char>(c);
    text.push_back(byte);
  }
  return text;
}

void CopyToBuffer(std::wstring_view text, wchar_t* to, int capacity) {
  if (!to || capacity <= 0) return;
  const std::size_t count =
      std::min<std::size_t>(text.size(), static_cast<std::size_t>(capacity) - 1);
  std::copy_n(text.begin(), count, to);
  to[count] = L'\0';
}

}  // namespace qvm
