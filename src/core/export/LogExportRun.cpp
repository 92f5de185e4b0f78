#include "core/export/LogExportRun.h"

#include <cerrno>

#include "core/output/ExportOutput.h"
#include "core/log/LogOpening.h"
#include "core/log/LogTextContext.h"
#include "core/log/QXLogFile.h"

namespace qx7 {

LogExportOutcome ExportLogFile(const LogExportJob& job, const ILocalTime& clock) {
    LogExportOutcome outcome;
    AtomicOutputFile file;  // dropped on every way out but a successful Commit
    std::FILE* out = job.stream;
    if (out == nullptr) {
        outcome.output = OpenOutput(file, job.outPath, job.logPath, job.existing);
        if (!outcome.output.Opened()) {
            outcome.failure = LogExportFailure::kOutput;
            outcome.cause = outcome.output.cause;
            return outcome;
        }
        out = file.Stream();
    }
    CQXLogFile reader(clock);
    LogOpenFailure openFailure;
    if (!OpenLogEntries(reader, job.logPath, job.language, openFailure)) {
        reader.Close();
        outcome.failure = LogExportFailure::kOpen;
        outcome.cause = std::move(openFailure.cause);
        outcome.openAnswer = openFailure.answer;
        outcome.openError = openFailure.error;
        return outcome;
    }
    if (job.opened) {
        job.opened(reader.GetEntryCount());
    }

    const LogTextContext textContext(job.language, clock);
    // A failed write leaves its errno; anything from before would be taken for it.
    errno = 0;
    int result = job.csv ? ExportCsv(reader, out, textContext, job.options, &outcome.counts)
                         : ExportText(reader, out, textContext, job.options, &outcome.counts);
    outcome.writeError = errno;
    reader.Close();
    if (job.exported) {
        job.exported();
    }

    if (result == kExportOk && job.stream == nullptr && !file.Commit()) {
        result = kExportWriteFailed;
        outcome.writeError = file.Error();
    }
    if (result == kExportOk) {
        outcome.writeError = 0;
        return outcome;
    }
    if (result == kExportReadFailed) {
        outcome.failure = LogExportFailure::kRead;
        outcome.cause = ReadFailedCause(outcome.counts.entriesRead);
    } else {
        outcome.failure = LogExportFailure::kWrite;
        outcome.cause = CannotWriteCause(outcome.writeError);
    }
    return outcome;
}

}  // namespace qx7
