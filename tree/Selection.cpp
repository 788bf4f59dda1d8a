#include "tree/Selection.h"

namespace qvm {

void SelectNode(Wizard&) {}

}  // namespace qvm
