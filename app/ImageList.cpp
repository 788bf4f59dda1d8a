#include "app/ImageList.h"

#include <string>
#include <vector>

#include "app/Preview.h"
#include "tree/Keys.h"

namespace qvm {

void ShowImagesForKey(Wizard& w, std::string_view key) {
  w.c.indexLineText->SetText(key);  // untrimmed: adding and removing use it as it is
  ListBox& images = *w.c.imagesList;
  images.ResetContent();
  for (Text name : GetImages(w.db.imageIndex, key)) images.AddString(name);
  if (images.Count() > 0) images.SetCurrent(0);
  ShowPreview(w, false);
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
