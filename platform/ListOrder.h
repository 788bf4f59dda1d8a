// The order of the window's sorted list boxes: that of a Windows list box, for CP1252 texts.
#pragma once

#include <string_view>

namespace qvm {

// < 0 when `a` sorts before `b`, 0 when they compare equal, > 0 otherwise.
int CompareListOrder(std::string_view a, std::string_view b);

}  // namespace qvm
