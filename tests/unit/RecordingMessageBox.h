// A message box that records every text and answers from a script (default: OK / No).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/Controls.h"

namespace qvm::test {

class RecordingMessageBox : public MessageBox {
 public:
  MessageAnswer Show(std::string_view text, const MessageStyle& style = {}) override {
    texts.emplace_back(text);
    styles.push_back(style);
    if (!style.yesNo) return MessageAnswer::Ok;
    if (answers.empty()) return MessageAnswer::No;
    MessageAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::vector<std::string> texts;
  std::vector<MessageStyle> styles;
  std::deque<MessageAnswer> answers;
};

}  // namespace qvm::test
