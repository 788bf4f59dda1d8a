#include "tree/Keys.h"

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

void ShowImagesForKey(Wizard&, std::string_view) {}
void PickMemberName(Wizard&) {}
void PickStableMembers(Wizard&) {}

}  // namespace qvm
