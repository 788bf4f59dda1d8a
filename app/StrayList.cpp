#include "app/StrayList.h"

#include "images/StrayImages.h"

namespace qvm {

void ScanStrayImages(Wizard& w) {
  ListBox& list = *w.c.strayList;
  list.ResetContent();
  std::vector<std::string> names;
  if (w.db.strayNamesAtStart) {
    names = std::move(*w.db.strayNamesAtStart);
    w.db.strayNamesAtStart.reset();
  } else {
    names = SortedStrayNames(w.os, w.paths, w.db.imageIndex);
  }
  // Already in list order, so every text lands at the end.
  for (const std::string& name : names) list.AddString(name);
}

}  // namespace qvm
