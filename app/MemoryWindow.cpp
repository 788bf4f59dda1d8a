#include "app/MemoryWindow.h"

namespace qvm {

template <class Each>
void MemoryWindow::ForEachControl(Each each) {
  each(id::kItemsTree, itemsTree);
  each(id::kMembersList, membersList);
  each(id::kRecordText, recordText);
  each(id::kImagesList, imagesList);
  each(id::kAddImagesButton, addImagesButton);
  each(id::kIndexLineText, indexLineText);
  each(id::kMembersLabel, membersLabel);
  each(id::kRecordLabel, recordLabel);
  each(id::kImagesLabel, imagesLabel);
  each(id::kIndexLineLabel, indexLineLabel);
  each(id::kExitButton, exitButton);
  each(id::kImageInfoText, imageInfoText);
  each(id::kStrayLabel, strayLabel);
  each(id::kStrayList, strayList);
  each(id::kRefreshButton, refreshButton);
  each(id::kMatchText, matchText);
  each(id::kShowText, showText);
  each(id::kShowLabel, showLabel);
  each(id::kMatchLabel, matchLabel);
  each(id::kSaveChangesButton, saveChangesButton);
}

MemoryWindow::MemoryWindow() {
  itemsTree.SetText("Items");
  ForEachControl([this](int controlId, Control& control) { host.Add(controlId, &control); });
}

WizardControls MemoryWindow::Controls(MessageBox* messages) {
  WizardControls c;
  c.itemsTree = &itemsTree;
  c.membersList = &membersList;
  c.recordText = &recordText;
  c.imagesList = &imagesList;
  c.addImagesButton = &addImagesButton;
  c.indexLineText = &indexLineText;
  c.imageInfoText = &imageInfoText;
  c.strayList = &strayList;
  c.showText = &showText;
  c.matchText = &matchText;
  c.host = &host;
  c.messages = messages;
  c.fileDialog = &fileDialog;
  c.imaging = &imaging;
  return c;
}

void MemoryWindow::SetNotify(std::function<void(int controlId, int code)> notify) {
  ForEachControl([&notify](int controlId, auto& control) {
    control.SetNotify([notify, controlId](int code) {
      if (notify) notify(controlId, code);
    });
  });
}

}  // namespace qvm
