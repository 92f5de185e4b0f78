#include "cli/common/StderrMessageSink.h"

#include <cstdio>

namespace qx7::cli {

void StderrMessageSink::ShowOk(const std::string& text) {
    ++count_;
    std::fprintf(stderr, "%s: %s\n", prefix_.c_str(), OneLine(text).c_str());
}

bool StderrMessageSink::AskYesNo(const std::string& text) {
    ++count_;
    std::fprintf(stderr, "%s: %s [%s]\n", prefix_.c_str(), OneLine(text).c_str(),
                 answerYes_ ? "yes" : "no");
    return answerYes_;
}

}  // namespace qx7::cli
