#include "cli/qx7log/LogExportCommand.h"

#include <cerrno>
#include <cstring>

#include "cli/common/StandardOutput.h"
#include "cli/common/StderrMessageSink.h"
#include "cli/qx7log/LogToolSupport.h"
#include "core/export/LogExportRun.h"
#include "platform/SystemLocalTime.h"

namespace qx7::cli {
namespace {

// "qx7log: <file>: <message (number)(cause)>" on standard error.
void ReportFailure(const LogToolContext& context, const std::string& file, int number,
                   const std::string& cause) {
    StderrMessageSink sink(context.programName + ": " + file);
    const Messages messages(context.language, sink);
    if (messages.ShowMessageWithText(kMsgFileIoError, number, cause) != 0) {
        sink.ShowOk(cause);
    }
}

// The refusal of an existing output without --force.
void ReportAlreadyExists(const LogToolContext& context, const std::string& path) {
    ReportOutputExists(context.programName, context.language, path);
}

}  // namespace

void AddEntryTypesOption(CLI::App& command, std::string& types) {
    command
        .add_option("--types", types,
                    "Entry types to include: any of e (errors), w (warnings), i (information)")
        ->check(
            [](const std::string& value) {
                return value.find_first_not_of("ewi") == std::string::npos
                           ? std::string()
                           : std::string("the types are letters of e, w and i");
            },
            "SET");
}

LogTypeFilter EntryTypesFromLetters(const std::string& types) {
    LogTypeFilter filter;
    filter.errors = types.find('e') != std::string::npos;
    filter.warnings = types.find('w') != std::string::npos;
    filter.information = types.find('i') != std::string::npos;
    return filter;
}

void AddLogExportOptions(CLI::App& command, LogExportRequest& request) {
    command.add_option("LOG", request.logPath, "The saved printer log (.log, .zlg or a bare log)")
        ->required();
    command.add_option("-o,--output", request.outPath,
                       "The file to write; - writes to standard output");
    AddEntryTypesOption(command, request.types);
    command.add_flag("--force", request.force, "Replace an existing output file");
}

int RunLogExport(const LogToolContext& context, const LogExportRequest& request) {
    const int failureNumber = request.csv ? kCodeCsvExportFailed : kCodeTextExportFailed;
    bool knownEncoding = false;
    const auto encoder = EncoderFor(context.encoding, knownEncoding);
    if (!knownEncoding) {
        std::fprintf(stderr, "%s: unknown encoding: %s\n", context.programName.c_str(),
                     context.encoding.c_str());
        return kExitUsage;
    }
    const std::string outPath = !request.outPath.empty()
                                    ? request.outPath
                                    : (request.csv ? MakeDefaultCsvPath(request.logPath)
                                                   : MakeTextExportPath(request.logPath));

    LogExportJob job;
    job.logPath = request.logPath;
    job.csv = request.csv;
    job.language = context.language;
    job.options.types = EntryTypesFromLetters(request.types);
    job.options.extendedData = request.extendedData;
    job.options.encoder = encoder.get();
    const bool toStandardOutput = outPath == "-";
    if (toStandardOutput) {
        job.stream = stdout;
    } else {
        job.outPath = outPath;
        job.existing = request.force ? ExistingTarget::kReplace : ExistingTarget::kKeep;
    }
    LogExportOutcome outcome = ExportLogFile(job, SystemLocalTime());
    if (outcome.failure == LogExportFailure::kNone && toStandardOutput && !FlushStandardOutput()) {
        outcome.failure = LogExportFailure::kWrite;
        outcome.writeError = 0;
    }
    if (outcome.failure == LogExportFailure::kNone) {
        return kExitSuccess;
    }
    if (toStandardOutput) {
        FlushStandardOutput();
    }
    const int writeError = outcome.writeError;
    if (outcome.failure == LogExportFailure::kOutput) {
        if (outcome.output.failure == OutputFailure::kExists) {
            ReportAlreadyExists(context, outPath);
        } else {
            ReportFailure(context, outPath, failureNumber, outcome.cause);
        }
    } else if (outcome.failure == LogExportFailure::kOpen) {
        ReportLogOpenFailure(context.programName, request.logPath, outcome.openAnswer,
                             outcome.openError, outcome.cause);
    } else if (outcome.failure == LogExportFailure::kRead) {
        ReportFailure(context, request.logPath, failureNumber, outcome.cause);
    } else if (toStandardOutput) {
        EndIfClosedPipe(writeError);
        ReportFailure(context, outPath, failureNumber,
                      writeError != 0 ? std::string("cannot write to standard output: ") +
                                            std::strerror(writeError)
                                      : StandardOutputFailure());
    } else if (writeError == EEXIST && !request.force) {
        ReportAlreadyExists(context, outPath);  // it appeared while the export ran
    } else {
        ReportFailure(context, outPath, failureNumber, outcome.cause);
    }
    return kExitFailure;
}

}  // namespace qx7::cli
