#include "platform/Cp1252.h"

#include <array>

namespace qvm {
namespace {

// 0x80..0x9F; the undefined bytes 81 8D 8F 90 9D keep their C1 code points, as Windows does.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct CaseTables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
  constexpr CaseTables() {
    for (int i = 0; i < 256; ++i) upper[i] = lower[i] = static_cast<unsigned char>(i);
    auto pair = [this](int up, int low) {
      upper[low] = static_cast<unsigned char>(up);
      lower[up] = static_cast<unsigned char>(low);
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c) {
      if (c != 0xD7) pair(c, c + 32);  // x multiplication sign has no case
    }
    pair(0x8A, 0x9A);  // S caron
    pair(0x8C, 0x9C);  // OE
    pair(0x8E, 0x9E);  // Z caron
    pair(0x9F, 0xFF);  // Y diaeresis
  }
};
constexpr CaseTables kCase;

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::optional<unsigned char> ByteOfCodePoint(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == cp) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

}  // namespace

unsigned char UpperCp1252(unsigned char c) { return kCase.upper[c]; }
unsigned char LowerCp1252(unsigned char c) { return kCase.lower[c]; }

std::string UpperCp1252(std::string_view text) {
  std::string out(text);
  for (char& ch : out) ch = static_cast<char>(kCase.upper[static_cast<unsigned char>(ch)]);
  return out;
}

std::string LowerCp1252(std::string_view text) {
  std::string out(text);
  for (char& ch : out) ch = static_cast<char>(kCase.lower[static_cast<unsigned char>(ch)]);
  return out;
}

bool EqualIgnoringCaseCp1252(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (kCase.upper[static_cast<unsigned char>(a[i])] !=
        kCase.upper[static_cast<unsigned char>(b[i])])
      return false;
  }
  return true;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

char32_t CodePointOfCp1252(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return kHigh[c - 0x80];
  return c;
}

std::string Utf8FromCp1252(std::string_view text) {
  // ASCII, the usual case, is copied as it is.
  std::size_t ascii = 0;
  while (ascii < text.size() && static_cast<unsigned char>(text[ascii]) < 0x80) ++ascii;
  std::string out(text.substr(0, ascii));
  if (ascii == text.size()) return out;
  out.reserve(text.size() + text.size() / 4);
  for (char ch : text.substr(ascii))
    AppendUtf8(out, CodePointOfCp1252(static_cast<unsigned char>(ch)));
  return out;
}

namespace {

// The character at `i` of `utf8` and its length in bytes; false for bytes that are no UTF-8
// (overlong forms included: they would let two spellings reach one name).
bool DecodeUtf8(std::string_view utf8, size_t i, char32_t& cp, size_t& len) {
  unsigned char b = static_cast<unsigned char>(utf8[i]);
  if (b < 0x80) {
    cp = b;
    len = 1;
  } else if ((b & 0xE0) == 0xC0) {
    cp = b & 0x1F;
    len = 2;
  } else if ((b & 0xF0) == 0xE0) {
    cp = b & 0x0F;
    len = 3;
  } else if ((b & 0xF8) == 0xF0) {
    cp = b & 0x07;
    len = 4;
  } else {
    return false;
  }
  if (i + len > utf8.size()) return false;
  for (size_t k = 1; k < len; ++k) {
    unsigned char cont = static_cast<unsigned char>(utf8[i + k]);
    if ((cont & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (cont & 0x3F);
  }
  return !((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000));
}

void AppendHex(std::string& out, unsigned char b) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[b >> 4];
  out += kHex[b & 15];
}

}  // namespace

std::optional<std::string> Cp1252FromUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp;
    size_t len;
    if (!DecodeUtf8(utf8, i, cp, len)) return std::nullopt;
    auto byte = ByteOfCodePoint(cp);
    if (!byte) return std::nullopt;
    out += static_cast<char>(*byte);
    i += len;
  }
  return out;
}

std::string EscapeControls(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size());
  for (char ch : cp1252) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) {
      AppendHex(out, c);
    } else {
      out += ch;
    }
  }
  return out;
}

std::string ShownUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    char32_t cp;
    size_t len;
    if (!DecodeUtf8(text, i, cp, len) || cp < 0x20 || cp == 0x7F) {
      AppendHex(out, static_cast<unsigned char>(text[i++]));
      continue;
    }
    out.append(text, i, len);
    i += len;
  }
  return out;
}

std::string ShownFileName(std::string_view name, bool escapeForeign) {
  std::string out;
  out.reserve(name.size());
  size_t i = 0;
  while (i < name.size()) {
    char32_t cp;
    size_t len;
    if (!DecodeUtf8(name, i, cp, len)) {
      AppendHex(out, static_cast<unsigned char>(name[i++]));  // one byte; the next one counts again
      continue;
    }
    auto byte = ByteOfCodePoint(cp);
    if (byte && *byte >= 0x20 && *byte != 0x7F) {
      out += static_cast<char>(*byte);
    } else if (byte || escapeForeign) {
      for (size_t k = 0; k < len; ++k) AppendHex(out, static_cast<unsigned char>(name[i + k]));
    } else {
      out += '?';
    }
    i += len;
  }
  return out;
}

}  // namespace qvm
