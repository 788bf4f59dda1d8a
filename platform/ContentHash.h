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

// FNV-1a over little-endian 64-bit words (the last one zero-padded), each step followed by a
// shift that folds the high bits down, and the length mixed in at the end: a word a step keeps
// the cost of hashing a large index near that of reading it.
inline std::uint64_t ContentHash(std::string_view bytes) {
  constexpr std::uint64_t kPrime = 0x100000001B3ull;
  std::uint64_t h = 0xCBF29CE484222325ull;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  auto step = [&](std::uint64_t word) {
    h = (h ^ word) * kPrime;
    h ^= h >> 29;
  };
  for (; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
    step(w);
  }
  std::uint64_t tail = 0;
  for (std::size_t k = n; k > i; --k) tail = (tail << 8) | p[k - 1];
  step(tail);
  step(static_cast<std::uint64_t>(n));
  return h;
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
