// The index as the window's selection sees it: which entry a key finds (GetImages' rule, in one
// hash lookup instead of a walk over the table), and which entries no key can ever reach.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "index/ImageIndex.h"

namespace qvm {

// Spaces trimmed at both ends, as GetImages trims the key it looks up.
std::string_view TrimSpaces(std::string_view key);

// True when the entry lists a picture name that is not empty. An entry whose picture line is
// empty reads as one empty name: it has a key but no picture.
bool ListsPicture(const IndexEntry& entry);

class IndexLookup {
 public:
  explicit IndexLookup(const ImageIndex& index);

  // The entry GetImages finds for `key`; 0 for none.
  int Find(std::string_view key) const;
  // The earlier entry that FindEntry finds instead of `entry` (their keys differ only in
  // case, or not at all); 0 when `entry` is the first with its key.
  int ShadowedBy(int entry) const { return shadowedBy_[static_cast<std::size_t>(entry) - 1]; }
  // True when `key` finds an entry that lists a picture.
  bool HasPictures(std::string_view key) const;
  // True when an entry whose key starts with `stableName` + " (" (without regard to case; the
  // keys of a stable with some of its members) lists a picture.
  bool StableHasPictures(std::string_view stableName) const;

 private:
  const ImageIndex& index_;
  std::unordered_map<std::string, int> first_;  // CP1252 upper-cased key -> first entry
  std::vector<int> shadowedBy_;
  std::unordered_set<std::string> stablesWithPictures_;  // upper-cased texts before a " ("
};

// Calls `visit` with each text that comes before a " (" in `upperKey`, shortest first: the
// stable names a stable key could belong to.
template <class Visit>
void ForEachStablePrefix(std::string_view upperKey, Visit visit) {
  for (std::size_t at = upperKey.find(" ("); at != std::string_view::npos;
       at = upperKey.find(" (", at + 1)) {
    visit(upperKey.substr(0, at));
  }
}

}  // namespace qvm
