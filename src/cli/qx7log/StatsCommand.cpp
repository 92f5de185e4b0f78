// qx7log stats: the day and the job statistics of a log as two CSV files.

#include <cstdio>
#include <filesystem>
#include <optional>

#include "cli/common/StderrMessageSink.h"
#include "cli/qx7log/LogCommand.h"
#include "cli/qx7log/LogToolSupport.h"
#include "core/text/Messages.h"
#include "core/base/FileSystem.h"
#include "core/base/PathText.h"
#include "core/export/StatisticsFiles.h"
#include "core/log/DateArgument.h"
#include "platform/SystemLocalTime.h"
#include "platform/TextEncoding.h"

namespace qx7::cli {
namespace {

struct StatsOptions {
    std::string log;
    std::string from;
    std::string to;
    std::string comment;
    bool semicolon = false;
    std::string folder;
    std::string dayName;
    std::string jobName;
    bool force = false;
    std::string encoding;  // the command's own --encoding; else qx7log's
    CLI::Option* encodingOption = nullptr;
    // Given names are used as they are, an empty one included (it is refused as a name).
    CLI::Option* dayOption = nullptr;
    CLI::Option* jobOption = nullptr;
};

// A day of the range: "Y/M/D" or "YYYY-MM-DD" (the entry listing's form), without a time of
// day; nullopt otherwise.
std::optional<StatisticsDateInput> ParseDate(const std::string& text) {
    const auto argument = ParseDateArgument(text);
    if (!argument || argument->hasTime || argument->utc) {
        return std::nullopt;
    }
    return StatisticsDateInput{static_cast<std::uint32_t>(argument->time.year),
                               static_cast<std::uint32_t>(argument->time.month),
                               static_cast<std::uint32_t>(argument->time.day)};
}

std::string CurrentDirectory() {
    std::error_code error;
    const auto path = std::filesystem::current_path(error);
    return error ? std::string(".") : Utf8FromPath(path);
}

int Run(const StatsOptions& options, const LogToolContext& context) {
    const std::string prefix = context.programName + " stats";
    // "qx7log --encoding X stats" and "qx7log stats --encoding X" mean the same.
    const std::string& encoding =
        options.encodingOption->count() > 0 ? options.encoding : context.encoding;
    auto encoder = MakeTextEncoder(encoding);
    if (!encoder) {
        std::fprintf(stderr, "%s: unknown encoding: %s\n", prefix.c_str(), encoding.c_str());
        return kExitUsage;
    }
    StatisticsSaveRequest request;
    std::string suffix = ".csv";
    if (!options.from.empty() || !options.to.empty()) {
        const auto start = ParseDate(options.from);
        const auto end = ParseDate(options.to);
        if (options.from.empty() || options.to.empty()) {
            std::fprintf(stderr, "%s: --from and --to go together\n", prefix.c_str());
            return kExitUsage;
        }
        if (!start || !end || !IsValidRangeInput(*start, *end)) {
            std::fprintf(stderr,
                         "%s: dates are Y/M/D or YYYY-MM-DD with years %u to %u, months 1 to "
                         "12, days 1 to 31\n",
                         prefix.c_str(), kFirstRangeYear, kLastRangeYear);
            return kExitUsage;
        }
        request.range = MakeDateRange(*start, *end);
        suffix = MakeRangeSuffix(true, *start, *end);
    }
    request.folder = options.folder.empty()
                         ? DefaultStatisticsFolder(options.log, CurrentDirectory())
                         : options.folder;
    request.dayFileName =
        options.dayOption->count() == 0 ? DefaultDayFileName(options.log, suffix) : options.dayName;
    request.jobFileName =
        options.jobOption->count() == 0 ? DefaultJobFileName(options.log, suffix) : options.jobName;
    request.semicolon = options.semicolon;
    request.comment = options.comment;

    const std::string dayPath = StatisticsFilePath(request.folder, request.dayFileName);
    const std::string jobPath = StatisticsFilePath(request.folder, request.jobFileName);
    if (request.dayFileName == request.jobFileName || SameFile(dayPath, jobPath)) {
        std::fprintf(stderr, "%s: --day and --job name the same file: %s\n", prefix.c_str(),
                     dayPath.c_str());
        return kExitUsage;
    }
    if (IsFolderNotLog(options.log, prefix)) {
        return kExitFailure;
    }
    // Bad names are left to the saving, which reports them by number.
    for (const auto& [name, path] :
         {std::pair{&request.dayFileName, &dayPath}, std::pair{&request.jobFileName, &jobPath}}) {
        const OutputOpening refusal =
            IsUsableFileName(*name) ? CheckOutput(*path, options.log) : OutputOpening();
        if (!refusal.Opened()) {
            std::fprintf(stderr, "%s: %s: %s\n", prefix.c_str(), path->c_str(),
                         refusal.cause.c_str());
            return kExitFailure;
        }
    }

    SystemLocalTime localTime;
    // A log that cannot be read or inflated is a failure, and no file is written; a readable
    // log without records gives files with the header only.
    CLogList records;
    int loadError = 0;
    const int loaded = LoadStatisticsRecords(options.log, records, localTime, &loadError);
    if (loaded < 0) {
        ReportLogOpenFailure(prefix, options.log, loaded, loadError,
                             OpenFailureCause(loaded, loadError));
        return kExitFailure;
    }

    StderrMessageSink sink(prefix, options.force);
    const Messages messages(context.language, sink);
    StatisticsOutputContext output{localTime, *encoder, messages, LocalToday(localTime), nullptr};
    output.confirmOverride = [&](const std::string& path) {
        if (!options.force) {
            ReportOutputExists(prefix, context.language, path);
        }
        return options.force;
    };
    const auto result = SaveStatisticsFiles(records, request, output);
    const bool both = result.day == StatisticsFileOutcome::kWritten &&
                      result.job == StatisticsFileOutcome::kWritten;
    return both ? kExitSuccess : kExitFailure;
}

const LogCommandRegistration kRegistration(60, [](CLI::App& root) {
    auto options = std::make_shared<StatsOptions>();
    CLI::App* command = root.add_subcommand(
        "stats",
        "Write the day and the job statistics of a log as CSV files (exit 1 when the "
        "log cannot be read or a file was not written: bad name, cannot create, "
        "existing without --force)");
    command->add_option("LOG", options->log, "The saved log (.log, .zlg or a bare log)")
        ->required();
    auto* from = command->add_option("--from", options->from,
                                     "First day of the range, Y/M/D or YYYY-MM-DD (with --to)");
    auto* to =
        command->add_option("--to", options->to, "Last day of the range, Y/M/D or YYYY-MM-DD");
    from->needs(to);
    to->needs(from);
    command->add_option("--comment", options->comment, "A comment line at the top of both files");
    command->add_flag("--semicolon", options->semicolon, "Separate fields by semicolons");
    command->add_option("--folder", options->folder, "Output folder (default: the log's folder)");
    options->dayOption = command->add_option("--day", options->dayName,
                                             "Day file name (default: TITLE_D[range].csv)");
    options->jobOption = command->add_option("--job", options->jobName,
                                             "Job file name (default: TITLE_J[range].csv)");
    command->add_flag("--force", options->force, "Replace existing files");
    options->encodingOption =
        command->add_option("--encoding", options->encoding,
                            "Encoding of the files (default: qx7log's --encoding, else " +
                                SystemTextEncodingName() + "; e.g. CP932)");
    return LogCommand{command,
                      [options](const LogToolContext& context) { return Run(*options, context); }};
});

}  // namespace
}  // namespace qx7::cli
