#pragma once
// Opening a saved log for its entries, with the reason in words when it cannot be: what every
// front end that reads entries (the command line's listings and exports, the window's export)
// tells the user.

#include <string>
#include <vector>

#include "core/app/MessageSink.h"
#include "core/log/QXLogFile.h"

namespace qx7 {

// Keeps the messages the reader shows so that a front end can fold them into its one report.
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

// Opens a saved log for reading its entries in the reader's order: Open, then OpenLogData for a
// container or OpenRawLog for a bare log. On failure `cause` says why, in words, with the
// messages the reader showed.
bool OpenLogEntries(CQXLogFile& reader, const std::string& path,
                    const CollectingMessageSink& readerMessages, std::string& cause);

// Why the reader's Open or LoadStatisticsRecords answered `answer` (-1 .. -10), in words; for
// -1 from errno, so call it right after the failing call.
std::string OpenFailureCause(int answer);
// The decompression failures (-2 .. -9) in words.
std::string DecompressCause(int answer);

}  // namespace qx7
