#include "tree/SortedView.h"

namespace qvm {

int CompareDisplayOrder(std::string_view a, std::string_view b) { return a.compare(b); }

void PrepareSortedView(GameDatabase&, Kind) {}

}  // namespace qvm
