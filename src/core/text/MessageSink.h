#pragma once
// Where user-visible messages go: a message box in the wizard, standard error in the command
// line tools, a recorder in tests. Core builds the text and never prints.

#include <string>

namespace qx7 {

// What a message is about: a box shows the icon of its kind. Questions are always asked.
enum class MessageKind { kInformation, kWarning, kError };

class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    // A message with a single OK button.
    virtual void ShowOk(const std::string& text) = 0;
    // The same, of a kind; sinks without icons show it as ShowOk does.
    virtual void Show(const std::string& text, MessageKind kind) {
        static_cast<void>(kind);
        ShowOk(text);
    }
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // A Yes/No question under a caption of its own; sinks without captions just ask.
    virtual bool AskYesNoCaptioned(const std::string& text, const std::string& caption) {
        static_cast<void>(caption);
        return AskYesNo(text);
    }
};

}  // namespace qx7
