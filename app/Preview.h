// The preview of the current picture and its size and aspect-ratio report.
#pragma once

#include "app/Wizard.h"
#include "images/PreviewReport.h"

namespace qvm {

// Clears the preview area and draws the current item of the ImagesList (or of the StrayList
// when `fromStrayList`), then writes the report into ImageInfoText. An empty source list
// leaves ImageInfoText as it was. A picture that cannot be found or read in media is drawn
// as nothing and reported with the sizes 0 (see PreviewReport).
void ShowPreview(Wizard& w, bool fromStrayList);
// The width per unit of height recommended for the current record's pictures; 0 for none.
double CurrentRatio(const Wizard& w);
// Empties the selection-dependent controls and clears the preview.
void ResetSelectionView(Wizard& w);

}  // namespace qvm
