#include "platform/ListOrder.h"

#include "platform/Cp1252.h"

namespace qvm {

int CompareListOrder(std::string_view a, std::string_view b) {
  std::string ua = UpperCp1252(a), ub = UpperCp1252(b);
  return ua.compare(ub);
}

}  // namespace qvm
