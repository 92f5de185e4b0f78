#pragma once
// Opening a saved log for its entries, with the reason in words when it cannot be: what every
// front end that reads entries (the command line's listings and exports, the window's export)
// tells the user.

#include <string>
#include <vector>

#include "core/text/MessageSink.h"
#include "core/log/QXLogFile.h"

namespace qx7 {

// Keeps the messages shown so that a front end can fold them into its one report.
class CollectingMessageSink final : public IMessageSink {
  public:
    void ShowOk(const std::string& text) override { shown.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        shown.push_back(text);
        return false;
    }
    // All messages in one line, or empty.
    std::string OneLineText() const;

    std::vector<std::string> shown;
};

// Why a log could not be opened for its entries: the front end words its report from this.
struct LogOpenFailure {
    // What the reader's Open answered (-1 cannot open, -2 .. -12, LogFileAccess.h), or 0 when
    // the file opened but gave no entries (its messages or "holds no log entries" in `cause`).
    int answer = 0;
    // The system's errno behind it, 0 when none (damaged data is no system error).
    int error = 0;
    // The whole reason in words, as OpenFailureCause gives it ("cannot open: <cause>" ...).
    std::string cause;
};

// Opens a saved log for reading its entries in the reader's order: Open, then OpenLogData for a
// container or OpenRawLog for a bare log. On failure `failure` says why, with the reader's
// messages (its Report) in `language`.
bool OpenLogEntries(CQXLogFile& reader, const std::string& path, LanguageId language,
                    LogOpenFailure& failure);
// The same for a file or for bytes in memory, without the path's check for a folder.
bool OpenLogEntries(CQXLogFile& reader, const LogSource& source, LanguageId language,
                    LogOpenFailure& failure);
// The same with the reason in words only.
bool OpenLogEntries(CQXLogFile& reader, const std::string& path, LanguageId language,
                    std::string& cause);

// Why the reader's Open, ReadHeaderText or LoadStatisticsRecords answered `answer` (-1 .. -12),
// in words, with the system's cause `error` (an errno; 0 when none is known).
std::string OpenFailureCause(int answer, int error);
// The decompression failures (-2 .. -9) in words, with the system's cause when known.
std::string DecompressCause(int answer, int error = 0);
// The system's text of an errno ("No such file or directory").
std::string SystemErrorText(int error);

}  // namespace qx7
