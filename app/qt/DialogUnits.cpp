#include "app/qt/DialogUnits.h"

#include <QFontMetrics>
#include <cstdint>
#include <cstdlib>

namespace qvm {

DialogUnits DialogUnits::FromFont(const QFont& font) {
  QFontMetrics metrics(font);
  int width = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return DialogUnits((width / 26 + 1) / 2, metrics.height());
}

int DialogUnits::MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  std::int64_t product = static_cast<std::int64_t>(a) * b;
  std::int64_t half = std::llabs(c) / 2;
  std::int64_t result = ((product < 0) != (c < 0)) ? -((std::llabs(product) + half) / std::llabs(c))
                                                   : (std::llabs(product) + half) / std::llabs(c);
  return static_cast<int>(result);
}

}  // namespace qvm
