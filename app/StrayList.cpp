#include "app/StrayList.h"

#include "images/EntitySuggestions.h"
#include "images/StrayImages.h"
#include "tree/MissingPictures.h"

namespace qvm {

void ScanStrayImages(Wizard& w) {
  ListBox& list = *w.c.strayList;
  list.ResetContent();
  std::vector<std::string> names;
  if (w.db.strayNamesAtStart.valid()) {
    names = w.db.strayNamesAtStart.get();
    w.db.strayNamesAtStart = {};
  } else {
    names = SortedStrayNames(w.os, w.paths, w.db.imageIndex);
  }
  // Already in list order, so every text lands at the end.
  for (const std::string& name : names) list.AddString(name);
  w.strayPictures = PictureNames(std::move(names));
  EmphasiseStrayPictures(w);
}

void EmphasiseStrayPictures(Wizard& w) {
  std::vector<ListBox::Emphasis> emphasis;
  if (auto entity = EntityOfNode(w.db, w.tree, w.lastTreeItem)) {
    const std::string name(EntityName(w.db, *entity));
    const std::string tip = "Names the " + std::string(KindText(entity->kind)) + " " + name;
    for (const Suggestion& s : w.strayPictures.Naming(EntityCandidate(w.db, *entity))) {
      // A wrestler's picture may be named after one of its other names.
      const bool asAlias = entity->kind == RecordKind::Wrestler && s.key != name;
      emphasis.push_back(
          {w.strayPictures.Pictures()[s.picture], asAlias ? tip + " (as " + s.key + ")" : tip});
    }
  }
  w.c.strayList->SetEmphasis(emphasis);
}

}  // namespace qvm
