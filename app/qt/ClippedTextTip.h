// The window's read-only texts have the fixed sizes of its layout, and a long name or key does
// not fit them: hovering such a text shows all of it as a tooltip. Texts that fit show none.
#pragma once

class QWidget;

namespace qvm {

// For a QLineEdit or a QPlainTextEdit.
void ShowFullTextWhenClipped(QWidget* field);

}  // namespace qvm
