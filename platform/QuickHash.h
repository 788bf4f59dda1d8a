// A fast hash of a short text, eight bytes at a time, for the tables that loading and the
// stray scan fill with hundreds of thousands of names. Not for anything stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace qvm {

// The eight bytes of `text` from `i`; bytes past its end read as 0.
inline std::uint64_t WordAt(std::string_view text, std::size_t i) {
  std::uint64_t w = 0;
  if (i + 8 <= text.size()) {
    std::memcpy(&w, text.data() + i, 8);
  } else {
    for (std::size_t k = i; k < text.size(); ++k)
      w |= std::uint64_t{static_cast<unsigned char>(text[k])} << (8 * (k - i));
  }
  return w;
}

// Mixes the words that `word(i)` gives for i = 0, 8, 16, ... below `size`.
template <class Word>
inline std::uint64_t QuickHashWords(std::size_t size, Word word) {
  std::uint64_t h = size * 0x9E3779B97F4A7C15ull;
  for (std::size_t i = 0; i < size || i == 0; i += 8) {
    h = (h ^ word(i)) * 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
  }
  return h ^ (h >> 32);
}

inline std::uint64_t QuickHash(std::string_view text) {
  return QuickHashWords(text.size(), [text](std::size_t i) { return WordAt(text, i); });
}

}  // namespace qvm
