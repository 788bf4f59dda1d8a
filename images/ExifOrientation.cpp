#include "images/ExifOrientation.h"

#include <algorithm>
#include <array>

#include "images/PictureHeader.h"

namespace qvm {
namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;
// How far an EXIF block is followed: the first directory only, and only so many of its fields.
constexpr int kMaxExifFields = 512;

// "turned" for orientations 3, 6 and 8, "mirrored" for 2, 4, 5 and 7; empty for 1.
std::string_view OrientationWord(int orientation) {
  switch (orientation) {
    case 3:
    case 6:
    case 8:
      return "turned";
    case 2:
    case 4:
    case 5:
    case 7:
      return "mirrored";
    default:
      return {};
  }
}

}  // namespace

ExifOrientation ReadExifOrientation(const SegmentReader& read, std::uint32_t length) {
  ExifOrientation none;
  // "Exif\0\0", then a TIFF header: byte order, 42, the first directory's offset.
  std::array<std::uint8_t, 14> head{};
  if (length < head.size() || read(0, head.data(), head.size()) != head.size()) return none;
  if (std::string_view(reinterpret_cast<const char*>(head.data()), 6) !=
      std::string_view("Exif\0\0", 6))
    return none;
  const std::uint8_t* tiff = head.data() + 6;
  bool big = false;
  if (tiff[0] == 'M' && tiff[1] == 'M') {
    big = true;
  } else if (!(tiff[0] == 'I' && tiff[1] == 'I')) {
    return none;
  }
  auto u16 = [big](const std::uint8_t* p) -> std::uint32_t {
    return big ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0];
  };
  auto u32 = [&](const std::uint8_t* p) -> std::uint64_t {
    return big ? (std::uint64_t{u16(p)} << 16) | u16(p + 2)
               : (std::uint64_t{u16(p + 2)} << 16) | u16(p);
  };
  if (u16(tiff + 2) != 42) return none;
  const std::uint64_t directory = 6 + u32(tiff + 4);  // from the start of the payload
  std::uint8_t count[2];
  if (directory + 2 > length || read(directory, count, 2) != 2) return none;
  // A directory that runs past its block is damaged: no orientation, whatever it holds.
  if (directory + 2 + 12u * u16(count) > length) return none;
  const int fields = static_cast<int>(std::min<std::uint32_t>(u16(count), kMaxExifFields));
  for (int i = 0; i < fields; ++i) {
    const std::uint64_t at = directory + 2 + 12u * static_cast<std::uint64_t>(i);
    std::uint8_t field[12];
    if (at + 12 > length || read(at, field, 12) != 12) return none;
    if (u16(field) != kOrientationTag) continue;
    // A SHORT with one value stands in the field itself.
    if (u16(field + 2) != kShortType || u32(field + 4) != 1) return none;
    const int value = static_cast<int>(u16(field + 8));
    if (value < 1 || value > 8) return none;
    return {value, at + 8, big};
  }
  return none;
}

bool SetJpegOrientation(std::vector<std::uint8_t>& jpeg, int value) {
  const PictureHeader header = ReadPictureHeader(jpeg);
  if (header.orientationAt == 0 || header.orientationAt + 2 > jpeg.size()) return false;
  std::uint8_t* p = jpeg.data() + header.orientationAt;
  const auto v = static_cast<std::uint16_t>(value);
  p[header.orientationBigEndian ? 0 : 1] = static_cast<std::uint8_t>(v >> 8);
  p[header.orientationBigEndian ? 1 : 0] = static_cast<std::uint8_t>(v & 0xFF);
  return true;
}

std::string TurnedPictureText(int orientation) {
  const std::string word(OrientationWord(orientation));
  if (word.empty()) return {};
  return "is stored " + word + " (EXIF orientation " + std::to_string(orientation) +
         "): the game shows it " + word;
}

std::string TurnedPictureNote(int orientation) {
  std::string text = TurnedPictureText(orientation);
  if (text.empty()) return text;
  text.erase(0, 3);
  text[0] = 'S';
  return text;
}

}  // namespace qvm
