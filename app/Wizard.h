// The state of one window session that the core's operations share: the game and its tree, the
// controls they reach through the control interfaces, and the selection state.
#pragma once

#include <string>

#include "app/UndoHistory.h"
#include "gamedb/GameDatabase.h"
#include "images/PictureCodec.h"
#include "images/PictureSuggestions.h"
#include "platform/Controls.h"
#include "platform/GamePaths.h"
#include "platform/Os.h"
#include "tree/CategoryTree.h"
#include "tree/PictureMarks.h"
#include "tree/ShownTree.h"

namespace qvm {

class MatchChooser;

// The controls of the main window as the core sees them. Every pointer is set by whoever
// builds the window (the Qt shell, or a test with in-memory controls).
struct WizardControls {
  TreeView* itemsTree = nullptr;
  ListBox* membersList = nullptr;
  Control* recordText = nullptr;
  ListBox* imagesList = nullptr;
  Control* addImagesButton = nullptr;
  Control* indexLineText = nullptr;
  Control* imageInfoText = nullptr;
  ListBox* strayList = nullptr;
  Control* showText = nullptr;
  Control* matchText = nullptr;
  ControlHost* host = nullptr;  // every control by identifier (show/hide)
  MessageBox* messages = nullptr;
  FileDialog* fileDialog = nullptr;
  ImagingLibrary* imaging = nullptr;
  PictureCodec* codec = nullptr;  // crops, upright copies, JPEG copies; none: not offered
  MatchChooser* matchDialog = nullptr;  // the match dialog (app/MatchList.h)
};

struct Wizard {
  Os& os;                  // every file the session reads or writes goes through it
  const GamePaths& paths;  // resolved once when the run started
  GameDatabase& db;
  WizardControls c;

  // Selection state.
  NodeHandle lastTreeItem = 0;
  RecordKind currentRecordKind = RecordKind::None;
  std::string currentName;  // CP1252

  // Size of the preview area in pixels, fixed when the window is built.
  int previewWidth = 0;
  int previewHeight = 0;

  // The category tree, built once with the window (ShowCategoryTree); the ItemsTree shows it
  // through `shownTree`, with the marks of the entities without a picture.
  CategoryTree tree{};
  PictureMarks marks{};
  ShownTree shownTree{tree, marks};
  // While the ItemsTree is given other nodes: what it notifies meanwhile is no user's doing.
  bool replacingTree = false;

  // The StrayList's names as last scanned, ready to be asked which name a record.
  PictureNames strayPictures{};

  // The window's changes, to be taken back and made again; the window starts it listening.
  UndoHistory undo{};
};

}  // namespace qvm
