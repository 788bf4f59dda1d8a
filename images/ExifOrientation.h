// The EXIF orientation tag: how a viewer is told to turn or mirror a JPEG's stored pixels.
// The game, like our preview, draws the stored pixels as they are, so a picture whose tag is
// not 1 shows in the game as it is stored: on its side, upside down or mirrored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qvm {

// The orientation an APP1 segment gives, and where its value stands.
struct ExifOrientation {
  int value = 1;            // 1 (as stored) when there is none or the block is damaged
  std::uint64_t where = 0;  // offset of the 2-byte value from the start of the payload; 0: none
  bool bigEndian = false;
};

// Reads up to `count` bytes at `offset` of the segment's payload; fewer at its end.
using SegmentReader =
    std::function<std::size_t(std::uint64_t offset, std::uint8_t* to, std::size_t count)>;

// The orientation of an APP1 segment's payload of `length` bytes (what follows its length
// field), read through `read`: an "Exif" block whose first directory holds the tag with a value
// of 1 to 8. Anything else (another APP1, a damaged or cut-short block, a value out of range)
// is no orientation: value 1, never a failure. Reads at most a few kilobytes.
ExifOrientation ReadExifOrientation(const SegmentReader& read, std::uint32_t length);

// Sets the orientation tag of a whole JPEG in memory to `value` where the picture has one
// (see PictureHeader::orientationAt); false when it has none.
bool SetJpegOrientation(std::vector<std::uint8_t>& jpeg, int value);

// What `check` says of a picture stored turned, after its name: "is stored turned (EXIF
// orientation 6): the game shows it turned". Empty for orientation 1.
std::string TurnedPictureText(int orientation);
// The same for the window's tip and menu: "Stored turned (EXIF orientation 6): the game shows
// it turned".
std::string TurnedPictureNote(int orientation);

}  // namespace qvm
