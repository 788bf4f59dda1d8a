#include "images/ImageOperations.h"

namespace qvm {

void AddImages(Wizard&, std::string_view) {}
void AddStrayImage(Wizard&) {}
void RemoveCurrentImage(Wizard&) {}
void ScanStrayImages(Wizard&) {}

}  // namespace qvm
