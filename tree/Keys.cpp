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
