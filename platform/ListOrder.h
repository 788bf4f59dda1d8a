// The order of the window's sorted list boxes: that of a Windows list box, for CP1252 texts.
#pragma once

#include <string>
#include <string_view>

namespace qvm {

// < 0 when `a` sorts before `b`, 0 when they compare equal, > 0 otherwise. Letter case never
// counts; accented letters sort beside their base letter (the plain one first when all else is
// equal); hyphens and apostrophes count only between texts that are otherwise equal;
// punctuation comes before digits, digits before letters.
int CompareListOrder(std::string_view a, std::string_view b);

// The text's base characters as the list order sees them: case and accents folded, ligatures
// spelled out, hyphens and apostrophes dropped. Two texts that differ only in those respects
// give the same bytes, so a substring search on them ignores case and accents.
std::string BaseCharacters(std::string_view text);

}  // namespace qvm
