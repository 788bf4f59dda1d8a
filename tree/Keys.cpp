#include "tree/Keys.h"

#include "images/Preview.h"

namespace qvm {

std::vector<Text> GetImages(const ImageIndex& index, std::string_view key, bool* found) {
  size_t first = key.find_first_not_of(' ');
  size_t last = key.find_last_not_of(' ');
  std::string_view trimmed =
      first == std::string_view::npos ? std::string_view() : key.substr(first, last - first + 1);
  int entry = index.FindEntry(trimmed);
  if (found) *found = entry != 0;
  if (entry == 0) return {};
  return index.Entry(entry).images;
}

}  // namespace qvm

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
  std::string key = w.currentName + " (";
  for (int position : members.SelItems(kStableKeyMembers)) {
    key += members.ItemText(position);
    key += '/';
  }
  while (!key.empty() && key.back() == '/') key.pop_back();
  key += ')';
  ShowImagesForKey(w, key);
  w.c.addImagesButton->SetEnabled(true);
}

bool TeamKeyAddsMembers(std::string_view name) {
  return name.find(" and ") == std::string_view::npos;
}

std::string TeamKey(std::string_view name, std::string_view member1, std::string_view member2) {
  std::string key(name);
  if (TeamKeyAddsMembers(name)) {
    key += " (";
    key += member1;
    key += '/';
    key += member2;
    key += ')';
  }
  return key;
}

}  // namespace qvm
