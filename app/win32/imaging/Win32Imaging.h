// The imaging library of the Windows window: the preview area inside the dialog that the
// preview clears and draws into, and small pictures for the picture tips.
//
// What a file is, its size and whether it is shown come from the one picture-header reader
// (images/PictureHeader.h), which `info` and `check` use as well, so the window and the CLI
// agree on every file. BMP goes through our own reader (images/BmpDecoder.h, only the rows
// shown), JPEG through WIC, and only once the header reader has judged it: WIC is handed the
// JPEG decoder by name and a stream over a file opened through the Os, never a path, so it
// reads no other file and no other format; its rows are scaled by our own area averaging
// (Resample.h). A picture that is not shown has the sizes 0 and draws nothing.
//
// Threads: the library is called on the window's thread. Small pictures decode at once;
// larger ones on one worker thread, which posts `doneMessage` to the dialog when a decode ends.
// Only the newest request draws: every clear and every draw starts a new generation, and a
// decode finished for an older one is dropped (a decode that is still running gives up early).
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "images/PictureHeader.h"
#include "platform/Controls.h"
#include "platform/Os.h"

namespace qvm {

// Decodes that go through more bytes than this (PictureHeader::DecodeCost) run on the worker.
inline constexpr std::uint64_t kWin32SynchronousDecodeCost = std::uint64_t{8} << 20;

// Pixels as 0xFFRRGGBB (BGRA bytes in memory), rows from top to bottom.
struct Win32Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  bool Empty() const { return pixels.empty(); }
};

// Decodes `file` (read through `os`), judged shown by `header`, scaled to exactly
// width x height; empty when it cannot. `stale`, when given and true, abandons the decode early.
// COM must be initialised on the calling thread. Safe on any thread.
Win32Pixels DecodeWin32Picture(Os& os, const std::filesystem::path& file,
                               const PictureHeader& header, int width, int height,
                               const std::function<bool()>& stale = {});

class Win32ImagingLibrary : public ImagingLibrary {
 public:
  // Draws in `dialog`; posts `doneMessage` (WM_APP + n) to `dialog` when a decode on the worker
  // finishes: the dialog then calls DecodeFinished. Files are read through `os`, which must
  // outlive the library. Destroying the library stops the worker (a running decode gives up).
  Win32ImagingLibrary(HWND dialog, Os& os, UINT doneMessage);
  ~Win32ImagingLibrary() override;
  Win32ImagingLibrary(const Win32ImagingLibrary&) = delete;
  Win32ImagingLibrary& operator=(const Win32ImagingLibrary&) = delete;

  // The area at x, y of the dialog's client area, width x height pixels: a child window of
  // the dialog that paints itself, created hidden. The flags select nothing here.
  void OpenGfx(int x, int y, int width, int height, int flags) override;
  // Shows the area; the value selects nothing here.
  void GfxWindow(int value) override;
  void BrushColor(std::uint32_t colorRef) override;
  // Clears at once; a picture still being decoded for an earlier draw will not appear.
  void GfxCLS() override;
  // Width (1) or height (2) from the file's header; 0 when it cannot be read or is refused.
  // The last few answers are kept by path, modification time and size.
  int ImageParam(const std::filesystem::path& file, int which) override;
  // Our drawing unit is the pixel.
  int GfxConvert(int axis, int pixels) override;
  // Draws the picture at width x height centred in the area: small pictures at once, large
  // ones when their decode on the worker finishes (if nothing newer came first). Returns 1
  // when it drew or started the decode, 0 when there is nothing to draw.
  int StretchImage(const std::filesystem::path& file, int width, int height) override;

  // Draws the area into `dc`, a device context of the dialog's client area, at the area's
  // place. The area's own window paints itself; calling this from the dialog's WM_PAINT as
  // well does no harm (it draws the same pixels).
  void Paint(HDC dc);
  // Called when `doneMessage` arrives: draws what the worker decoded, if it is still wanted.
  // Extra calls do nothing.
  void DecodeFinished();

  // The area's window (null before OpenGfx) and what it shows, 0xFFRRGGBB, rows top down.
  HWND Area() const { return area_; }
  int AreaWidth() const { return canvas_.width; }
  int AreaHeight() const { return canvas_.height; }
  const std::vector<std::uint32_t>& Canvas() const { return canvas_.pixels; }
  // The number of the newest clear or draw.
  std::uint64_t Generation() const { return generation_; }
  // Decodes handed to the worker whose end has not yet been taken by DecodeFinished.
  int Pending() const { return pending_; }
  // Pumps this thread's messages until every decode handed to the worker has drawn or been
  // dropped. False when `timeoutMs` passed first.
  bool WaitIdle(int timeoutMs = 30000);
  // Decodes costing more than `cost` go to the worker (tests send every one there with 0).
  void SetSynchronousDecodeCost(std::uint64_t cost) { synchronousCost_ = cost; }

 private:
  struct Job {
    std::uint64_t generation = 0;
    std::filesystem::path file;
    PictureHeader header;
    int width = 0;
    int height = 0;
  };
  struct Done {
    std::uint64_t generation = 0;
    Win32Pixels picture;
  };
  struct CachedHeader {
    std::filesystem::path path;
    std::int64_t modified = 0;
    std::uint64_t fileSize = 0;
    PictureHeader header;
  };

  static LRESULT CALLBACK AreaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  PictureHeader Header(const std::filesystem::path& file);
  void NewGeneration();
  void Draw(const Win32Pixels& picture);
  void PaintAt(HDC dc, int x, int y);
  void Work();

  HWND dialog_;
  Os& os_;
  UINT doneMessage_;
  HWND area_ = nullptr;
  int areaX_ = 0;
  int areaY_ = 0;
  Win32Pixels canvas_;
  std::uint32_t brush_ = 0xFF000000;  // 0xFFRRGGBB
  std::uint64_t generation_ = 0;
  int pending_ = 0;
  std::uint64_t synchronousCost_ = kWin32SynchronousDecodeCost;
  bool comInitialised_ = false;
  std::vector<CachedHeader> headers_;  // most recent first

  // Shared with the worker, under mutex_.
  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<Job> job_;  // the one waiting; a newer request replaces it
  std::vector<Done> done_;
  bool stopping_ = false;
  std::atomic<std::uint64_t> newest_{0};  // the newest generation, read by the worker
  std::thread worker_;                    // last member: started when everything else is ready
};

// The picture of `file` (read through `os`) scaled to fit maxSide x maxSide keeping its
// proportions (smaller pictures keep their own size), for a picture tip; null when it is not
// shown or `stale` said true during the decode. A 32-bit top-down DIB section that the caller
// deletes with DeleteObject. Safe on any thread (COM is initialised for the call when needed).
// It takes as long as a preview decode (a 4000 x 3000 JPEG: about 0.2 s under Wine), so tips
// are best made off the window's thread.
HBITMAP SmallPicture(Os& os, const std::filesystem::path& file, int maxSide,
                     const std::function<bool()>& stale = {});

}  // namespace qvm
