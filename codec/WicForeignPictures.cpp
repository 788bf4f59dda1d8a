// Other formats on Windows: the system's WIC decoders, each chosen by the format the header
// reader recognised (never by WIC's own guess, so no other installed codec reads the bytes),
// fed from memory.
#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include "codec/ForeignPictures.h"
#include "images/PictureHeader.h"

namespace qvm {
namespace {

using Microsoft::WRL::ComPtr;

// COM for the calling thread as long as it lives, when the thread has none yet.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

const GUID* ContainerOf(PictureFormat format) {
  switch (format) {
    case PictureFormat::Jpeg: return &GUID_ContainerFormatJpeg;
    case PictureFormat::Bmp: return &GUID_ContainerFormatBmp;
    case PictureFormat::Png: return &GUID_ContainerFormatPng;
    case PictureFormat::Gif: return &GUID_ContainerFormatGif;
    case PictureFormat::WebP: return &GUID_ContainerFormatWebp;
    case PictureFormat::Tiff: return &GUID_ContainerFormatTiff;
    case PictureFormat::None: break;
  }
  return nullptr;
}

}  // namespace

bool DecodeFirstFrame(std::span<const std::uint8_t> bytes, RgbPicture& out, std::string& error) {
  const GUID* container = ContainerOf(ReadPictureHeader(bytes).format);
  if (!container || bytes.size() > MAXDWORD) {
    error = "it is no picture the wizard reads";
    return false;
  }
  ComScope com;
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&factory))) ||
      FAILED(factory->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                          static_cast<DWORD>(bytes.size())))) {
    error = "the system's picture decoders cannot be started";
    return false;
  }
  if (FAILED(factory->CreateDecoder(*container, nullptr, &decoder)) ||
      FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand)) ||
      FAILED(decoder->GetFrame(0, &frame))) {  // an animation's first frame
    error = "this system cannot decode it";
    return false;
  }
  // The size from the header, before any pixel: a small file may declare a huge picture.
  UINT width = 0, height = 0;
  if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0) {
    error = "its size cannot be read";
    return false;
  }
  if (!WithinEditLimits(width, height)) {
    error = "it declares " + std::to_string(width) + " x " + std::to_string(height) +
            " pixels, more than the wizard decodes";
    return false;
  }
  ComPtr<IWICFormatConverter> converter;
  std::vector<std::uint8_t> bgra(std::size_t{width} * height * 4);
  if (FAILED(factory->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0,
                                   WICBitmapPaletteTypeCustom)) ||
      FAILED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(bgra.size()),
                                   bgra.data()))) {
    error = "its pixels cannot be decoded";
    return false;
  }
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.rgb.resize(std::size_t{width} * height * 3);
  std::uint8_t* to = out.rgb.data();
  for (std::size_t i = 0; i < bgra.size(); i += 4) {
    *to++ = OntoWhite(bgra[i + 2], bgra[i + 3]);
    *to++ = OntoWhite(bgra[i + 1], bgra[i + 3]);
    *to++ = OntoWhite(bgra[i], bgra[i + 3]);
  }
  return true;
}

}  // namespace qvm
