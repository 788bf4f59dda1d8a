#include "app/Panels.h"

namespace qvm {
namespace {

void SetControlVisible(Wizard& w, int controlId, bool visible) {
  if (Control* control = w.c.host->ControlById(controlId)) control->SetVisible(visible);
}

}  // namespace

void SelectMembersPanel(Wizard& w) {
  for (int controlId : {id::kShowText, id::kMatchText, id::kShowLabel, id::kMatchLabel,
                        id::kSaveChangesButton}) {
    SetControlVisible(w, controlId, false);
  }
  SetControlVisible(w, id::kMembersList, true);
  SetControlVisible(w, id::kMembersLabel, true);
}

}  // namespace qvm
