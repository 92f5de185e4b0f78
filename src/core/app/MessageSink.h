#pragma once
// Where user-visible messages go: a message box in the wizard, standard error in the command
// line tools, a recorder in tests. Core builds the text and never prints.

#include <string>

namespace qx7 {

class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    // A message with a single OK button.
    virtual void ShowOk(const std::string& text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // A Yes/No question under a caption of its own; sinks without captions just ask.
    virtual bool AskYesNoCaptioned(const std::string& text, const std::string& caption) {
        static_cast<void>(caption);
        return AskYesNo(text);
    }
};

}  // namespace qx7
