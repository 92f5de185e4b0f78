#pragma once
// What every qx7log command that reads a log or writes a file shares: opening a saved log for
// its entries, the rules for output files, the output encoding and interruption by signals.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/app/Messages.h"
#include "core/base/AtomicOutputFile.h"
#include "core/base/TextEncoder.h"
#include "core/log/QXLogFile.h"

namespace qx7::cli {

// Keeps the messages core shows so that a command can fold them into its one error line.
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

// An output file of a command: "-" is standard output; an existing path is replaced only when
// forced, and never when it is the log being read; the file appears only once complete.
class ToolOutput {
public:
    // false with `cause` filled; `alreadyExists` tells the refusal of an existing path.
    bool Open(const std::string& path, const std::string& inputPath, bool force,
              std::string& cause, bool& alreadyExists);
    std::FILE* Stream() const;
    bool IsStandardOutput() const { return toStdout_; }
    // Moves the file into place (flushes standard output); false on any write error.
    bool Commit();
    void Abandon();

private:
    bool toStdout_ = false;
    AtomicOutputFile file_;
};

// The encoder for --encoding: nullptr for UTF-8 (written as core holds it), an iconv encoder
// otherwise. `known` is false for a name iconv does not know.
std::unique_ptr<ITextEncoder> EncoderFor(const std::string& name, bool& known);

// Catches SIGINT, SIGTERM and SIGHUP from now on so that a long command can clean up (the flag
// tells whether one arrived), and ignores SIGPIPE so that a closed pipe is a write error.
void CatchInterrupts();
bool Interrupted();

}  // namespace qx7::cli
