#include "app/ImageList.h"

#include <string>
#include <vector>

#include "app/Preview.h"
#include "tree/Keys.h"

namespace qvm {

void ListImagesOf(Wizard& w, std::string_view key, std::string_view keep) {
  ListBox& images = *w.c.imagesList;
  images.ResetContent();
  for (Text name : GetImages(w.db.imageIndex, key)) images.AddString(name);
  int at = keep.empty() ? -1 : images.FindExact(-1, keep);
  if (at < 0 && images.Count() > 0) at = 0;
  if (at >= 0) images.SetCurrent(at);
  ShowPreview(w, false);
}

void ShowImagesForKey(Wizard& w, std::string_view key) {
  w.c.indexLineText->SetText(key);  // untrimmed: adding and removing use it as it is
  ListImagesOf(w, key, {});
}

void PickMemberName(Wizard& w) { ShowImagesForKey(w, w.c.membersList->ItemText(-1)); }

void PickStableMembers(Wizard& w) {
  const ListBox& members = *w.c.membersList;
  std::vector<std::string> chosen;
  for (int position : members.SelItems(kStableKeyMembers))
    chosen.push_back(members.ItemText(position));
  ShowImagesForKey(w, StableKey(w.currentName, chosen));
  w.c.addImagesButton->SetEnabled(true);
}

}  // namespace qvm
