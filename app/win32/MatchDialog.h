// The match dialog on Win32: a modal dialog over the window with a virtual list view of the
// core's matches (LVS_OWNERDATA: the view asks for what it draws and holds no rows), a check
// box on each row and the small pictures in an image list, made on a worker as rows are drawn.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/MatchList.h"
#include "app/SmallPictures.h"
#include "app/win32/Win32Api.h"
#include "platform/GamePaths.h"
#include "platform/Os.h"

namespace qvm {

// A bitmap handle that deletes its bitmap.
struct BitmapDelete {
  void operator()(HBITMAP bitmap) const { ::DeleteObject(bitmap); }
};
using OwnedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDelete>;

class Win32MatchDialog : public MatchChooser {
 public:
  // The list view's identifier in the dialog; the buttons are IDOK and IDCANCEL.
  static constexpr int kListId = 100;
  static constexpr int kSummaryId = 101;
  // The side of the small pictures, in pixels.
  static constexpr int kPictureSide = 32;

  Win32MatchDialog(HWND owner, Os& os, const GamePaths& paths);
  // Shows the list modally until "Attach checked" (true) or "Cancel".
  bool Choose(MatchList& list) override;

  // Tests act in the open dialog: `opened` runs once its message loop runs.
  using OpenedHook = std::function<void(HWND dialog)>;
  static void SetOpenedHook(OpenedHook opened);

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Create();
  bool OnNotify(LPARAM lParam, LRESULT* result);
  void Toggle(int row);
  void ShowPictures();

  HWND owner_;
  Os& os_;
  const GamePaths& paths_;
  // While the dialog is open.
  HWND dialog_ = nullptr;
  HWND view_ = nullptr;
  HIMAGELIST images_ = nullptr;
  MatchList* list_ = nullptr;
  std::unique_ptr<SmallPictures<OwnedBitmap>> pictures_;
};

}  // namespace qvm
