#include "gamedb/GameTextReader.h"

#include <bit>
#include <cstring>
#include <limits>

namespace qvm {
namespace {

constexpr char kCtrlZ = 0x1A;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the leading decimal number of a text fed one character at a time, so that a number
// item never needs a copy of its text.
class NumberScanner {
 public:
  void Feed(char c) {
    switch (state_) {
      case State::Start:
        if (c == '+' || c == '-') {
          negative_ = c == '-';
          state_ = State::Whole;
          return;
        }
        state_ = State::Whole;
        [[fallthrough]];
      case State::Whole:
        if (IsDigit(c)) {
          anyDigit_ = true;
          if (whole_ < kCap) whole_ = whole_ * 10 + (c - '0');
        } else {
          state_ = c == '.' ? State::FirstFraction : State::Done;
        }
        return;
      case State::FirstFraction:
        if (IsDigit(c)) {
          anyDigit_ = true;
          firstFraction_ = c - '0';
          state_ = State::Fraction;
        } else {
          state_ = State::Done;
        }
        return;
      case State::Fraction:
        if (IsDigit(c)) {
          restNonZero_ |= c != '0';
        } else {
          state_ = State::Done;
        }
        return;
      case State::Done:
        return;
    }
  }

  std::int32_t Result() const {
    if (!anyDigit_) return 0;
    std::int64_t whole = whole_;
    // Halves go to the even neighbour; anything above a half goes up (on the magnitude, so
    // -1.5 gives -2 like 1.5 gives 2).
    bool up = firstFraction_ > 5 || (firstFraction_ == 5 && (restNonZero_ || whole % 2 == 1));
    if (up) ++whole;
    if (negative_) whole = -whole;
    if (whole > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (whole < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(whole);
  }

 private:
  // The magnitude saturates just above the 32-bit range, so the final clamp is exact.
  static constexpr std::int64_t kCap = std::int64_t{1} << 32;
  enum class State { Start, Whole, FirstFraction, Fraction, Done };
  State state_ = State::Start;
  bool negative_ = false;
  bool anyDigit_ = false;
  std::int64_t whole_ = 0;
  int firstFraction_ = 0;
  bool restNonZero_ = false;
};

}  // namespace

bool GameTextReader::AtEnd() const { return pos_ >= data_.size() || data_[pos_] == kCtrlZ; }

std::string_view GameTextReader::ReadLine() {
  size_t start = pos_;
  // memchr-speed scan for the two bytes that can end a line.
  const char* base = data_.data();
  size_t end = data_.size();
  if (start >= end) return {};
  const char* cr = static_cast<const char*>(std::memchr(base + start, '\r', end - start));
  size_t stop = cr ? static_cast<size_t>(cr - base) : end;
  const char* z = static_cast<const char*>(std::memchr(base + start, kCtrlZ, stop - start));
  if (z) stop = static_cast<size_t>(z - base);
  std::string_view line = data_.substr(start, stop - start);
  pos_ = stop;
  if (pos_ < end && data_[pos_] == '\r') {
    ++pos_;
    if (pos_ < end && data_[pos_] == '\n') ++pos_;
  }
  return line;
}

void GameTextReader::SkipLines(std::int64_t count) {
  // Eight bytes at a time: the lines skipped are mostly a few characters long (a circuit file
  // skips 17 of every 18 lines), too short for a search call per line to pay.
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kLow7 = 0x7F7F7F7F7F7F7F7Full;
  // The high bit of every byte of `w` equal to `c` (exact: no carry crosses a byte).
  auto bytesEqual = [](std::uint64_t w, char c) {
    const std::uint64_t x = w ^ (static_cast<unsigned char>(c) * kOnes);
    return ~(((x & kLow7) + kLow7) | x | kLow7);
  };
  const size_t end = data_.size();
  const char* base = data_.data();
  size_t p = pos_;
  while (count > 0 && p + 8 <= end) {
    std::uint64_t w;
    std::memcpy(&w, base + p, 8);
    if (bytesEqual(w, kCtrlZ) != 0) break;  // the byte loop below stops at it
    size_t stop = 8;  // where the last line skipped ends within the word, if it does
    for (std::uint64_t crs = bytesEqual(w, '\r'); crs != 0; crs &= crs - 1) {
      if (--count == 0) {
        stop = static_cast<size_t>(std::countr_zero(crs) / 8) + 1;
        break;
      }
    }
    p += stop;
  }
  if (count == 0 && p > pos_ && base[p - 1] == '\r' && p < end && base[p] == '\n') ++p;
  while (count > 0 && p < end) {
    const char c = base[p];
    if (c == kCtrlZ) break;  // reading stops at it, as ReadLine does
    ++p;
    if (c == '\r') {
      if (p < end && base[p] == '\n') ++p;
      --count;
    }
  }
  pos_ = p;
}

std::int32_t GameTextReader::ReadNumber(bool* pastEnd) {
  const size_t end = data_.size();
  auto isSpace = [&](size_t p) {
    char c = data_[p];
    return c == ' ' || c == '\t' || c == '\n';
  };
  while (pos_ < end && isSpace(pos_)) ++pos_;
  if (pastEnd) *pastEnd = AtEnd();
  if (AtEnd()) return 0;

  NumberScanner number;
  while (pos_ < end) {
    char c = data_[pos_];
    if (c == ' ' || c == ',' || c == '\r' || c == kCtrlZ) break;
    ++pos_;
    if (c != '\t' && c != '\n') number.Feed(c);
  }
  while (pos_ < end && isSpace(pos_)) ++pos_;
  if (pos_ < end && data_[pos_] == ',') {
    ++pos_;
  } else if (pos_ < end && data_[pos_] == '\r') {
    ++pos_;
    if (pos_ < end && data_[pos_] == '\n') ++pos_;
  }
  return number.Result();
}

void GameTextReader::Seek(std::int64_t offset) {
  if (offset < 0 || static_cast<std::uint64_t>(offset) > data_.size()) {
    pos_ = data_.size();
  } else {
    pos_ = static_cast<size_t>(offset);
  }
}

std::int32_t LeadingNumber(std::string_view text) {
  NumberScanner number;
  for (char c : text) number.Feed(c);
  return number.Result();
}

}  // namespace qvm
