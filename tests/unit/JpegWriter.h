// Hand-made JPEG marker streams: the headers the picture-header reader judges, followed by a
// token scan. No decoder would make sense of the scan; the header is what is tested.
#pragma once

#include <string>

namespace qvm::test {

inline const std::string kJpegStart = "\xFF\xD8";

inline std::string JpegSegment(unsigned char marker, const std::string& body) {
  const std::size_t length = body.size() + 2;
  return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                     static_cast<char>(length & 0xFF)} +
         body;
}

// A frame header: precision, size, then (id, sampling, table) for each sampling byte given.
inline std::string JpegFrame(unsigned char marker, int width, int height,
                             const std::string& samplings = "\x11", int precision = 8) {
  std::string body{static_cast<char>(precision),     static_cast<char>(height >> 8),
                   static_cast<char>(height & 0xFF), static_cast<char>(width >> 8),
                   static_cast<char>(width & 0xFF),  static_cast<char>(samplings.size())};
  for (std::size_t c = 0; c < samplings.size(); ++c)
    body += std::string{static_cast<char>(c + 1), samplings[c], 0};
  return JpegSegment(marker, body);
}

// The header of a scan of components 1 to `components`.
inline std::string JpegScan(int components) {
  std::string body{static_cast<char>(components)};
  for (int c = 0; c < components; ++c) body += std::string{static_cast<char>(c + 1), 0};
  return JpegSegment(0xDA, body + std::string("\0\x3F\0", 3));
}

// Start of image, the frame, one scan of all its components, a few data bytes, end of image.
inline std::string JpegFile(unsigned char marker, int width, int height,
                            const std::string& samplings = "\x11", int precision = 8) {
  return kJpegStart + JpegFrame(marker, width, height, samplings, precision) +
         JpegScan(static_cast<int>(samplings.size())) + "\x12\x34\xFF\xD9";
}

}  // namespace qvm::test
