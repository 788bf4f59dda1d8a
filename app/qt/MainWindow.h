// The wizard's one window: the tree, the record's panes and lists, the preview area. It builds
// the controls, hands them to the core through the control interfaces, and turns the user's
// actions into the notifications of the dispatch table.
#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/Dispatch.h"
#include "app/Startup.h"
#include "app/Wizard.h"
#include "app/qt/DialogUnits.h"
#include "app/qt/QtControls.h"
#include "app/qt/QtFileDialog.h"
#include "app/qt/QtImaging.h"
#include "app/qt/QtMessageBox.h"
#include "app/qt/QtTree.h"

class QTreeView;

namespace qvm {

class MainWindow : public QWidget, public ControlHost {
  Q_OBJECT
 public:
  // Builds the window hidden, with every control, the preview area, the tree and the stray
  // list, in the initial state; show() it to run it.
  MainWindow(Os& os, const GamePaths& paths, GameDatabase& db, QWidget* parent = nullptr);
  // The same in two steps: the window hidden, with its controls, and nothing of the game; then
  // ShowGame, once, for the rest.
  explicit MainWindow(Os& os, QWidget* parent = nullptr);
  void ShowGame(const GamePaths& paths, GameDatabase& db);
  ~MainWindow() override;

  Control* ControlById(int controlId) override;
  QWidget* WidgetById(int controlId) const;
  Wizard& wizard() { return *wizard_; }
  const DialogUnits& Units() const { return units_; }
  QtImagingLibrary& Imaging() { return imaging_; }
  TreeModel& Tree() { return *treeModel_; }
  class TreeFindBar& FindBar() {
    return *findBar_;
  }
  class PictureTips& Tips() {
    return *tips_;
  }
  class PreviewActions& Actions() {
    return *previewActions_;
  }
  class BulkCommands& Bulk() {
    return *bulk_;
  }
  // The list box widget of a list's identifier.
  ListWidget* List(int controlId) const;

  // Tests see every notification the window hands to the dispatch, before it runs.
  using EventObserver = std::function<void(MessageKind kind, int controlId, int code)>;
  void SetEventObserver(EventObserver observer) { observer_ = std::move(observer); }

  // What a user's action stands for: runs its operation; the Exit button ends the window.
  void Dispatch(MessageKind kind, int controlId, int code);

 signals:
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void ConnectTree(QTreeView* view);
  void ConnectList(ListWidget* list, int controlId);

  DialogUnits units_;
  TreeModel* treeModel_ = nullptr;  // owned by the tree view
  std::map<int, QWidget*> widgets_;
  std::map<int, std::unique_ptr<Control>> controls_;
  QtMessageBox messages_;
  QtFileDialog fileDialog_;
  QtImagingLibrary imaging_;
  class KeyReleaseFilter* imagesKeyHandler_ = nullptr;  // owned by the images list
  class TreeFindBar* findBar_ = nullptr;
  class PictureTips* tips_ = nullptr;
  std::unique_ptr<PictureCodec> codec_;
  class PreviewActions* previewActions_ = nullptr;
  class BulkCommands* bulk_ = nullptr;
  Os& os_;
  std::unique_ptr<Wizard> wizard_;  // from ShowGame on
  EventObserver observer_;
};

// Builds the window, runs it until it is closed (Exit button or the window's close command),
// and returns.
void RunMainWindow(Os& os, const GamePaths& paths, GameDatabase& db);
// RunWizard's window in two steps: built hidden at once, given the game and run later.
MainWindowRun MakeMainWindow(Os& os);

}  // namespace qvm
