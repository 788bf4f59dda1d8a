// The order of the window's sorted list boxes: that of a Windows list box, for CP1252 texts.
#pragma once

#include <string>
#include <string_view>

#include "platform/Cp1252.h"

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

// What every ListBox does the same way, over its `count` items in list order (`textAt(i)`
// gives item i's bytes).

// Where a new text goes: after every item that sorts before or with it.
template <class TextAt>
int ListInsertPlace(int count, std::string_view text, const TextAt& textAt) {
  int low = 0, high = count;
  while (low < high) {
    const int mid = low + (high - low) / 2;
    if (CompareListOrder(textAt(mid), text) <= 0) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low;
}

// The item whose text equals `text` regardless of letter case, searching the items after
// `start` to the end, then from the top up to `start` itself; a start outside the list searches
// the whole list from the top. -1 when there is none.
template <class TextAt>
int FindExactInList(int count, int start, std::string_view text, const TextAt& textAt) {
  const int first = (start < 0 || start >= count) ? 0 : start + 1;
  for (int step = 0; step < count; ++step) {
    const int index = (first + step) % count;
    if (EqualIgnoringCaseCp1252(textAt(index), text)) return index;
  }
  return -1;
}

}  // namespace qvm
