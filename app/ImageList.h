// The images list of the selection: the key line, its pictures, the first one previewed.
#pragma once

#include <string_view>

#include "app/Wizard.h"

namespace qvm {

// Shows `key` in IndexLineText and its images in the ImagesList; previews the first.
void ShowImagesForKey(Wizard& w, std::string_view key);
// Lists the key's images in the ImagesList and previews the current one: `keep` while it is
// listed, else the first.
void ListImagesOf(Wizard& w, std::string_view key, std::string_view keep);
// The current MembersList entry is the key (wrestler names).
void PickMemberName(Wizard& w);
// The stable key from the selected MembersList entries; enables the add button.
void PickStableMembers(Wizard& w);

}  // namespace qvm
