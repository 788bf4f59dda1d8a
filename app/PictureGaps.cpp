#include "app/PictureGaps.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/ImageList.h"
#include "app/Selection.h"
#include "app/StrayList.h"
#include "tree/Keys.h"

namespace qvm {
namespace {

// Gives the tree view the filtered (or whole) tree when what it shows changes, the selected
// node selected again. False when nothing changed.
bool ReplaceShownNodes(Wizard& w, bool onlyMissing) {
  const NodeHandle keep = w.c.itemsTree->Selection();
  if (!w.shownTree.Filter(onlyMissing, keep)) return false;
  w.replacingTree = true;
  w.c.itemsTree->SetNodes(w.shownTree);
  if (keep != 0) w.c.itemsTree->GoTo(keep);
  w.replacingTree = false;
  SelectNode(w);  // the same node: nothing to show unless the view lost it
  return true;
}

// The names of the images list and of the key's entry, each sorted, differ.
bool ImagesListDiffers(const Wizard& w, std::string_view key) {
  std::vector<std::string> listed, stored;
  for (int i = 0; i < w.c.imagesList->Count(); ++i) listed.push_back(w.c.imagesList->ItemText(i));
  for (Text name : GetImages(w.db.imageIndex, key)) stored.emplace_back(name);
  std::sort(listed.begin(), listed.end());
  std::sort(stored.begin(), stored.end());
  return listed != stored;
}

}  // namespace

void UpdatePictureMarks(Wizard& w) {
  if (!w.c.itemsTree) return;  // a window without its tree has no marks to show
  const bool changed = w.marks.Update();
  if (w.shownTree.Filtered() && ReplaceShownNodes(w, true)) return;
  if (changed) w.c.itemsTree->MarksChanged();
}

void GoToNextMissing(Wizard& w, bool backward) {
  const NodeHandle next = w.marks.Next(w.c.itemsTree->Selection(), backward);
  if (next == 0) {
    w.c.itemsTree->ShowNote(kNothingMissingNote);
    return;
  }
  w.c.itemsTree->GoTo(next);
  SelectNode(w);
}

void ShowOnlyMissing(Wizard& w, bool only) { ReplaceShownNodes(w, only); }

void ShowCurrentIndex(Wizard& w) {
  // Nothing selected yet: no record whose pictures could be listed. The images list stays as it
  // is while its pictures are the same, and keeps its current picture while it is still listed.
  const std::string key = w.c.indexLineText->Text();
  if (!key.empty() && ImagesListDiffers(w, key))
    ListImagesOf(w, key, w.c.imagesList->ItemText(-1));
  ScanStrayImages(w);
  UpdatePictureMarks(w);
}

}  // namespace qvm
