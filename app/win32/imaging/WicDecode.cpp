// Decoding for the preview and the tips: BMP through our reader, JPEG through WIC fed from a
// stream over a file the Os opened.
#include <objidl.h>
#include <wincodec.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "app/win32/imaging/Resample.h"
#include "app/win32/imaging/Win32Imaging.h"
#include "images/BmpDecoder.h"

namespace qvm {
namespace {

// Owns one reference to a COM object.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  explicit ComRef(T* object) : p_(object) {}
  ~ComRef() {
    if (p_) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T** Out() { return &p_; }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// COM interfaces have no virtual destructor: Release deletes the object as its own type.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// A read-only stream over a file of the Os. It reads nothing more once the decode is no longer
// wanted, so WIC gives up quickly.
class OsStream final : public IStream {
 public:
  OsStream(Os& os, OsFile file, std::uint64_t size, const std::function<bool()>& stale)
      : os_(os), file_(std::move(file)), size_(size), stale_(stale) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ISequentialStream || riid == IID_IStream) {
      *out = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override {
    if (read) *read = 0;
    if (stale_ && stale_()) return E_ABORT;
    ULONG total = 0;
    while (total < size) {
      const std::int64_t n =
          os_.Read(file_.Handle(), static_cast<char*>(buffer) + total, size - total, nullptr);
      if (n < 0) return STG_E_READFAULT;
      if (n == 0) break;
      total += static_cast<ULONG>(n);
    }
    position_ += total;
    if (read) *read = total;
    return total < size ? S_FALSE : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG* written) override {
    if (written) *written = 0;
    return STG_E_ACCESSDENIED;
  }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                 ULARGE_INTEGER* newPosition) override {
    std::int64_t base = 0;
    if (origin == STREAM_SEEK_CUR)
      base = static_cast<std::int64_t>(position_);
    else if (origin == STREAM_SEEK_END)
      base = static_cast<std::int64_t>(size_);
    else if (origin != STREAM_SEEK_SET)
      return STG_E_INVALIDFUNCTION;
    const std::int64_t target = base + move.QuadPart;
    if (target < 0) return STG_E_INVALIDFUNCTION;
    if (!os_.Seek(file_.Handle(), static_cast<std::uint64_t>(target), nullptr))
      return STG_E_SEEKERROR;
    position_ = static_cast<std::uint64_t>(target);
    if (newPosition) newPosition->QuadPart = position_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                   ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
    if (!stat) return STG_E_INVALIDPOINTER;
    std::memset(stat, 0, sizeof(*stat));
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = size_;
    stat->grfMode = STGM_READ;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IStream** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

 private:
  ~OsStream() = default;

  std::atomic<ULONG> references_{1};
  Os& os_;
  OsFile file_;
  std::uint64_t size_;
  std::uint64_t position_ = 0;
  std::function<bool()> stale_;
};
#pragma GCC diagnostic pop

constexpr int kBandPixels = 1 << 20;  // 4 MB of picture rows at a time

bool FitsShown(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         static_cast<std::int64_t>(width) * height <= kMaxShownPixels;
}

Win32Pixels DecodeJpeg(Os& os, const std::filesystem::path& file, const PictureHeader& header,
                       int width, int height, const std::function<bool()>& stale) {
  OsFile handle(os, os.OpenForReading(file, nullptr));
  if (!handle.IsOpen()) return {};
  const std::uint64_t size = os.InfoOf(handle.Handle()).size;
  ComRef<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()))))
    return {};
  ComRef<IStream> stream(new OsStream(os, std::move(handle), size, stale));
  // The JPEG decoder by name: WIC guesses no format from the bytes.
  ComRef<IWICBitmapDecoder> decoder;
  ComRef<IWICBitmapFrameDecode> frame;
  if (FAILED(factory->CreateDecoder(GUID_ContainerFormatJpeg, nullptr, decoder.Out())) ||
      FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand)) ||
      FAILED(decoder->GetFrame(0, frame.Out())))
    return {};
  // The file may have changed since its header was judged: decode only the picture judged.
  UINT frameWidth = 0, frameHeight = 0;
  if (FAILED(frame->GetSize(&frameWidth, &frameHeight)) ||
      frameWidth != static_cast<UINT>(header.Width()) ||
      frameHeight != static_cast<UINT>(header.Height()))
    return {};
  // Whole rows in bands: only a band and the result are held, and a decode no longer wanted
  // stops between bands.
  ComRef<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.Out())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return {};
  const int sourceWidth = static_cast<int>(frameWidth),
            sourceHeight = static_cast<int>(frameHeight);
  RowResampler resampler(sourceWidth, sourceHeight, width, height);
  const int bandRows = std::max(1, kBandPixels / sourceWidth);
  std::vector<std::uint32_t> band(static_cast<std::size_t>(sourceWidth) * bandRows);
  const UINT stride = static_cast<UINT>(sourceWidth) * 4;
  for (int y = 0; y < sourceHeight; y += bandRows) {
    if (stale && stale()) return {};
    const int rows = std::min(bandRows, sourceHeight - y);
    const WICRect rect{0, y, sourceWidth, rows};
    if (FAILED(converter->CopyPixels(&rect, stride, stride * static_cast<UINT>(rows),
                                     reinterpret_cast<BYTE*>(band.data()))))
      return {};
    for (int r = 0; r < rows; ++r)
      resampler.AddRow(y + r, band.data() + static_cast<std::size_t>(r) * sourceWidth);
  }
  return {width, height, resampler.Result()};
}

}  // namespace

Win32Pixels DecodeWin32Picture(Os& os, const std::filesystem::path& file,
                               const PictureHeader& header, int width, int height,
                               const std::function<bool()>& stale) {
  if (!header.Shown() || !FitsShown(width, height)) return {};
  if (header.format == PictureFormat::Jpeg)
    return DecodeJpeg(os, file, header, width, height, stale);
  BmpPixels bmp;
  if (DecodeBmpScaled(os, file, width, height, bmp, stale) != BmpStatus::Ok) return {};
  return {bmp.width, bmp.height, std::move(bmp.pixels)};
}

HBITMAP SmallPicture(Os& os, const std::filesystem::path& file, int maxSide,
                     const std::function<bool()>& stale) {
  if (maxSide <= 0) return nullptr;
  const PictureHeader header = ReadPictureHeader(os, file);
  if (!header.Shown()) return nullptr;
  int width = header.Width(), height = header.Height();
  if (width > maxSide || height > maxSide) {
    const bool wide = width >= height;
    const std::int64_t other =
        static_cast<std::int64_t>(wide ? height : width) * maxSide / (wide ? width : height);
    width = wide ? maxSide : static_cast<int>(std::max<std::int64_t>(other, 1));
    height = wide ? static_cast<int>(std::max<std::int64_t>(other, 1)) : maxSide;
  }
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Win32Pixels picture = DecodeWin32Picture(os, file, header, width, height, stale);
  if (SUCCEEDED(com)) CoUninitialize();
  if (picture.Empty()) return nullptr;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  std::memcpy(bits, picture.pixels.data(), picture.pixels.size() * 4);
  return bitmap;
}

}  // namespace qvm
