// A 64-bit hash of bytes that is the same on every build and every platform, for what is stored
// or compared across runs (the crash journal names the index it belongs to by it, and a Windows
// and a Linux build may share a game folder). std::hash promises none of that.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qvm {

// FNV-1a's step over little-endian 64-bit words, each step followed by a shift that folds the
// high bits down, in four lanes (word i goes to lane i % 4 while whole blocks of four words
// remain; the remaining words, then the zero-padded remaining bytes, go to lane 0); the lanes
// are then folded into lane 0 in order, and the length last. Four independent lanes keep the
// cost of hashing a large index near that of reading it.
inline std::uint64_t ContentHash(std::string_view bytes) {
  constexpr std::uint64_t kPrime = 0x100000001B3ull, kBasis = 0xCBF29CE484222325ull;
  auto step = [](std::uint64_t h, std::uint64_t word) {
    h = (h ^ word) * kPrime;
    return h ^ (h >> 29);
  };
  auto word = [&](std::size_t at) {
    std::uint64_t w;
    std::memcpy(&w, bytes.data() + at, 8);
    if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
    return w;
  };
  const std::size_t n = bytes.size();
  // Four scalars rather than an array, which compilers turn into slower vector code.
  std::uint64_t h0 = kBasis, h1 = kBasis + 1, h2 = kBasis + 2, h3 = kBasis + 3;
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    h0 = step(h0, word(i));
    h1 = step(h1, word(i + 8));
    h2 = step(h2, word(i + 16));
    h3 = step(h3, word(i + 24));
  }
  for (; i + 8 <= n; i += 8) h0 = step(h0, word(i));
  std::uint64_t tail = 0;
  for (std::size_t k = n; k > i; --k) tail = (tail << 8) | static_cast<unsigned char>(bytes[k - 1]);
  h0 = step(h0, tail);
  return step(step(step(step(h0, h1), h2), h3), static_cast<std::uint64_t>(n));
}

// The hash as 16 lower-case hex digits, and back; false for anything else.
inline std::string HexOfHash(std::uint64_t hash) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out(16, '0');
  for (int k = 15; k >= 0; --k, hash >>= 4) out[static_cast<std::size_t>(k)] = kHex[hash & 15];
  return out;
}
inline bool HashOfHex(std::string_view hex, std::uint64_t& hash) {
  if (hex.size() != 16) return false;
  hash = 0;
  for (char c : hex) {
    int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (v < 0) return false;
    hash = (hash << 4) | static_cast<std::uint64_t>(v);
  }
  return true;
}

}  // namespace qvm
