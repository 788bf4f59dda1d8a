// How the selection's index key is looked up.
#pragma once

#include <string_view>
#include <vector>

#include "index/ImageIndex.h"

namespace qvm {

// The image names of the entry whose key equals `key` without leading and trailing spaces
// (compared as FindEntry does), in entry order; empty when no entry matches. `found` tells
// whether an entry matched.
std::vector<Text> GetImages(const ImageIndex& index, std::string_view key, bool* found = nullptr);

}  // namespace qvm
