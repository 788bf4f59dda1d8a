// Windows-1252, the code page of the game's files and of media/index.dat. Texts stay CP1252
// bytes inside the core; they become UTF-8 only at the screen, the console and the file system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qvm {

// Case mappings as Windows applies them to CP1252 (A-Z, the accented letters, S/Z caron,
// OE, Y diaeresis). Other bytes map to themselves.
unsigned char UpperCp1252(unsigned char c);
unsigned char LowerCp1252(unsigned char c);
std::string UpperCp1252(std::string_view text);
std::string LowerCp1252(std::string_view text);

// Whole texts equal after upper-casing both with the CP1252 mapping.
bool EqualIgnoringCaseCp1252(std::string_view a, std::string_view b);

// Folds only ASCII a-z; every other byte compares by value.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

std::string Utf8FromCp1252(std::string_view text);
// Empty optional when the UTF-8 is malformed or holds a character CP1252 cannot hold.
std::optional<std::string> Cp1252FromUtf8(std::string_view utf8);

// The text with its control characters (TAB and line ends included) written as \xHH, so that a
// name never breaks a line of output or of a message.
std::string EscapeControls(std::string_view cp1252);

// A file name as the system spells it (UTF-8 text, or any bytes on POSIX) as CP1252 text for a
// message or a line of output: characters CP1252 holds stay; control characters and bytes that
// are no UTF-8 become \xHH ("caf\xE9.jpg"); other characters become "?", or with
// `escapeForeign` the \xHH of each of their bytes.
std::string ShownFileName(std::string_view name, bool escapeForeign = false);

// UTF-8 text as given (an argument, say) made safe for one line of a UTF-8 console: valid
// characters stay, control characters and bytes that are no UTF-8 become \xHH.
std::string ShownUtf8(std::string_view text);

// Unicode code point of one CP1252 byte (the five undefined bytes map to the C1 controls).
char32_t CodePointOfCp1252(unsigned char c);

}  // namespace qvm
