#include "core/export/LogExportRun.h"

#include <cerrno>

#include "core/text/Messages.h"
#include "core/output/ExportOutput.h"
#include "core/log/LogOpening.h"
#include "core/log/LogTextContext.h"
#include "core/log/QXLogFile.h"

namespace qx7 {

LogExportOutcome ExportLogFile(const LogExportJob& job, const ILocalTime& clock) {
    LogExportOutcome outcome;
    CollectingMessageSink readerSink;
    const Messages readerMessages(job.language, readerSink);
    CQXLogFile reader(readerMessages, clock);
    LogOpenFailure openFailure;
    if (!OpenLogEntries(reader, job.logPath, readerSink, openFailure)) {
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
    int result = job.csv ? ExportCsv(reader, job.out, textContext, job.options, &outcome.counts)
                         : ExportText(reader, job.out, textContext, job.options, &outcome.counts);
    outcome.writeError = errno;
    reader.Close();
    if (job.exported) {
        job.exported();
    }

    if (result == kExportOk && !job.commit()) {
        result = kExportWriteFailed;
        outcome.writeError = job.commitError();
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
