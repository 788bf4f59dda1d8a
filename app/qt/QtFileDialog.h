#pragma once

#include <functional>

#include "platform/Controls.h"

class QWidget;

namespace qvm {

// The open-file dialog on screen, owned by the main window.
class QtFileDialog : public FileDialog {
 public:
  explicit QtFileDialog(QWidget* owner) : owner_(owner) {}
  std::optional<FileChoice> ChooseImageFiles(const OpenFileRequest& request) override;

  // Tests answer the dialog by script: the hook sees each request and gives the answer.
  using Script = std::function<std::optional<FileChoice>(const OpenFileRequest& request)>;
  static void SetScript(Script script);

 private:
  QWidget* owner_;
};

}  // namespace qvm
