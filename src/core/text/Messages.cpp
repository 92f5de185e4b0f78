#include "core/text/Messages.h"

#include "core/text/StringTable.h"

namespace qx7 {
namespace {

std::string Bracketed(int value) { return "(" + std::to_string(value) + ")"; }

// A message that carries a code, or names a failure, reports an error; one without a code tells
// the user what to do differently.
MessageKind KindOf(int number, int code) {
    switch (number) {
        case kMsgCommunicationError:
        case kMsgFileIoError:
        case kMsgInternalError:
        case kMsgPrinterNotFound:
        case kMsgAccessDenied:
            return MessageKind::kError;
        default:
            return code != 0 ? MessageKind::kError : MessageKind::kWarning;
    }
}

}  // namespace

std::string OneLine(const std::string& text) {
    std::string line;
    line.reserve(text.size());
    for (const char c : text) {
        if (c == '\r') {
            continue;
        }
        line.push_back(c == '\n' ? ' ' : c);
    }
    return line;
}

int Messages::ShowMessage(int number, int code) const {
    std::string text;
    const int result = LoadLocalString(language_, number, text);
    if (result != 0) {
        return result;
    }
    if (code != 0) {
        text += " " + Bracketed(code);
    }
    sink_->Show(text, KindOf(number, code));
    return result;
}

int Messages::ShowMessageWithText(int number, int code, std::string_view detail) const {
    std::string text;
    const int result = LoadLocalString(language_, number, text);
    if (result != 0) {
        return result;
    }
    text += " " + Bracketed(code) + "(" + std::string(detail) + ")";
    sink_->Show(text, MessageKind::kError);
    return result;
}

int Messages::ShowMessageWithCodes(int number, int a, int b, int c) const {
    std::string text;
    const int result = LoadLocalString(language_, number, text);
    if (result != 0) {
        return result;
    }
    text += " " + Bracketed(a) + Bracketed(b) + Bracketed(c);
    sink_->Show(text, MessageKind::kError);
    return result;
}

int Messages::ShowAccessDenied(std::string_view name, int code) const {
    std::string denied;
    const int result = LoadLocalString(language_, kMsgAccessDenied, denied);
    if (result != 0) {
        return result;
    }
    std::string text = std::string(name) + " " + denied;
    if (code != 0) {
        text += " " + Bracketed(code);
    }
    sink_->Show(text, MessageKind::kError);
    return result;
}

int Messages::ShowTemperatureOutOfRange(int fahrenheit, int code) const {
    std::string text;
    const int result = LoadLocalString(language_, kMsgTemperatureOutOfRange, text);
    if (result != 0) {
        return result;
    }
    // The coded form has no blank before the code: "...range.(-61) (100 F)".
    if (code != 0) {
        text += Bracketed(code);
    }
    text += " (" + std::to_string(fahrenheit) + " F)";
    sink_->Show(text, MessageKind::kWarning);
    return result;
}

bool Messages::ConfirmCancel() const {
    std::string text;
    if (LoadLocalString(language_, kMsgCancelQuestion, text) != 0) {
        return false;
    }
    return sink_->AskYesNo(text);
}

}  // namespace qx7
