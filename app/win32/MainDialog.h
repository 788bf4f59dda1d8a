// The wizard's one window as a Win32 dialog: made from an in-memory template, its 20 controls
// created in the layout's order, the preview area, the tree and the stray list. It hands the
// controls to the core through the control interfaces and turns the user's actions into the
// notifications of the dispatch table.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/Dispatch.h"
#include "app/Startup.h"
#include "app/Wizard.h"
#include "images/PictureCodec.h"
#include "app/win32/CropWindow.h"
#include "app/win32/BulkCommands.h"
#include "app/win32/FindField.h"
#include "app/win32/Win32Api.h"
#include "app/win32/Win32Controls.h"
#include "app/win32/Win32Dialogs.h"
#include "app/win32/Win32Tips.h"
#include "app/win32/Win32Tree.h"

#include "app/win32/imaging/Win32Imaging.h"

namespace qvm {

using PreviewLibrary = Win32ImagingLibrary;

// Messages the window posts to itself.
inline constexpr UINT kDecodeDoneMessage = WM_APP + 1;
inline constexpr UINT kAttachDroppedMessage = WM_APP + 2;
inline constexpr UINT kCropEndedMessage = WM_APP + 3;

class MainDialog : public ControlHost {
 public:
  // Builds the window hidden, with every control, the preview area, the tree and the stray
  // list, in the initial state; Run() shows it.
  MainDialog(Os& os, const GamePaths& paths, GameDatabase& db);
  // The same in two steps: the window hidden, with its controls and preview area, and nothing
  // of the game; then ShowGame, once, for the rest.
  explicit MainDialog(Os& os);
  void ShowGame(const GamePaths& paths, GameDatabase& db);
  ~MainDialog() override;
  MainDialog(const MainDialog&) = delete;
  MainDialog& operator=(const MainDialog&) = delete;

  Control* ControlById(int controlId) override;
  HWND Window() const { return dialog_; }
  HWND ControlWindow(int controlId) const;
  Wizard& wizard() { return *wizard_; }
  Win32TreeView& Tree() { return *tree_; }
  Win32ListBox& List(int controlId);
  PreviewLibrary& Preview() { return *preview_; }
  FindField& Find() { return *find_; }
  Win32Tips& Tips() { return *tips_; }
  Win32BulkCommands& Bulk() { return *bulk_; }
  bool Closed() const { return dialog_ == nullptr; }

  // Tests see every notification the window hands to the dispatch, before it runs.
  using EventObserver = std::function<void(MessageKind kind, int controlId, int code)>;
  void SetEventObserver(EventObserver observer) { observer_ = std::move(observer); }

  // What a user's action stands for: runs its operation; the Exit button ends the window.
  void Dispatch(MessageKind kind, int controlId, int code);
  // Shows the window and runs its modal loop until it is closed.
  void Run();
  // Runs `done` once in Run(), when the window has painted and no message is waiting.
  void SetFirstPaintHook(std::function<void()> done) { onFirstPaint_ = std::move(done); }
  // One message of the loop, keys of the window's own first (Ctrl+F, F3, the labels'
  // mnemonics, the bulk commands' keys), then the dialog's keyboard handling; for tests that
  // drive the loop.
  void Process(MSG& message);
  // Ends the window as Exit does: the images list's own procedure back, the window destroyed.
  void Close();
  // Files dropped onto the images list, as the list received them (tests build the drop).
  void OnDropFiles(HDROP drop);
  // The preview's context menu at `screen` when that lies on the preview area (false when not),
  // and Ctrl+K: the crop frame, when a crop is offered (PreviewActions.cpp).
  bool ShowPreviewMenu(POINT screen);
  void StartCrop();
  CropWindow* Crop() const { return crop_.get(); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
  bool OwnKey(const MSG& message);
  void CreateControls();

  HWND dialog_ = nullptr;
  HFONT boldFont_ = nullptr;
  std::map<int, HWND> windows_;
  std::map<int, std::unique_ptr<Control>> controls_;
  Win32TreeView* tree_ = nullptr;
  std::map<HWND, WNDPROC> listProcs_;  // each list's own procedure, while ours stands before it
  bool deletePressed_ = false;         // a Delete press the images list saw, not yet released
  std::vector<std::filesystem::path> dropped_;
  Win32MessageBox messages_;
  Win32FileDialog fileDialog_;
  std::unique_ptr<PreviewLibrary> preview_;
  std::unique_ptr<FindField> find_;
  std::unique_ptr<Win32Tips> tips_;
  std::unique_ptr<PictureCodec> codec_;
  std::unique_ptr<CropWindow> crop_;
  std::unique_ptr<Win32BulkCommands> bulk_;
  std::unique_ptr<Wizard> wizard_;
  Os& os_;
  bool ready_ = false;  // every control is handed to the core
  bool painted_ = false;
  EventObserver observer_;
  std::function<void()> onFirstPaint_;
};

// Builds the window, runs it until it is closed (Exit button or the window's close command),
// and returns.
void RunMainWindow(Os& os, const GamePaths& paths, GameDatabase& db);
// RunWizard's window in two steps: built hidden at once; later given the game and handed to
// `run` (by default: run until it is closed).
MainWindowRun MakeMainWindow(Os& os, std::function<void(MainDialog& window)> run = {});

}  // namespace qvm
