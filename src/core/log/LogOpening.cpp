#include "core/log/LogOpening.h"
#include "core/base/FileSystem.h"

#include <cerrno>
#include <cstring>

#include "core/text/Messages.h"
#include "core/log/LogDecompress.h"
#include "core/log/LogFileAccess.h"

namespace qx7 {

std::string SystemErrorText(int error) {
    return std::strerror(error);
}

std::string OpenFailureCause(int answer, int error) {
    switch (answer) {
        case -1:
            // Only a failure to open comes without errno when a caller lost it: say what it was.
            return error != 0 ? "cannot open: " + SystemErrorText(error) : "cannot open";
        case kLogNotRegularFile:
            return "is not a regular file";
        case kLogInflatesTooLarge:
            return "is too large to be a log (it inflates to over " +
                   std::to_string(kMaxInflatedBytes >> 30) + " GiB)";
        case kLogHeaderCut:
            return "is damaged: it ends within its header and holds no log entries";
        default:
            return DecompressCause(answer, error) + " (" + std::to_string(answer) + ")";
    }
}

std::string DecompressCause(int answer, int error) {
    const std::string folder = TemporaryFolder();
    const std::string because = error != 0 ? ": " + SystemErrorText(error) : std::string();
    switch (answer) {
        case -2:
            return "cannot create a temporary file in " + folder + because;
        case -3:
            return "cannot read the compressed data" + because;
        case -4:
        case -6:
            return "cannot write the temporary file in " + folder + because;
        case -5:
        case -7:
            return "the compressed data is damaged";
        case -8:
            return "cannot create the decompressed temporary file";
        case -9:
            return "cannot read the compressed data";
        default:
            return "cannot decompress";
    }
}

std::string CollectingMessageSink::OneLineText() const {
    std::string text;
    for (const std::string& message : shown) {
        if (!text.empty()) {
            text += "; ";
        }
        text += OneLine(message);
    }
    return text;
}

bool OpenLogEntries(CQXLogFile& reader, const std::string& path, LanguageId language,
                    std::string& cause) {
    LogOpenFailure failure;
    const bool opened = OpenLogEntries(reader, path, language, failure);
    cause = std::move(failure.cause);
    return opened;
}

bool OpenLogEntries(CQXLogFile& reader, const std::string& path, LanguageId language,
                    LogOpenFailure& failure) {
    failure = LogOpenFailure();
    if (LookThroughPath(path) == PathKind::kFolder) {
        failure.answer = kLogNotRegularFile;
        failure.cause = "is a folder, not a log file";
        return false;
    }
    return OpenLogEntries(reader, LogSource::File(path), language, failure);
}

bool OpenLogEntries(CQXLogFile& reader, const LogSource& source, LanguageId language,
                    LogOpenFailure& failure) {
    failure = LogOpenFailure();
    std::string& cause = failure.cause;
    // The entries are scanned while the log inflates; a failed inflate still answers as Open.
    reader.InflateWhileReading();
    const int kind = reader.Open(source);
    bool opened = false;
    if (kind == 1) {
        opened = reader.OpenLogData();
        if (const int inflated = reader.FinishInflate(); inflated != 0) {
            failure.answer = inflated;
            failure.error = reader.OpenError();
            cause = OpenFailureCause(inflated, failure.error);
            reader.Close();
            return false;
        }
    } else if (kind == 0) {
        // A bare log is log data from its first byte to its last, and that has a bound.
        if (reader.FileSize() >= kMaxLogDataBytes) {
            cause = "is too large to be a log (over " + std::to_string(kMaxLogDataBytes >> 30) +
                    " GiB)";
            return false;
        }
        opened = reader.OpenRawLog(source);
    } else {
        failure.answer = kind;
        failure.error = reader.OpenError();
        cause = OpenFailureCause(kind, failure.error);
        return false;
    }
    if (!opened) {
        cause = reader.Report().Cause(language);
        if (cause.empty()) {
            cause = "holds no log entries";
        }
        return false;
    }
    return true;
}

}  // namespace qx7
