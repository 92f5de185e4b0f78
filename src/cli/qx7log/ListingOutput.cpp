#include "cli/qx7log/ListingOutput.h"

#include <cstdio>

#include "cli/common/StandardOutput.h"
#include "cli/qx7log/LogToolSupport.h"

namespace qx7::cli {

std::string WithLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t cr = text.find("\r\n"); cr != std::string::npos;
         cr = text.find("\r\n", from)) {
        out.append(text, from, cr - from);
        from = cr + 1;  // the line feed stays
    }
    out.append(text, from);
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

int StreamListing(const LogToolContext& context,
                  const std::function<void(const ListingPieceWriter&)>& produce) {
    bool known = false;
    const auto encoder = EncoderFor(context.encoding, known);
    if (!known) {
        std::fprintf(stderr, "%s: unknown encoding: %s\n", context.programName.c_str(),
                     context.encoding.c_str());
        return kExitUsage;
    }
    bool ok = true;
    produce([&](std::string_view lines) {
        std::string out = WithLineFeeds(std::string(lines));
        if (encoder) {
            out = encoder->FromUtf8(out);
        }
        ok = ok && std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
        return ok;
    });
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 && ok ? kExitSuccess : kExitFailure;
}

}  // namespace qx7::cli
