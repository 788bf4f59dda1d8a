// Reads the two kinds of item of the game's text files, a line and a number, from the bytes of
// one file. Single-byte text: a line ends at CR (a LF right after it belongs to the line end);
// a lone LF is an ordinary character; Ctrl-Z ends the file. Reading past the end gives empty
// lines and zeros, never an error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qvm {

class GameTextReader {
 public:
  GameTextReader() = default;
  explicit GameTextReader(std::string_view bytes) : data_(bytes) {}

  // All bytes up to the line end; the line end is consumed. Empty past the end of the file.
  std::string_view ReadLine();
  void SkipLines(std::int64_t count);

  // A number item. Leading blanks are skipped; the item's text ends at a blank, a comma or a
  // line end, TAB and LF being passed over (neither part of the text nor an end); then blanks,
  // TABs and LFs are skipped and one comma or one line end is consumed if one follows. The
  // text's leading decimal number is rounded half to even and held to the 32-bit range; text
  // that is no number gives 0. `pastEnd` (optional) tells whether the file had ended before
  // the item, in which case the result is 0.
  std::int32_t ReadNumber(bool* pastEnd = nullptr);

  // Moves to a byte offset counted from the start of the file. An offset outside the file
  // leaves the reader at its end. A Ctrl-Z ends reading where it is met; a later seek beyond
  // it reads on from there, so one stray Ctrl-Z in a record file costs only that record.
  void Seek(std::int64_t offset);

  // No bytes left, or the next byte is Ctrl-Z.
  bool AtEnd() const;
  std::size_t Position() const { return pos_; }
  std::size_t Size() const { return data_.size(); }

 private:
  std::string_view data_;
  std::size_t pos_ = 0;
};

// The leading decimal number of `text` (optional sign, digits, optional fraction), rounded
// half to even and held to the 32-bit range; 0 when the text does not begin with a number.
std::int32_t LeadingNumber(std::string_view text);

}  // namespace qvm
