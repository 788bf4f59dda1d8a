// The two panels of the middle column: the members panel and the show/match panel.
#pragma once

#include "app/Wizard.h"

namespace qvm {

// Hides the show/match panel and shows the members panel (every change of the tree's
// selection; once applied, the show/match panel stays hidden).
void SelectMembersPanel(Wizard& w);

}  // namespace qvm
