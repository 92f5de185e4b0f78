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
    return StreamListing(context, [&](const ListingPieceWriter& write) { write(text); });
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
    const bool terminal = StandardOutputIsTerminal();
    bool ok = true;
    produce([&](std::string_view lines) {
        std::string out = WithLineFeeds(std::string(lines));
        if (terminal) {
            out = ForTerminal(out);  // a log's texts may hold escape sequences
        }
        if (encoder) {
            out = encoder->FromUtf8(out);
        }
        ok = ok && WriteStandardOutput(out);
        return ok;
    });
    if (!ok || !FlushStandardOutput()) {
        ReportStandardOutputFailure(context.programName);
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace qx7::cli
