// Tooltips of the window: the whole text of a field whose text does not fit (the record, the
// key line, the picture report), and for the picture lists the picture under the mouse: its
// name, its size and why it stands out (a stray picture named after the selected record).
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "app/win32/Win32Api.h"
#include "app/win32/Win32Controls.h"
#include "platform/GamePaths.h"
#include "platform/Os.h"

namespace qvm {

class Win32Tips {
 public:
  Win32Tips(HWND dialog, Os& os, const GamePaths& paths);
  ~Win32Tips();
  Win32Tips(const Win32Tips&) = delete;
  Win32Tips& operator=(const Win32Tips&) = delete;

  // The field's tip shows its whole text when it is clipped, nothing otherwise.
  void WatchText(HWND field, bool subclass = true);
  // The list's tip shows the picture under the mouse. The list's owner hands its mouse
  // messages to OnListMouse: a list takes thousands of messages when it is filled, and the
  // tooltip's own subclassing would cost each of them a look-up in the system.
  void WatchList(Win32ListBox& list);
  void OnListMouse(const MSG& message);
  // A picture scaled to fit maxSide x maxSide, or null; the tips delete it. Without a maker the
  // tips show text only.
  using PictureMaker = std::function<HBITMAP(const std::filesystem::path& file, int maxSide)>;
  void SetPictureMaker(PictureMaker maker) { maker_ = std::move(maker); }

  // WM_NOTIFY of the dialog: true when it came from the tooltip; `*result` is the answer.
  bool OnNotify(const NMHDR& header, LRESULT* result);

  // The small picture a list's tip shows for an item; null when there is none.
  HBITMAP PictureFor(const Win32ListBox& list, int index);

  // What the tip of `tool` shows with the mouse at `at` (client coordinates); "" for no tip.
  std::wstring TextFor(HWND tool, POINT at) const;
  HWND Tooltip() const { return tip_; }

 private:
  std::wstring FieldText(HWND field) const;
  std::wstring PictureText(const Win32ListBox& list, int index) const;
  LRESULT CustomDraw(const NMTTCUSTOMDRAW& draw);
  void SetPicture(HBITMAP picture);

  HWND tip_;
  Os& os_;
  const GamePaths& paths_;
  std::map<HWND, Win32ListBox*> lists_;
  std::map<HWND, int> hovered_;  // the item under the mouse, per list
  std::wstring shown_;           // the text handed to the tooltip last (it keeps a pointer)
  PictureMaker maker_;
  HBITMAP picture_ = nullptr;  // what the tip shows above its text
  SIZE pictureSize_{};
  std::string pictureName_;  // the item it shows
};

}  // namespace qvm
