// A whole window in memory over a game folder of the test's own, with its session: for tests of
// the selection, the keys and the preview.
#pragma once

#include "app/MemoryWindow.h"
#include "app/Wizard.h"
#include "tests/unit/PoolTest.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tests/unit/TestFolder.h"

namespace qvm::test {

class WindowTest : public PoolTest {
 protected:
  GameFolder game;
  GameDatabase db;
  MemoryWindow window;
  RecordingMessageBox messages;
  const GamePaths paths = game.Paths();
  // A preview area of 300 x 375 pixels.
  Wizard w{SystemOs(), paths, db, window.Controls(&messages), 0, RecordKind::None, {}, 300, 375};
};

}  // namespace qvm::test
