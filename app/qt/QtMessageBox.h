#pragma once

#include <functional>

#include "platform/Controls.h"

namespace qvm {

// Message boxes on screen: no owner, the program title as caption, application-modal.
class QtMessageBox : public MessageBox {
 public:
  MessageAnswer Show(std::string_view text, const MessageStyle& style = {}) override;

  // Tests answer message boxes by script: the hook sees each text and gives the answer.
  using Script = std::function<MessageAnswer(std::string_view text, const MessageStyle& style)>;
  static void SetScript(Script script);
};

}  // namespace qvm
