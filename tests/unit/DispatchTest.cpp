#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/Dispatch.h"
#include "app/StrayList.h"
#include "platform/MemoryControls.h"
#include "tests/unit/RecordingMessageBox.h"

namespace qvm {
namespace {

class FakeHost : public ControlHost {
 public:
  Control* ControlById(int controlId) override {
    auto found = controls.find(controlId);
    return found == controls.end() ? nullptr : &found->second;
  }
  std::map<int, MemoryControl> controls;
};

// Enter and Escape come as the commands 1 and 2 of no control: ignored.
TEST(Dispatch, EnterAndEscapeDoNothing) {
  for (int command : {1, 2})
    for (int code : {0, 1})
      EXPECT_EQ(OperationFor(MessageKind::Command, command, code, RecordKind::Wrestler),
                Operation::Nothing);
}

class DispatchOnWizard : public ::testing::Test {
 protected:
  void SetUp() override {
    NewPool();
    for (int id : {id::kMembersList, id::kMembersLabel, id::kShowText, id::kMatchText,
                   id::kShowLabel, id::kMatchLabel, id::kSaveChangesButton, id::kIndexLineText})
      host.controls[id];
    w.c.host = &host;
    w.c.indexLineText = host.ControlById(id::kIndexLineText);
    w.c.showText = host.ControlById(id::kShowText);
    w.c.matchText = host.ControlById(id::kMatchText);
    w.c.messages = &messages;
  }
  void TearDown() override { ReleasePool(); }
  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (const IndexEntry& e : db.imageIndex.Entries()) keys.emplace_back(e.key);
    return keys;
  }

  GameDatabase db;
  FakeHost host;
  test::RecordingMessageBox messages;
  const GamePaths paths;
  Wizard w{.os = SystemOs(), .paths = paths, .db = db, .c = {}, .currentName = {}};
};

TEST_F(DispatchOnWizard, MembersPanelReplacesTheShowMatchPanel) {
  host.controls[id::kMembersList].SetVisible(false);
  host.controls.erase(id::kMatchLabel);  // a control the window lacks is skipped
  HandleEvent(w, MessageKind::Command, id::kMembersList, code::kSelChange);
  SelectMembersPanel(w);
  for (int hidden : {id::kShowText, id::kMatchText, id::kShowLabel, id::kSaveChangesButton})
    EXPECT_FALSE(host.controls[hidden].IsVisible()) << hidden;
  EXPECT_TRUE(host.controls[id::kMembersList].IsVisible());
  EXPECT_TRUE(host.controls[id::kMembersLabel].IsVisible());
}

TEST_F(DispatchOnWizard, SaveShowMatchComparesTheWholeKeyWithoutRegardToCase) {
  struct Case {
    const char* name;
    std::vector<std::string> keys;
    std::string indexLine;
    std::vector<std::string> keysAfter;
    bool message;
  } cases[] = {
      {"case differs", {"Ann", "\xC9lan"}, "\xE9LAN", {"Ann", "S|M"}, false},
      {"first of two equal keys", {"x", "X"}, "X", {"S|M", "X"}, false},
      {"spaces are not trimmed", {"Ann"}, " Ann", {"Ann"}, true},
      {"blank key", {"Ann", ""}, "", {"Ann", "S|M"}, false},
  };
  for (const Case& c : cases) {
    db.imageIndex.Clear();
    messages.texts.clear();
    for (const std::string& key : c.keys) db.imageIndex.AppendLoaded({PoolString(key), {}});
    w.c.indexLineText->SetText(c.indexLine);
    w.c.showText->SetText("S");
    w.c.matchText->SetText("M");
    EXPECT_EQ(HandleEvent(w, MessageKind::Command, id::kSaveChangesButton, code::kClicked),
              Operation::SaveShowMatch);
    EXPECT_EQ(Keys(), c.keysAfter) << c.name;
    EXPECT_EQ(messages.texts,
              c.message ? std::vector<std::string>{"Node not found."} : std::vector<std::string>{})
        << c.name;
  }
}

TEST_F(DispatchOnWizard, ExitIsLeftToTheWindow) {
  for (int code : {0, 1})
    EXPECT_EQ(HandleEvent(w, MessageKind::Command, id::kExitButton, code), Operation::CloseWindow);
  EXPECT_TRUE(messages.texts.empty());
}

}  // namespace
}  // namespace qvm
