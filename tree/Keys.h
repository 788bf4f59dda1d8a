// How the selection's index key is looked up.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "index/ImageIndex.h"

namespace qvm {

// The image names of the entry whose key equals `key` without leading and trailing spaces
// (compared as FindEntry does), in entry order; empty when no entry matches. `found` tells
// whether an entry matched.
std::vector<Text> GetImages(const ImageIndex& index, std::string_view key, bool* found = nullptr);

}  // namespace qvm

#include "app/Wizard.h"

namespace qvm {

// Shows `key` in IndexLineText and its images in the ImagesList; previews the first.
void ShowImagesForKey(Wizard& w, std::string_view key);
// The current MembersList entry is the key (wrestler names).
void PickMemberName(Wizard& w);
// The stable key from the selected MembersList entries; enables the add button.
void PickStableMembers(Wizard& w);
// At most this many selected members make a stable's key.
inline constexpr int kStableKeyMembers = 100;
// The key of a tag team: its name, followed by its members unless the name already holds
// them (" and ", exact case).
std::string TeamKey(std::string_view name, std::string_view member1, std::string_view member2);
bool TeamKeyAddsMembers(std::string_view name);

}  // namespace qvm
