#include "cli/qx7log/ListingOutput.h"

#include <cstdio>

#include "cli/common/StandardOutput.h"
#include "cli/qx7log/LogToolSupport.h"

namespace qx7::cli {

std::string WithLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

int PrintListing(const std::string& text, const LogToolContext& context) {
    bool known = false;
    const auto encoder = EncoderFor(context.encoding, known);
    if (!known) {
        std::fprintf(stderr, "%s: unknown encoding: %s\n", context.programName.c_str(),
                     context.encoding.c_str());
        return kExitUsage;
    }
    std::string out = WithLineFeeds(text);
    if (StandardOutputIsTerminal()) {
        out = ForTerminal(out);  // a log's texts may hold escape sequences
    }
    if (encoder) {
        out = encoder->FromUtf8(out);
    }
    if (!WriteStandardOutput(out) || !FlushStandardOutput()) {
        ReportStandardOutputFailure(context.programName);
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace qx7::cli
