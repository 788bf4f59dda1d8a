// What the window shows for the tree's selected node.
#pragma once

#include "app/Wizard.h"

namespace qvm {

// Reads the tree's selected node and, unless it is the node handled last, shows what it
// stands for (kind word in RecordText, members, key, images, button state).
void SelectNode(Wizard& w);

}  // namespace qvm
