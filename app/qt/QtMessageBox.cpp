#include "app/qt/QtMessageBox.h"

#include <QMessageBox>
#include <QString>

#include "app/Startup.h"
#include "app/qt/QtText.h"

namespace qvm {
namespace {
QtMessageBox::Script& ScriptSlot() {
  static QtMessageBox::Script script;
  return script;
}
}  // namespace

void QtMessageBox::SetScript(Script script) { ScriptSlot() = std::move(script); }

MessageAnswer QtMessageBox::Show(std::string_view text, const MessageStyle& style) {
  if (ScriptSlot()) return ScriptSlot()(text, style);
  QMessageBox box(style.exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                  ToQString(ProgramTitle()), ToQString(text));
  box.setWindowModality(Qt::ApplicationModal);
  if (style.yesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(style.defaultNo ? QMessageBox::No : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  box.raise();
  box.activateWindow();
  int answer = box.exec();
  if (!style.yesNo) return MessageAnswer::Ok;
  return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

}  // namespace qvm
