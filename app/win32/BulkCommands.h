// The window's commands for bulk work, on Win32: F4 and Shift+F4 (the next and previous entity
// without a picture), Ctrl+Shift+F4 and the tree's context menu (only those without a
// picture), Ctrl+M, the stray list's context menu and the system menu (the match dialog); and
// Alt+F4 from any control. They only forward to the core (app/PictureGaps.h, app/MatchList.h).
#pragma once

#include "app/Wizard.h"
#include "app/win32/MatchDialog.h"
#include "app/win32/Win32Api.h"
#include "app/win32/Win32Tree.h"

namespace qvm {

class Win32BulkCommands {
 public:
  // The system menu's command (below the system's own, in steps of 16).
  static constexpr UINT kMatchSysCommand = 0x0100;
  // The context menus' commands.
  static constexpr UINT kOnlyMissingItem = 1;
  static constexpr UINT kMatchItem = 2;

  // Adds the match command to `dialog`'s system menu and hands the match dialog to the session.
  Win32BulkCommands(HWND dialog, Wizard& w, Win32TreeView& tree, HWND stray, HWND images);

  // A key of the commands, before the dialog's own handling: true when it was one.
  bool OwnKey(const MSG& message);
  // WM_CONTEXTMENU of the dialog: the menu of the tree, of the stray list (both with Undo and
  // Redo) or of the images list (Undo and Redo). False for another window's.
  bool OnContextMenu(HWND window, LPARAM at);
  // WM_SYSCOMMAND of the dialog: true when it was the match command.
  bool OnSysCommand(WPARAM command);
  // Runs a context menu's command, as choosing it does.
  void Run(UINT command);


 private:
  HWND dialog_;
  Wizard& w_;
  Win32TreeView& tree_;
  HWND stray_;
  HWND images_;
  Win32MatchDialog matchDialog_;
};

}  // namespace qvm
