#pragma once
// The numbered message texts: each routine loads its string in the chosen language, builds the
// exact text and hands it to the message sink. A missing string shows nothing and gives -100.

#include <string>
#include <string_view>

#include "core/text/Language.h"
#include "core/text/MessageSink.h"

namespace qx7 {

inline constexpr int kMsgCancelQuestion = 113;
inline constexpr int kMsgCommunicationError = 237;
inline constexpr int kMsgFileIoError = 238;
inline constexpr int kMsgInternalError = 242;
inline constexpr int kMsgPrinterNotFound = 244;
inline constexpr int kMsgAccessDenied = 245;
inline constexpr int kMsgTemperatureOutOfRange = 252;

// The message as one line: CR is dropped and LF becomes a blank, for reports that must stay on
// one line (standard error, the detail of another message).
std::string OneLine(const std::string& text);

class Messages {
public:
    Messages(LanguageId language, IMessageSink& sink) : language_(language), sink_(&sink) {}

    LanguageId Language() const { return language_; }
    void SetLanguage(LanguageId language) { language_ = language; }
    IMessageSink& Sink() const { return *sink_; }

    // Boxes show the kind: an error for a message with a code or about a failure (237, 238,
    // 242, 244, 245), a warning otherwise and for a temperature out of range.
    // The text alone when code is 0, else "%s (%d)".
    int ShowMessage(int number, int code) const;
    // "%s (%d)(%s)".
    int ShowMessageWithText(int number, int code, std::string_view detail) const;
    // "%s (%d)(%d)(%d)".
    int ShowMessageWithCodes(int number, int a, int b, int c) const;
    // "%s %s (%d)" with the name first and the text of 245, or "%s %s" when code is 0.
    int ShowAccessDenied(std::string_view name, int code) const;
    // "%s(%d) (%d F)" with the text of 252, or "%s (%d F)" when code is 0.
    int ShowTemperatureOutOfRange(int fahrenheit, int code) const;
    // Yes/No question of string 113; true for Yes. A missing string counts as No.
    bool ConfirmCancel() const;

private:

    LanguageId language_;
    IMessageSink* sink_;
};

}  // namespace qx7
