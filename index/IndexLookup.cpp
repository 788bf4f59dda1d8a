#include "index/IndexLookup.h"

#include <algorithm>

#include "platform/Cp1252.h"

namespace qvm {

std::string_view TrimSpaces(std::string_view key) {
  const std::size_t first = key.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return key.substr(first, key.find_last_not_of(' ') - first + 1);
}

bool ListsPicture(const IndexEntry& entry) {
  for (Text name : entry.images) {
    if (!name.empty()) return true;
  }
  return false;
}

IndexLookup::IndexLookup(const ImageIndex& index) : index_(index) {
  shadowedBy_.assign(static_cast<std::size_t>(index.EntryCount()), 0);
  for (int e = 1; e <= index.EntryCount(); ++e) {
    const IndexEntry& entry = index.Entry(e);
    std::string upper = UpperCp1252(entry.key);
    auto [it, isFirst] = first_.try_emplace(upper, e);
    if (!isFirst) {
      shadowedBy_[static_cast<std::size_t>(e) - 1] = it->second;
      continue;  // never found: its pictures cover nothing
    }
    if (ListsPicture(entry)) {
      ForEachStablePrefix(
          upper, [this](std::string_view prefix) { stablesWithPictures_.emplace(prefix); });
    }
  }
}

int IndexLookup::Find(std::string_view key) const {
  auto it = first_.find(UpperCp1252(TrimSpaces(key)));
  return it == first_.end() ? 0 : it->second;
}

bool IndexLookup::HasPictures(std::string_view key) const {
  const int entry = Find(key);
  return entry != 0 && ListsPicture(index_.Entry(entry));
}

bool IndexLookup::StableHasPictures(std::string_view stableName) const {
  // The window builds a stable's key as its name + " (" + members + ")" and trims it.
  std::string_view name =
      stableName.substr(std::min(stableName.size(), stableName.find_first_not_of(' ')));
  return stablesWithPictures_.count(UpperCp1252(name)) != 0;
}

}  // namespace qvm
