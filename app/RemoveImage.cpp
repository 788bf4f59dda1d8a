// Taking a picture away from the record being edited; the file stays in media.
#include "app/ImageOperations.h"
#include "app/PictureGaps.h"
#include "app/StrayList.h"
#include "images/AttachPictures.h"

namespace qvm {

std::string DeleteQuestion(std::string_view name) {
  return "Do you really want to delete " + std::string(name) + "?";
}

void RemoveCurrentImage(Wizard& w) {
  ListBox& images = *w.c.imagesList;
  int current = images.Current();
  if (current < 0) return;  // an empty list: nothing to ask about
  std::string name = images.ItemText(current);
  MessageStyle ask{.yesNo = true, .exclamation = true, .defaultNo = true};
  if (w.c.messages->Show(DeleteQuestion(name), ask) != MessageAnswer::Yes) return;
  // The item leaves the list before the look-ups; re-selecting the record lists it again
  // when a look-up fails.
  images.DeleteString(current);
  UndoStep step(w.undo);
  switch (RemoveImageByName(w.db.imageIndex, w.c.indexLineText->Text(), name)) {
    case RemoveOutcome::NoEntry:
      w.c.messages->Show(kEntryNotFoundMessage);
      return;
    case RemoveOutcome::NotListed:
      w.c.messages->Show(kImageNotFoundMessage);
      return;
    case RemoveOutcome::Removed:
      break;
  }
  ScanStrayImages(w);
  UpdatePictureMarks(w);
}

void OnImagesListKeyUp(Wizard& w, int key, bool autoRepeat) {
  if (key == kDeleteKey && !autoRepeat) RemoveCurrentImage(w);
}

}  // namespace qvm
