// The codec on libjpeg-turbo: lossless crops (JpegBlockCrop.h) and turns (the TurboJPEG API's
// transform) where the block grid allows them, a decode and an encode at kEditJpegQuality where
// it does not; other formats come in through the platform's readers (ForeignPictures.h).
#include <turbojpeg.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

#include "codec/ForeignPictures.h"
#include "codec/JpegBlockCrop.h"
#include "codec/PictureCodecs.h"
#include "images/PictureHeader.h"

namespace qvm {
namespace {

// Progressive pictures with thousands of scans take minutes to decode: refused beyond 500.
constexpr int kDecodeFlags = TJFLAG_ACCURATEDCT | TJFLAG_LIMITSCANS;

struct HandleCloser {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

struct BufferFreer {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};
using TjBuffer = std::unique_ptr<unsigned char, BufferFreer>;

CodecResult Failed(std::string why) {
  CodecResult result;
  result.error = std::move(why);
  return result;
}

std::string ErrorOf(void* handle) {
  return LowerFirst(tjGetErrorStr2(handle));
}

// The segments an encoder does not write itself: APP1 to APP15 (EXIF, colour profile, ...) and
// comments, before the first scan, in their order. JFIF's APP0 and Adobe's APP14 the encoder
// writes for its own data, so Adobe's is left out.
std::vector<std::uint8_t> KeptSegments(std::span<const std::uint8_t> jpeg) {
  std::vector<std::uint8_t> kept;
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
    const int marker = jpeg[at + 1];
    if (marker == 0xDA || marker == 0xD9) break;
    const std::size_t length = (jpeg[at + 2] << 8) | jpeg[at + 3];
    if (length < 2 || at + 2 + length > jpeg.size()) break;
    const bool app = marker >= 0xE1 && marker <= 0xEF && marker != 0xEE;
    if (app || marker == 0xFE) kept.insert(kept.end(), jpeg.begin() + at, jpeg.begin() + at + 2 + length);
    at += 2 + length;
  }
  return kept;
}

// `encoded` with `segments` after its start of image and its own APP0 (when it has one).
std::vector<std::uint8_t> WithSegments(const unsigned char* encoded, std::size_t size,
                                       const std::vector<std::uint8_t>& segments) {
  std::size_t at = 2;
  if (size > 6 && encoded[2] == 0xFF && encoded[3] == 0xE0) at = 4 + ((encoded[4] << 8) | encoded[5]);
  at = std::min(at, size);
  std::vector<std::uint8_t> out(encoded, encoded + at);
  out.insert(out.end(), segments.begin(), segments.end());
  out.insert(out.end(), encoded + at, encoded + size);
  return out;
}

// Decoded pixels in the JPEG's own kind: grey, CMYK or RGB.
struct Decoded {
  int width = 0;
  int height = 0;
  int subsamp = TJSAMP_444;
  int format = TJPF_RGB;
  std::vector<unsigned char> pixels;
  int Bytes() const { return tjPixelSize[format]; }
};

bool Decode(std::span<const std::uint8_t> jpeg, Decoded& out, std::string& error) {
  Handle handle(tjInitDecompress());
  if (!handle) return error = "the JPEG decoder cannot be started", false;
  int colorspace = 0;
  if (tjDecompressHeader3(handle.get(), jpeg.data(), jpeg.size(), &out.width, &out.height,
                          &out.subsamp, &colorspace) != 0)
    return error = ErrorOf(handle.get()), false;
  if (!WithinEditLimits(out.width, out.height))
    return error = "the picture is larger than the wizard decodes", false;
  out.format = colorspace == TJCS_GRAY ? TJPF_GRAY
               : colorspace == TJCS_CMYK || colorspace == TJCS_YCCK ? TJPF_CMYK
                                                                   : TJPF_RGB;
  if (out.subsamp < 0) out.subsamp = out.format == TJPF_GRAY ? TJSAMP_GRAY : TJSAMP_444;
  out.pixels.resize(static_cast<std::size_t>(out.width) * out.height * out.Bytes());
  if (tjDecompress2(handle.get(), jpeg.data(), jpeg.size(), out.pixels.data(), out.width, 0,
                    out.height, out.format, kDecodeFlags) != 0)
    return error = ErrorOf(handle.get()), false;
  return true;
}

// Encodes width x height pixels of `format` starting at `pixels`, rows `pitch` bytes apart.
CodecResult Encode(const unsigned char* pixels, int width, int pitch, int height, int format,
                   int subsamp, const std::vector<std::uint8_t>& segments) {
  Handle handle(tjInitCompress());
  if (!handle) return Failed("the JPEG encoder cannot be started");
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const int result = tjCompress2(handle.get(), pixels, width, pitch, height, format, &buffer, &size,
                                 subsamp, kEditJpegQuality, TJFLAG_ACCURATEDCT);
  TjBuffer owned(buffer);
  if (result != 0) return Failed(ErrorOf(handle.get()));
  CodecResult out;
  out.bytes = WithSegments(buffer, size, segments);
  out.width = width;
  out.height = height;
  return out;
}

// One lossless transform; an empty result (with the library's reason) when it cannot be done.
CodecResult Transform(std::span<const std::uint8_t> jpeg, tjtransform transform) {
  Handle handle(tjInitTransform());
  if (!handle) return Failed("the JPEG transformer cannot be started");
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const int result = tjTransform(handle.get(), jpeg.data(), jpeg.size(), 1, &buffer, &size,
                                 &transform, TJFLAG_LIMITSCANS);
  TjBuffer owned(buffer);
  if (result != 0) return Failed(ErrorOf(handle.get()));
  CodecResult out;
  out.bytes.assign(buffer, buffer + size);
  out.lossless = true;
  return out;
}

// The size of a JPEG's picture, from its header.
bool SizeOf(std::span<const std::uint8_t> jpeg, CodecResult& result) {
  const PictureHeader header = ReadPictureHeader(jpeg);
  result.width = header.declaredWidth;
  result.height = header.declaredHeight;
  return result.width > 0 && result.height > 0;
}

// Where the pixel at (x, y) of the upright picture lies in the stored one (width x height),
// for an EXIF orientation.
std::pair<int, int> StoredPixel(int orientation, int x, int y, int width, int height) {
  switch (orientation) {
    case 2: return {width - 1 - x, y};
    case 3: return {width - 1 - x, height - 1 - y};
    case 4: return {x, height - 1 - y};
    case 5: return {y, x};
    case 6: return {y, height - 1 - x};
    case 7: return {width - 1 - y, height - 1 - x};
    case 8: return {width - 1 - y, x};
    default: return {x, y};
  }
}

int TurnOperation(int orientation) {
  constexpr int kOps[] = {TJXOP_NONE,      TJXOP_NONE,  TJXOP_HFLIP, TJXOP_ROT180, TJXOP_VFLIP,
                          TJXOP_TRANSPOSE, TJXOP_ROT90, TJXOP_TRANSVERSE, TJXOP_ROT270};
  return orientation >= 1 && orientation <= 8 ? kOps[orientation] : TJXOP_NONE;
}

class TurboJpegCodec final : public PictureCodec {
 public:
  CodecResult CropJpeg(std::span<const std::uint8_t> jpeg, const PixelRect& box) override {
    CodecResult result = CropJpegBlocks(jpeg, box);
    if (result.Ok() && SizeOf(result.bytes, result) && result.width == box.width &&
        result.height == box.height)
      return result;
    // Off the grid, or a picture the block crop refuses: through pixels.
    Decoded d;
    std::string error;
    if (!Decode(jpeg, d, error)) return Failed("the picture cannot be decoded: " + error);
    if (box.x < 0 || box.y < 0 || box.width <= 0 || box.height <= 0 ||
        box.x + box.width > d.width || box.y + box.height > d.height)
      return Failed("the part to keep lies outside the picture");
    const int pitch = d.width * d.Bytes();
    return Encode(d.pixels.data() + static_cast<std::size_t>(box.y) * pitch + box.x * d.Bytes(),
                  box.width, pitch, box.height, d.format, d.subsamp, KeptSegments(jpeg));
  }

  CodecResult TurnJpeg(std::span<const std::uint8_t> jpeg, int orientation) override {
    tjtransform turn{};
    turn.op = TurnOperation(orientation);
    turn.options = TJXOPT_PERFECT;
    CodecResult result = Transform(jpeg, turn);
    if (result.Ok() && SizeOf(result.bytes, result)) return result;
    Decoded d;
    std::string error;
    if (!Decode(jpeg, d, error)) return Failed("the picture cannot be decoded: " + error);
    const bool swap = orientation >= 5 && orientation <= 8;
    const int width = swap ? d.height : d.width;
    const int height = swap ? d.width : d.height;
    const int bytes = d.Bytes();
    std::vector<unsigned char> turned(d.pixels.size());
    for (int y = 0; y < height; ++y) {
      unsigned char* row = turned.data() + static_cast<std::size_t>(y) * width * bytes;
      for (int x = 0; x < width; ++x) {
        const auto [sx, sy] = StoredPixel(orientation, x, y, d.width, d.height);
        std::memcpy(row + x * bytes,
                    d.pixels.data() + (static_cast<std::size_t>(sy) * d.width + sx) * bytes, bytes);
      }
    }
    // Turned by a quarter, a sampling of 4:2:2 becomes 4:4:0 and back.
    int subsamp = d.subsamp;
    if (swap && subsamp == TJSAMP_422) subsamp = TJSAMP_440;
    else if (swap && subsamp == TJSAMP_440) subsamp = TJSAMP_422;
    return Encode(turned.data(), width, width * bytes, height, d.format, subsamp,
                  KeptSegments(jpeg));
  }

  CodecResult ConvertToJpeg(std::span<const std::uint8_t> picture) override {
    RgbPicture decoded;
    std::string error;
    if (!DecodeFirstFrame(picture, decoded, error))
      return Failed("the picture cannot be decoded: " + error);
    return Encode(decoded.rgb.data(), decoded.width, decoded.width * 3, decoded.height, TJPF_RGB,
                  TJSAMP_420, {});
  }
};

}  // namespace

std::unique_ptr<PictureCodec> MakePictureCodec() { return std::make_unique<TurboJpegCodec>(); }

}  // namespace qvm
