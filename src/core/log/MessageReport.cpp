#include "core/log/MessageReport.h"

#include "core/log/LogOpening.h"

namespace qx7 {

void MessageReport::Show(const Messages& messages) const {
    for (const HeldMessage& message : held_) {
        if (message.detail) {
            messages.ShowMessageWithText(message.number, message.code, *message.detail);
        } else {
            messages.ShowMessage(message.number, message.code);
        }
    }
}

std::string MessageReport::Cause(LanguageId language) const {
    CollectingMessageSink sink;
    Show(Messages(language, sink));
    return sink.OneLineText();
}

}  // namespace qx7
