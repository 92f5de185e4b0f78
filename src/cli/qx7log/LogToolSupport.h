#pragma once
// What every qx7log command that reads a log or writes a file shares: opening a saved log for
// its entries, the refusal of an existing output, the output encoding and interruption by signals.

#include <cstdio>
#include <memory>
#include <string>

#include "core/text/Messages.h"
#include "core/base/TextEncoder.h"
#include "core/output/ExportOutput.h"
#include "core/output/OutputFile.h"
#include "core/log/LogOpening.h"
#include "core/log/QXLogFile.h"

namespace qx7::cli {

// The encoder for --encoding: nullptr for UTF-8 (written as core holds it), an iconv encoder
// otherwise. `known` is false for a name iconv does not know.
std::unique_ptr<ITextEncoder> EncoderFor(const std::string& name, bool& known);

// From now on SIGINT, SIGTERM and SIGHUP remove the named temporaries of the program and then
// end it as the signal does by default (the exit status shows the signal); a closed pipe on
// standard output ends it the same way by SIGPIPE, quietly (HoldClosedPipeSignal); SIGXFSZ is
// ignored, so that a file-size limit is a write error ("File too large") the command reports.
// On Windows the console's Ctrl+C, Ctrl+Break and close do the same.
void CatchInterrupts();

// A log that could not be opened, on standard error: "<prefix>: cannot open <log>: <cause>"
// when the system refused it (answer -1), else "<prefix>: <log>: <cause>".
void ReportLogOpenFailure(const std::string& prefix, const std::string& log, int answer, int error,
                          const std::string& cause);
void ReportLogOpenFailure(const std::string& prefix, const std::string& log,
                          const LogOpenFailure& failure);

// The string of the refusal of an existing output without --force.
inline constexpr int kStringOutputExists = 5800;
// "<path> exists; use --force to replace it" in the language.
std::string OutputExistsText(LanguageId language, const std::string& path);
// That text on standard error after "<prefix>: ".
void ReportOutputExists(const std::string& prefix, LanguageId language, const std::string& path);

// A folder given as the log: says so on standard error ("<prefix>: <log>: is a folder, not a
// log file") and answers true.
bool IsFolderNotLog(const std::string& log, const std::string& prefix);

}  // namespace qx7::cli
