// The index keys of the game's entities and how a key is looked up in the index.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gamedb/GameDatabase.h"
#include "index/ImageIndex.h"

namespace qvm {

// The image names of the entry whose key equals `key` without leading and trailing spaces
// (compared as FindEntry does), in entry order; empty when no entry matches. `found` tells
// whether an entry matched.
std::vector<Text> GetImages(const ImageIndex& index, std::string_view key, bool* found = nullptr);

// At most this many selected members make a stable's key.
inline constexpr int kStableKeyMembers = 100;
// The key of a tag team: its name, followed by its members unless the name already holds
// them (" and ", exact case).
std::string TeamKey(std::string_view name, std::string_view member1, std::string_view member2);
bool TeamKeyAddsMembers(std::string_view name);

// The key of a stable with some members chosen: its name, then the members (in the order the
// MembersList shows them) joined by "/" in parentheses. Only the first kStableKeyMembers
// count, and every "/" at the end of the joined members goes.
std::string StableKey(std::string_view name, const std::vector<std::string>& members);
// The key that choosing every member of `stable` gives: the MembersList holds every alias of
// every member wrestler, in list order.
std::string StableKeyWithAllMembers(const GameDatabase& db, const Stable& stable);

}  // namespace qvm
