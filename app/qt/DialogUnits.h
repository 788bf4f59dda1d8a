// Dialog units: the window's layout is given in units of its font, a quarter of the average
// character width across and an eighth of the character height down, so the layout keeps its
// proportions with whatever font the machine renders.
#pragma once

#include <QFont>
#include <QRect>

namespace qvm {

class DialogUnits {
 public:
  DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}
  // Average width of "A".."Z" "a".."z" (rounded) and the height of a line of the font.
  static DialogUnits FromFont(const QFont& font);

  int BaseX() const { return baseX_; }
  int BaseY() const { return baseY_; }
  int X(int units) const { return MulDiv(units, baseX_, 4); }
  int Y(int units) const { return MulDiv(units, baseY_, 8); }
  // Each value is converted on its own, as a dialog converts a control's place and size.
  QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }

  // a * b / c rounded to the nearest integer, halves away from zero.
  static int MulDiv(int a, int b, int c);

 private:
  int baseX_;
  int baseY_;
};

}  // namespace qvm
