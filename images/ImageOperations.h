// Attaching pictures to the record being edited, taking them away, and the stray pictures.
#pragma once

#include <string_view>

#include "app/Wizard.h"

namespace qvm {

// Attaches `fileName` (a file already in media) to the key in IndexLineText; with an empty
// name asks the user for files first (copied into media when they are not there yet).
void AddImages(Wizard& w, std::string_view fileName);
// Attaches the StrayList's current item and removes it from the StrayList.
void AddStrayImage(Wizard& w);
// After a question, takes the ImagesList's current item away from the record being edited.
void RemoveCurrentImage(Wizard& w);
// Rebuilds the StrayList: pictures in media that no index entry names.
void ScanStrayImages(Wizard& w);

}  // namespace qvm
