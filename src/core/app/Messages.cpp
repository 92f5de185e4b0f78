#include "core/app/Messages.h"

#include "core/app/StringTable.h"

namespace qx7 {
namespace {

std::string Bracketed(int value) { return "(" + std::to_string(value) + ")"; }

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
    sink_->ShowOk(text);
    return result;
}

int Messages::ShowMessageWithText(int number, int code, std::string_view detail) const {
    std::string text;
    const int result = LoadLocalString(language_, number, text);
    if (result != 0) {
        return result;
    }
    text += " " + Bracketed(code) + "(" + std::string(detail) + ")";
    sink_->ShowOk(text);
    return result;
}

int Messages::ShowMessageWithCodes(int number, int a, int b, int c) const {
    std::string text;
    const int result = LoadLocalString(language_, number, text);
    if (result != 0) {
        return result;
    }
    text += " " + Bracketed(a) + Bracketed(b) + Bracketed(c);
    sink_->ShowOk(text);
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
    sink_->ShowOk(text);
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
    sink_->ShowOk(text);
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
