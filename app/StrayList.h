// The StrayList of the window: the pictures in media that no index entry names.
#pragma once

#include "app/Wizard.h"

namespace qvm {

// Rebuilds the StrayList: pictures in media that no index entry names.
void ScanStrayImages(Wizard& w);

}  // namespace qvm
