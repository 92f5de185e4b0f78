#pragma once

#include <string>

#include "core/text/Messages.h"

namespace qx7::cli {

// Messages of the command-line tools go to standard error, one message a line (line breaks
// inside a message become blanks so that scripts can grep one line). Questions are answered
// by the command's options, never by waiting for input: the preset answer is given.
class StderrMessageSink final : public IMessageSink {
  public:
    explicit StderrMessageSink(std::string prefix, bool answerYes = false)
        : prefix_(std::move(prefix)), answerYes_(answerYes) {}
    void ShowOk(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;

    int Count() const { return count_; }

  private:
    std::string prefix_;
    bool answerYes_;
    int count_ = 0;
};

}  // namespace qx7::cli
