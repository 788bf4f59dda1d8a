// The Win32 window's undo and redo keys and menu entries; the find field keeps Ctrl+Z for its
// own text.
#include <gtest/gtest.h>

#include <string>

#include "app/ImageOperations.h"
#include "app/win32/MainDialog.h"
#include "app/win32/UndoCommands.h"
#include "gamedb/SortedView.h"
#include "tests/unit/TestFolder.h"
#include "tests/win32/Win32TestUser.h"

namespace qvm {
namespace {

// A key pressed with Ctrl (and Shift) held, as the window's loop receives it.
void PressWithCtrl(MainDialog& window, HWND focus, WPARAM key, bool shift) {
  ::SetFocus(focus);
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  ::SetKeyboardState(keys);
  MSG down{focus, WM_KEYDOWN, key, 1, 0, {}};
  window.Process(down);
  test::Pump();
  keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
}

TEST(Win32UndoKeys, CtrlZUndoesCtrlYAndCtrlShiftZRedoAndTheMenuNamesTheStep) {
  NewPool();
  test::GameFolder game;
  for (const char* f : {"bob.jpg", "b2.jpg", "b3.jpg"}) game.Write(std::string("media/") + f, f);
  const GamePaths paths = game.Paths();
  GameDatabase db;
  db.wrestlers.push_back(Wrestler{PoolString("Bob"), {{PoolString("Bob")}}});
  for (int k = 0; k < kKindCount; ++k) PrepareSortedView(db, kRecordKinds[k]);
  const std::string start = "Bob\r\nbob.jpg\r\n", one = "Bob\r\nbob.jpg|b2.jpg\r\n",
                    end = "Bob\r\nbob.jpg|b2.jpg|b3.jpg\r\n";
  ParseImageIndex(start, db.imageIndex);
  {
    MainDialog window(SystemOs(), paths, db);
    ::ShowWindow(window.Window(), SW_SHOW);
    Wizard& w = window.wizard();
    window.Find().Open();
    ::SetWindowTextW(window.Find().Field(), L"Bob");
    ASSERT_EQ(w.c.indexLineText->Text(), "Bob");
    AddImages(w, "b2.jpg");
    AddImages(w, "b3.jpg");
    ASSERT_EQ(SerializeImageIndex(db.imageIndex), end);

    // The find field's own: nothing is undone.
    PressWithCtrl(window, window.Find().Field(), 'Z', false);
    EXPECT_EQ(SerializeImageIndex(db.imageIndex), end);

    const struct {
      int control;
      WPARAM key;
      bool shift;
      const std::string& index;
      int images;  // in the images list afterwards
    } presses[] = {
        {id::kImagesList, 'Z', false, one, 2},  {id::kIndexLineText, 'Z', false, start, 1},
        {id::kItemsTree, 'Z', true, one, 2},    {id::kStrayList, 'Y', false, end, 3},
        {id::kImagesList, 'Z', false, one, 2},  {id::kImagesList, 'Y', true, one, 2},
    };
    for (const auto& p : presses) {
      PressWithCtrl(window, window.ControlWindow(p.control), p.key, p.shift);
      EXPECT_EQ(SerializeImageIndex(db.imageIndex), p.index) << p.control << " " << p.key;
      EXPECT_EQ(w.c.imagesList->Count(), p.images) << p.control << " " << p.key;
    }

    HMENU menu = ::CreatePopupMenu();
    AppendUndoEntries(menu, w);
    wchar_t text[80] = {};
    ::GetMenuStringW(menu, 0, text, 80, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), L"Undo attach b2.jpg\tCtrl+Z");
    ::GetMenuStringW(menu, 1, text, 80, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), L"Redo attach b3.jpg\tCtrl+Y");
    EXPECT_EQ(::GetMenuState(menu, 1, MF_BYPOSITION) & MF_GRAYED, 0u);
    ::DestroyMenu(menu);
  }
  ReleasePool();
}

}  // namespace
}  // namespace qvm
