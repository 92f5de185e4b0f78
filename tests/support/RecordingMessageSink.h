#pragma once

#include <string>
#include <vector>

#include "core/text/MessageSink.h"

namespace qx7::test {

// Keeps every message shown; answers questions from a script (Yes when the script runs out is
// not assumed: the default answer is set by the test).
class RecordingMessageSink final : public IMessageSink {
public:
    void ShowOk(const std::string& text) override { shown.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        asked.push_back(text);
        askedCaptions.emplace_back();
        return answer;
    }
    bool AskYesNoCaptioned(const std::string& text, const std::string& caption) override {
        asked.push_back(text);
        askedCaptions.push_back(caption);
        return answer;
    }

    std::vector<std::string> shown;
    std::vector<std::string> asked;
    std::vector<std::string> askedCaptions;  // beside `asked`; empty for the program's caption
    bool answer = false;
};

}  // namespace qx7::test
