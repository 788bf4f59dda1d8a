// A game folder with a window in memory, for the image operations.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "app/MemoryWindow.h"
#include "app/Wizard.h"
#include "gamedb/GameDatabase.h"
#include "tests/unit/FaultyOs.h"
#include "tests/unit/RecordingMessageBox.h"
#include "tests/unit/TestFolder.h"

namespace qvm::test {

class ImageOpsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NewPool();
    game.Write("media/index.dat", "");
  }
  void TearDown() override { ReleasePool(); }

  // The index as read from `bytes`, and the record being edited.
  void Index(std::string_view bytes) { ParseImageIndex(bytes, db.imageIndex); }
  void Select(std::string_view key) { win.indexLineText.SetText(key); }
  // The ImagesList as the selection fills it for the current key.
  void ListImagesOf(int entry) {
    win.imagesList.ResetContent();
    for (Text name : db.imageIndex.Entry(entry).images) win.imagesList.AddString(name);
  }
  std::string IndexBytes() const { return SerializeImageIndex(db.imageIndex); }

  GameFolder game;
  GameDatabase db;
  MemoryWindow win;
  RecordingMessageBox messages;
  FaultyOs os;  // tests make its calls fail
  const GamePaths paths = game.Paths();
  Wizard w{.os = os, .paths = paths, .db = db, .c = win.Controls(&messages), .currentName = {}};
};

}  // namespace qvm::test
