// The StrayList of the window: the pictures in media that no index entry names.
#pragma once

#include "app/Wizard.h"

namespace qvm {

// Rebuilds the StrayList: pictures in media that no index entry names.
void ScanStrayImages(Wizard& w);

// Makes the stray pictures named after the selected record (the tree's node handled last)
// stand out, each with a tip naming the record ("Names the wrestler Ace Harmon"); nothing
// stands out while a category or group is selected. The list's order stays.
void EmphasiseStrayPictures(Wizard& w);

}  // namespace qvm
