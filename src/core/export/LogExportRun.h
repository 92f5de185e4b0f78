#pragma once
// One export of a saved log from its path into an output, as the front ends run it: the output
// opened (OpenOutput's refusals), the log opened for its entries (the reader's messages
// gathered into the cause), the text or CSV export, the log closed again (a compressed log's
// temporary copy goes) and the output put in place. A failure leaves no output behind.

#include <cstdio>
#include <functional>
#include <string>

#include "core/text/Language.h"
#include "core/base/LocalTime.h"
#include "core/export/LogExport.h"
#include "core/output/OutputFile.h"

namespace qx7 {

enum class LogExportFailure {
    kNone,
    kOutput,  // the output was refused or could not be made (`output` tells)
    kOpen,    // the log could not be opened for its entries
    kRead,    // the log failed to read midway
    kWrite,   // the output took fewer bytes, could not be put in place, or the export stopped
};

struct LogExportOutcome {
    LogExportFailure failure = LogExportFailure::kNone;
    // Why, in words: OpenOutput's cause, OpenLogEntries's cause, ReadFailedCause or
    // CannotWriteCause.
    std::string cause;
    // kOutput: what OpenOutput answered.
    OutputOpening output;
    // kWrite: the errno of the write or of the commit (0 when none was left).
    int writeError = 0;
    // kOpen: what the reader answered and the system's cause (LogOpening.h's LogOpenFailure).
    int openAnswer = 0;
    int openError = 0;
    ExportCounts counts;
};

struct LogExportJob {
    std::string logPath;
    bool csv = false;  // else text
    LanguageId language = kEnglish;
    LogExportOptions options;
    // The output, never the log itself; an existing one is replaced only with kReplace (the
    // user's consent is the caller's to get).
    std::string outPath;
    ExistingTarget existing = ExistingTarget::kKeep;
    // Instead of outPath: a stream the caller owns and flushes after a success (standard
    // output).
    std::FILE* stream = nullptr;
    // Optional: the log is open and holds this many entries (a progress window's range).
    std::function<void(int entryCount)> opened;
    // Optional: the export is over and the log closed, before the output is put in place.
    std::function<void()> exported;
};

LogExportOutcome ExportLogFile(const LogExportJob& job, const ILocalTime& clock);

}  // namespace qx7
