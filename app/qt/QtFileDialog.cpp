#include "app/qt/QtFileDialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QStringList>

#include "app/qt/QtText.h"

namespace qvm {
namespace {

QtFileDialog::Script& ScriptSlot() {
  static QtFileDialog::Script script;
  return script;
}

// A pattern confirmed in the file-name box (the initial one too) filters the list, as in the
// system's own open dialog, instead of being refused as a file that does not exist.
class OpenDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  void accept() override {
    auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* files = findChild<QFileSystemModel*>(QStringLiteral("qt_filesystem_model"));
    QString text = name ? name->text().trimmed() : QString();
    if (files && (text.contains(u'*') || text.contains(u'?'))) {
      files->setNameFilters(text.split(u' ', Qt::SkipEmptyParts));
      return;
    }
    QFileDialog::accept();
  }
};

}  // namespace

void QtFileDialog::SetScript(Script script) { ScriptSlot() = std::move(script); }

std::optional<FileChoice> QtFileDialog::ChooseImageFiles(const OpenFileRequest& request) {
  if (ScriptSlot()) return ScriptSlot()(request);
  OpenDialog dialog(owner_, ToQString(request.title), QStringFromPath(request.startFolder));
  // Qt's own dialog matches the patterns without regard to case, as the request wants.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::ReadOnly, true);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(!request.mustExist    ? QFileDialog::AnyFile
                     : request.multiSelect ? QFileDialog::ExistingFiles
                                           : QFileDialog::ExistingFile);
  QStringList filters;
  for (const auto& [description, pattern] : request.filters)
    // Several patterns of one filter: ";" between them in the request, " " for Qt.
    filters << ToQString(description) + QStringLiteral(" (") +
                   ToQString(pattern).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                   QStringLiteral(")");
  dialog.setNameFilters(filters);
  if (!filters.isEmpty()) dialog.selectNameFilter(filters.front());
  // Only fills the file-name box: a pattern names no file, so nothing is selected by it.
  if (!request.initialName.empty()) dialog.selectFile(ToQString(request.initialName));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  FileChoice choice;
  choice.sourceFolder = PathFromQString(QFileInfo(files.front()).absolutePath());
  for (const QString& file : files)
    choice.names.push_back(PathFromQString(QFileInfo(file).fileName()));
  return choice;
}

}  // namespace qvm
