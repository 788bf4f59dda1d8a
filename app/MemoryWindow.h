// The main window's 20 controls kept in memory, with their identifiers and creation texts, plus
// a scripted file dialog and a recording imaging library: a whole window for tests and the CLI.
#pragma once

#include <functional>

#include "app/Wizard.h"
#include "platform/MemoryControls.h"

namespace qvm {

class MemoryWindow {
 public:
  // Every control as it is created: its initial text, visible and enabled. What the window's
  // building does afterwards (disabling the add button, hiding ShowText and MatchText, filling
  // the tree and the stray list) is left to the code under test.
  MemoryWindow();
  MemoryWindow(const MemoryWindow&) = delete;
  MemoryWindow& operator=(const MemoryWindow&) = delete;

  // The controls as the core sees them; `messages` is the caller's (tests record them).
  WizardControls Controls(MessageBox* messages);
  // Sends every user action on any control to `notify` with the control's identifier.
  void SetNotify(std::function<void(int controlId, int code)> notify);

  MemoryTree itemsTree;
  MemoryListBox membersList;
  MemoryControl recordText{"Control"};
  MemoryListBox imagesList;
  MemoryControl addImagesButton{"&Add Image(s) From MEDIA folder"};
  MemoryControl indexLineText;
  MemoryControl membersLabel{"&Members"};
  MemoryControl recordLabel{"&Record You're Editing"};
  MemoryControl imagesLabel{"&Images For Selection"};
  MemoryControl indexLineLabel{"&Current Selection As It Will Appear in INDEX.DAT"};
  MemoryControl exitButton{"E&xit"};
  MemoryControl imageInfoText;
  MemoryControl strayLabel{"&Stray Images In MEDIA Folder"};
  MemoryListBox strayList;
  MemoryControl refreshButton{"&Refresh Files"};
  MemoryControl matchText;
  MemoryControl showText;
  MemoryControl showLabel{"S&how"};
  MemoryControl matchLabel{"M&atch"};
  MemoryControl saveChangesButton{"Sa&ve Changes"};

  MemoryControlHost host;
  MemoryFileDialog fileDialog;
  MemoryImaging imaging;

 private:
  template <class Each>
  void ForEachControl(Each each);
};

}  // namespace qvm
