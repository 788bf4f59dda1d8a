#include "app/Dispatch.h"

#include <string>

#include "app/ImageList.h"
#include "app/ImageOperations.h"
#include "app/PictureGaps.h"
#include "app/Preview.h"
#include "app/Selection.h"
#include "app/StrayList.h"
#include "tree/Keys.h"

namespace qvm {
namespace {

constexpr int kAnyCode = -1;

struct Row {
  MessageKind kind;
  int controlId;
  int code1;  // kAnyCode: every code
  int code2;  // a second accepted code (buttons act on clicks and shortcuts alike)
  Operation operation;
};

// PickMemberName stands for the members list's row; the record kind refines it below.
constexpr Row kTable[] = {
    {MessageKind::Command, id::kStrayList, code::kDoubleClick, code::kDoubleClick,
     Operation::AddStrayImage},
    {MessageKind::Command, id::kStrayList, code::kSelChange, code::kSelChange,
     Operation::PreviewFromStrayList},
    {MessageKind::Command, id::kMembersList, code::kSelChange, code::kSelChange,
     Operation::PickMemberName},
    {MessageKind::Command, id::kImagesList, code::kSelChange, code::kSelChange,
     Operation::PreviewFromImagesList},
    {MessageKind::Command, id::kRefreshButton, code::kClicked, code::kAccelerator,
     Operation::ScanStrayImages},
    {MessageKind::Command, id::kAddImagesButton, code::kClicked, code::kAccelerator,
     Operation::AddImages},
    {MessageKind::Command, id::kExitButton, code::kClicked, code::kAccelerator,
     Operation::CloseWindow},
    {MessageKind::Command, id::kSaveChangesButton, code::kClicked, code::kAccelerator,
     Operation::SaveShowMatch},
    {MessageKind::Notify, id::kItemsTree, kAnyCode, kAnyCode, Operation::SelectNode},
};

bool Matches(const Row& row, MessageKind kind, int controlId, int notificationCode) {
  if (row.kind != kind || row.controlId != controlId) return false;
  return row.code1 == kAnyCode || notificationCode == row.code1 || notificationCode == row.code2;
}

void SetVisible(Wizard& w, int controlId, bool visible) {
  if (!w.c.host) return;
  if (Control* control = w.c.host->ControlById(controlId)) control->SetVisible(visible);
}

std::string TextOf(const Control* control) { return control ? control->Text() : std::string(); }

}  // namespace

Operation OperationFor(MessageKind kind, int controlId, int notificationCode,
                       RecordKind recordKind) {
  for (const Row& row : kTable) {
    if (!Matches(row, kind, controlId, notificationCode)) continue;
    if (row.operation != Operation::PickMemberName) return row.operation;
    if (recordKind == RecordKind::Stable) return Operation::PickStableMembers;
    if (recordKind == RecordKind::Wrestler) return Operation::PickMemberName;
    return Operation::Nothing;
  }
  return Operation::Nothing;
}

Operation HandleEvent(Wizard& w, MessageKind kind, int controlId, int notificationCode) {
  Operation operation = OperationFor(kind, controlId, notificationCode, w.currentRecordKind);
  switch (operation) {
    case Operation::Nothing:
    case Operation::CloseWindow:
      break;
    case Operation::AddStrayImage:
      AddStrayImage(w);
      break;
    case Operation::PreviewFromStrayList:
      ShowPreview(w, true);
      break;
    case Operation::PickMemberName:
      PickMemberName(w);
      break;
    case Operation::PickStableMembers:
      PickStableMembers(w);
      break;
    case Operation::PreviewFromImagesList:
      ShowPreview(w, false);
      break;
    case Operation::ScanStrayImages:
      ScanStrayImages(w);
      UpdatePictureMarks(w);
      break;
    case Operation::AddImages:
      AddImages(w, "");
      break;
    case Operation::SaveShowMatch:
      SaveShowMatch(w);
      break;
    case Operation::SelectNode:
      SelectNode(w);
      break;
  }
  return operation;
}

void ShowControl(Wizard& w, int controlId) { SetVisible(w, controlId, true); }
void HideControl(Wizard& w, int controlId) { SetVisible(w, controlId, false); }

void SelectMembersPanel(Wizard& w) {
  for (int hidden :
       {id::kShowText, id::kMatchText, id::kShowLabel, id::kMatchLabel, id::kSaveChangesButton})
    HideControl(w, hidden);
  ShowControl(w, id::kMembersList);
  ShowControl(w, id::kMembersLabel);
}

void SaveShowMatch(Wizard& w) {
  // The whole key is compared, untrimmed: a blank key finds an entry read from a blank line.
  std::string key = TextOf(w.c.indexLineText);
  int entry = w.db.imageIndex.FindEntry(key);
  std::string show = TextOf(w.c.showText);
  std::string match = TextOf(w.c.matchText);
  if (entry == 0) {
    if (w.c.messages) w.c.messages->Show(kKeyNotFoundMessage);
    return;
  }
  const std::string newKey = show + "|" + match;
  if (!IsStorableKey(newKey)) {
    if (w.c.messages)
      w.c.messages->Show(
          "The show or match name holds a carriage return, a Ctrl-Z or a NUL character, which the "
          "picture index cannot hold. Nothing was changed.");
    return;
  }
  w.db.imageIndex.SetKey(entry, newKey);
  UpdatePictureMarks(w);  // the entry may now name another entity, or none
}

}  // namespace qvm
