#include "images/Preview.h"

namespace qvm {

void ShowPreview(Wizard&, bool) {}
void ResetSelectionView(Wizard&) {}

}  // namespace qvm
