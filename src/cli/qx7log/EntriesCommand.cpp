// qx7log entries LOG: the entry browser's filtered view, one entry a line, or JSON lines.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/qx7log/ListingOutput.h"
#include "cli/qx7log/LogCommand.h"
#include "cli/qx7log/LogExportCommand.h"
#include "cli/qx7log/LogToolSupport.h"
#include "core/text/AsciiText.h"
#include "core/export/EntryBrowsing.h"
#include "core/log/DateArgument.h"
#include "platform/SystemLocalTime.h"

namespace qx7::cli {
namespace {

struct EntriesOptions {
    std::string log;
    std::string types = "ewi";
    std::vector<std::string> codes;
    std::string from;
    std::string to;
    std::string grep;
    bool json = false;
    bool extendedData = false;
};

// Lines are handed to the output in pieces of about this size.
constexpr std::size_t kPieceBytes = 1 << 16;

// The forms --from and --to take, for the usage message.
constexpr char kTimeForms[] = "YYYY-MM-DD or Y/M/D, then [THH:MM[:SS]][Z]";

// One entry stays one line whatever its texts hold: a line feed or carriage return in them
// becomes '?'. Other control bytes stay for a file or a pipe (a terminal gets them as '?').
std::string OneEntryLine(std::string line) {
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = '?';
        }
    }
    return line;
}

int Usage(const LogToolContext& context, const std::string& text) {
    std::fprintf(stderr, "%s: entries: %s\n", context.programName.c_str(), text.c_str());
    return kExitUsage;
}

int RunEntries(const LogToolContext& context, const EntriesOptions& options) {
    // JSON is always UTF-8: only an encoding the user named is refused, not the system's.
    if (options.json && context.encodingGiven && AsciiLower(context.encoding) != "utf-8" &&
        AsciiLower(context.encoding) != "utf8") {
        return Usage(context, "JSON is written in UTF-8; leave out --encoding");
    }
    const SystemLocalTime clock;
    EntryFilter filter;
    filter.types = EntryTypesFromLetters(options.types);
    for (const std::string& text : options.codes) {
        const auto code = ParseEntryCode(text);
        if (!code) {
            return Usage(context, "a code is up to 8 hexadecimal digits: " + text);
        }
        filter.codes.push_back(*code);
    }
    // A range reaching beyond what a printer can stamp is cut to it; one wholly beyond
    // selects nothing.
    bool selectsNothing = false;
    for (const bool start : {true, false}) {
        const std::string& text = start ? options.from : options.to;
        if (text.empty()) {
            continue;
        }
        const auto argument = ParseDateArgument(text);
        if (!argument) {
            return Usage(context, "not a time (" + std::string(kTimeForms) + "): " + text);
        }
        const std::int64_t seconds = UnixSecondsOfArgument(*argument, clock, !start);
        const PrinterTimeBound bound =
            start ? PrinterRangeStart(seconds) : PrinterRangeEnd(seconds);
        selectsNothing = selectsNothing || bound.empty;
        (start ? filter.from : filter.to) = bound.value;
    }

    CQXLogFile reader(clock);
    LogOpenFailure failure;
    if (!OpenLogEntries(reader, options.log, context.language, failure)) {
        reader.Close();
        ReportLogOpenFailure(context.programName, options.log, failure);
        return kExitFailure;
    }

    // One pass in log order, as the browser lists them; nothing is kept but the piece.
    const LogTextContext textContext(context.language, clock);
    bool readFailed = false;
    LogToolContext outputContext = context;
    if (options.json) {
        outputContext.encoding = "UTF-8";
    }
    int code = StreamListing(outputContext, [&](const ListingPieceWriter& write) {
        CQXLogEntry entry;
        LogEntryRow row;
        std::string piece;
        for (std::size_t number = 0;; ++number) {
            const int read = reader.ReadEntry(entry);
            if (read != 1) {
                readFailed = read != 0;
                break;
            }
            const IndexedEntry indexed{0, entry.time, entry.code,
                                       static_cast<std::uint8_t>(entry.type)};
            if (selectsNothing || !PassesFilter(indexed, filter)) {
                continue;
            }
            MakeLogEntryRow(entry, number, textContext, options.extendedData, row);
            if (!RowContains(row, options.grep)) {
                continue;
            }
            piece += options.json ? FormatRowJson(row, entry.time, textContext)
                                  : OneEntryLine(FormatRowLine(row));
            piece += "\r\n";
            if (piece.size() >= kPieceBytes) {
                if (!write(piece)) {
                    return;
                }
                piece.clear();
            }
        }
        if (!piece.empty()) {
            write(piece);
        }
    });
    reader.Close();
    if (readFailed) {
        std::fprintf(stderr, "%s: %s: read error in the log data\n", context.programName.c_str(),
                     options.log.c_str());
        code = kExitFailure;
    }
    return code;
}

const LogCommandRegistration kEntries(35, [](CLI::App& root) {
    auto options = std::make_shared<EntriesOptions>();
    CLI::App* command = root.add_subcommand(
        "entries", "Print the entries a filter selects, in log order (as the entry browser)");
    command->add_option("LOG", options->log, "Saved log file (.log, .zlg or a bare log)")
        ->required();
    AddEntryTypesOption(*command, options->types);
    command->add_option("--code", options->codes,
                        "Only entries with this code (8 hexadecimal digits; repeatable)");
    command->add_option("--from", options->from,
                        "Entries at or after this time: YYYY-MM-DD or Y/M/D, optionally "
                        "followed by THH:MM[:SS]; local time, or UTC with a final Z");
    command->add_option("--to", options->to,
                        "Entries at or before this time (a date alone: its whole day)");
    command->add_option("--grep", options->grep,
                        "Only entries whose description, parameters or code hold this text "
                        "(ASCII letters in either case)");
    command->add_flag("--json", options->json,
                      "One JSON object a line: number, utc, local, code, type, text, parameters");
    command->add_flag("--ext", options->extendedData,
                      "The raw parameter words instead of the decoded parameters");
    return LogCommand{command, [options](const LogToolContext& context) {
                          return RunEntries(context, *options);
                      }};
});

}  // namespace
}  // namespace qx7::cli
