// A fast hash of a short text, eight bytes at a time, for the tables that loading and the
// stray scan fill with hundreds of thousands of names. Not for anything stored.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace qvm {

// The eight bytes of `text` from `i`; bytes past its end read as 0.
inline std::uint64_t WordAt(std::string_view text, std::size_t i) {
  std::uint64_t w = 0;
  const std::size_t n = text.size();
  if (i + 8 <= n) {
    std::memcpy(&w, text.data() + i, 8);
    return w;
  }
  if (i >= n) return 0;
  const std::size_t left = n - i;  // 1 to 7
  if constexpr (std::endian::native == std::endian::little) {
    if (n >= 8) {
      // The last eight bytes of the text, of which the wanted ones are the highest.
      std::memcpy(&w, text.data() + n - 8, 8);
      return w >> (8 * (8 - left));
    }
  }
  for (std::size_t k = 0; k < left; ++k)
    w |= std::uint64_t{static_cast<unsigned char>(text[i + k])} << (8 * k);
  return w;
}

// Mixes the words that `word(i)` gives for i = 0, 8, 16, ... below `size` (at least one).
template <class Word>
inline std::uint64_t QuickHashWords(std::size_t size, Word word) {
  std::uint64_t h = size * 0x9E3779B97F4A7C15ull;
  std::size_t i = 0;
  do {
    h = (h ^ word(i)) * 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    i += 8;
  } while (i < size);
  return h ^ (h >> 32);
}

inline std::uint64_t QuickHash(std::string_view text) {
  return QuickHashWords(text.size(), [text](std::size_t i) { return WordAt(text, i); });
}

// Cheaper still, for telling apart the names of one index line: the first and the last eight
// bytes (overlapping for short names) and the length. Names that differ only in between share
// a hash, which costs a comparison, nothing more.
inline std::uint64_t EndsHash(std::string_view text) {
  if (text.size() < 8) return QuickHash(text);
  std::uint64_t head, tail;
  std::memcpy(&head, text.data(), 8);
  std::memcpy(&tail, text.data() + text.size() - 8, 8);
  std::uint64_t h = (head * 0x9E3779B97F4A7C15ull) ^ ((tail + text.size()) * 0xBF58476D1CE4E5B9ull);
  return h ^ (h >> 29);
}

}  // namespace qvm
