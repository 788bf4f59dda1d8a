#include "tree/Keys.h"

#include <algorithm>

#include "platform/ListOrder.h"

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

std::string StableKey(std::string_view name, const std::vector<std::string>& members) {
  std::string key(name);
  key += " (";
  const std::size_t count = std::min(members.size(), static_cast<std::size_t>(kStableKeyMembers));
  for (std::size_t i = 0; i < count; ++i) {
    key += members[i];
    key += '/';
  }
  while (key.back() == '/') key.pop_back();
  key += ')';
  return key;
}

std::string StableKeyWithAllMembers(const GameDatabase& db, const Stable& stable) {
  std::vector<std::string> members;
  for (int number : stable.members) {
    if (number < 1 || static_cast<std::size_t>(number) > db.wrestlers.size()) continue;
    for (const Alias& alias : db.wrestlers[static_cast<std::size_t>(number) - 1].aliases)
      members.emplace_back(alias.text);
  }
  // The list puts a text after those it compares equal to.
  std::stable_sort(members.begin(), members.end(), [](const std::string& a, const std::string& b) {
    return CompareListOrder(a, b) < 0;
  });
  return StableKey(stable.name, members);
}

}  // namespace qvm
