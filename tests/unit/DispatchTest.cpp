#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/Dispatch.h"
#include "tests/unit/RecordingMessageBox.h"

namespace qvm {
namespace {

// A control that only keeps its state.
class FakeControl : public Control {
 public:
  void SetText(std::string_view text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool IsEnabled() const override { return enabled_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool IsVisible() const override { return visible_; }

 private:
  std::string text_;
  bool enabled_ = true;
  bool visible_ = true;
};

class FakeHost : public ControlHost {
 public:
  Control* ControlById(int controlId) override {
    auto found = controls.find(controlId);
    return found == controls.end() ? nullptr : &found->second;
  }
  std::map<int, FakeControl> controls;
};

// The rows of the event table, written out once more for the test.
struct Row {
  MessageKind kind;
  int controlId;
  std::set<int> codes;  // empty: any code
  Operation operation;
};
const Row kRows[] = {
    {MessageKind::Command, 1017, {2}, Operation::AddStrayImage},
    {MessageKind::Command, 1017, {1}, Operation::PreviewFromStrayList},
    {MessageKind::Command, 1002, {1}, Operation::PickMemberName},  // refined by the record kind
    {MessageKind::Command, 1005, {1}, Operation::PreviewFromImagesList},
    {MessageKind::Command, 1018, {0, 1}, Operation::ScanStrayImages},
    {MessageKind::Command, 1006, {0, 1}, Operation::AddImages},
    {MessageKind::Command, 1014, {0, 1}, Operation::CloseWindow},
    {MessageKind::Command, 1025, {0, 1}, Operation::SaveShowMatch},
    {MessageKind::Notify, 1001, {}, Operation::SelectNode},
};

Operation Expected(MessageKind kind, int controlId, int code, int recordKind) {
  for (const Row& row : kRows) {
    if (row.kind != kind || row.controlId != controlId) continue;
    if (!row.codes.empty() && !row.codes.count(code)) continue;
    if (row.operation != Operation::PickMemberName) return row.operation;
    if (recordKind == 1) return Operation::PickMemberName;
    if (recordKind == 3) return Operation::PickStableMembers;
    return Operation::Nothing;
  }
  return Operation::Nothing;
}

TEST(Dispatch, EachRowReachesItsOperationAndNothingElseDoes) {
  std::vector<int> ids = {0, 1, 2, 1000, 1003, 1007, 1009, 1023, 1024, 1026, 9999};
  for (int id = 1001; id <= 1025; ++id) ids.push_back(id);
  const int codes[] = {-12, -2, -1, 0, 1, 2, 3, 4, 5, 0x100, 0x200, 0x300, 0x400, 0x500};
  int reached = 0;
  for (MessageKind kind : {MessageKind::Command, MessageKind::Notify})
    for (int id : ids)
      for (int code : codes)
        for (int recordKind = 0; recordKind <= 5; ++recordKind) {
          Operation op = OperationFor(kind, id, code, recordKind);
          EXPECT_EQ(op, Expected(kind, id, code, recordKind))
              << (kind == MessageKind::Command ? "command " : "notify ") << id << " code " << code
              << " kind " << recordKind;
          if (op != Operation::Nothing) ++reached;
        }
  EXPECT_GT(reached, 0);
}

TEST(Dispatch, MembersSelectionActsOnlyForWrestlersAndStables) {
  const Operation expected[] = {Operation::Nothing, Operation::PickMemberName,
                                Operation::Nothing, Operation::PickStableMembers,
                                Operation::Nothing, Operation::Nothing};
  for (int recordKind = 0; recordKind <= 5; ++recordKind)
    EXPECT_EQ(OperationFor(MessageKind::Command, id::kMembersList, code::kSelChange, recordKind),
              expected[recordKind])
        << recordKind;
  // Enter and Escape come as the commands 1 and 2 of no control: ignored.
  for (int command : {1, 2})
    for (int code : {0, 1})
      EXPECT_EQ(OperationFor(MessageKind::Command, command, code, 1), Operation::Nothing);
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
  Wizard w{.gameFolder = {}, .db = db, .c = {}, .currentName = {}};
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
