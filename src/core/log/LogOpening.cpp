#include "core/log/LogOpening.h"
#include "core/base/FileSystem.h"

#include <cerrno>
#include <cstring>

#include "core/app/Messages.h"
#include "core/log/LogDecompress.h"
#include "core/log/LogFileAccess.h"

namespace qx7 {

std::string OpenFailureCause(int answer) {
    if (answer == -1) {
        const int error = errno;
        return std::string("cannot open: ") + std::strerror(error != 0 ? error : ENOENT);
    }
    if (answer == kLogNotRegularFile) {
        return "is not a regular file";
    }
    return DecompressCause(answer) + " (" + std::to_string(answer) + ")";
}

std::string DecompressCause(int answer) {
    const std::string folder = TemporaryFolder();
    switch (answer) {
        case -2:
            return "cannot create a temporary file in " + folder;
        case -3:
            return "cannot read the compressed data";
        case -4:
        case -6:
            return "cannot write the temporary file in " + folder;
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

bool OpenLogEntries(CQXLogFile& reader, const std::string& path,
                    const CollectingMessageSink& readerMessages, std::string& cause) {
    if (LookThroughPath(path) == PathKind::kFolder) {
        cause = "is a folder, not a log file";
        return false;
    }
    const int kind = reader.Open(path);
    bool opened = false;
    if (kind == 1) {
        opened = reader.OpenLogData();
    } else if (kind == 0) {
        // A bare log is log data from its first byte to its last, and that has a bound.
        if (reader.FileSize() >= kMaxLogDataBytes) {
            cause = "is too large to be a log (over " + std::to_string(kMaxLogDataBytes >> 30) +
                    " GiB)";
            return false;
        }
        opened = reader.OpenRawLog(path);
    } else {
        cause = OpenFailureCause(kind);
        return false;
    }
    if (!opened) {
        cause = readerMessages.shown.empty() ? std::string("holds no log entries")
                                             : readerMessages.OneLineText();
        return false;
    }
    return true;
}

}  // namespace qx7
