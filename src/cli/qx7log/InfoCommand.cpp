// qx7log info LOG: the log file information, as the information dialog shows it.

#include <cstdio>

#include "cli/common/StderrMessageSink.h"
#include "cli/qx7log/ListingOutput.h"
#include "cli/qx7log/LogCommand.h"
#include "core/app/Messages.h"
#include "core/log/LogFileInfo.h"
#include "core/log/QXLogFile.h"
#include "platform/posix/PosixLocalTime.h"

namespace qx7::cli {
namespace {

// The file's own words for the reader's opening codes.
const char* OpenFailure(int code) {
    switch (code) {
        case -1: return "cannot be opened for reading";
        case -2: return "the temporary copy beside it cannot be created";
        case -3: return "read error while copying the compressed data";
        case -4: return "the temporary copy cannot be written";
        case -5: return "the compressed data is damaged";
        case -6: return "the inflated copy cannot be written";
        case -7: return "the compressed data is damaged or incomplete";
        case -8: return "the inflated copy cannot be created";
        case -9: return "the compressed data cannot be read";
        default: return "cannot be read";
    }
}

struct InfoOptions {
    std::string log;
};

const LogCommandRegistration kInfo(30, [](CLI::App& root) {
    auto options = std::make_shared<InfoOptions>();
    CLI::App* command = root.add_subcommand("info", "Print the log file information");
    command->add_option("LOG", options->log, "Saved log file (.log, .zlg)")->required();
    return LogCommand{command, [options](const LogToolContext& context) {
        StderrMessageSink sink(context.programName);
        const Messages messages(context.language, sink);
        const PosixLocalTime clock;
        CQXLogFile reader(messages, clock);
        std::string header;
        const int opened = reader.ReadHeaderText(options->log, header);
        if (opened < 0) {
            reader.Close();
            std::fprintf(stderr, "%s: %s: %s (%d)\n", context.programName.c_str(),
                         options->log.c_str(), OpenFailure(opened), opened);
            return kExitFailure;
        }
        // A bare log has no information blocks: nothing to print.
        const std::string info =
            opened == 1 ? BuildLogFileInformation(reader, header, clock) : std::string();
        reader.Close();
        bool unknownEncoding = false;
        if (PrintListing(info, context.encoding, unknownEncoding)) {
            return kExitSuccess;
        }
        if (unknownEncoding) {
            std::fprintf(stderr, "%s: unknown encoding: %s\n", context.programName.c_str(),
                         context.encoding.c_str());
            return kExitUsage;
        }
        return kExitFailure;
    }};
});

}  // namespace
}  // namespace qx7::cli
