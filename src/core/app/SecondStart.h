#pragma once
// A second start of the window while a copy runs: what it hands over to the running copy, how
// that request travels as bytes, where the running copy opens a handed-over log, and the
// message a second start shows when the running copy cannot be reached.

#include <cstddef>
#include <string>
#include <string_view>

#include "core/text/Language.h"

namespace qx7 {

// "QX-7ServiceTool.exe has already started."
inline constexpr int kMsgAlreadyStarted = 389;
// The program's name in the texts of message 389.
inline constexpr std::string_view kWindowsProgramName = "QX-7ServiceTool.exe";

// The program's name as the user starts it: the last part of the path it was started by.
std::string ProgramName(std::string_view startPath, char separator);

// Message 389 in the language, naming programName where the texts name the Windows program;
// an empty name leaves the texts as they are. Empty when the table has no such entry.
std::string AlreadyStartedText(LanguageId language, std::string_view programName);

// What a second start asks of the running copy: come to the front, and open the log when one
// is named (its path as the file system's bytes).
struct HandOverRequest {
    std::string logPath;  // empty: come to the front only
};

// Bytes on the wire: "QX7H", version 1, kind ('A' come to the front, 'L' open a log), the
// path's length as four bytes (most significant first), the path. The answer is one byte.
inline constexpr std::size_t kHandOverHeaderSize = 10;
inline constexpr std::size_t kHandOverMaxPath = 16384;
inline constexpr char kHandOverAccepted = 'K';

std::string EncodeHandOver(const HandOverRequest& request);

// A log named relative to the folder the second start ran in means nothing to the running
// copy, which runs elsewhere: the path made absolute with that folder (bytes kept; an empty
// path or an absolute one stays as it is).
std::string HandedLogPath(const std::string& path, const std::string& currentFolder);

enum class HandOverParse {
    kIncomplete,  // a correct beginning; more bytes are needed
    kComplete,    // exactly one whole request
    kInvalid,     // anything else: the connection is dropped
};
// Reads a request from all bytes received so far. A path holding a NUL byte, a length beyond
// kHandOverMaxPath or bytes after the request are invalid.
HandOverParse ParseHandOver(std::string_view bytes, HandOverRequest& request);

// Where the running copy opens a handed-over log.
enum class HandedLogPlace {
    kLogPage,       // the wizard walks the saved-log road to the log page (225)
    kEntryBrowser,  // a window of its own; the wizard stays where it is
};

// What the running copy is doing when a log arrives.
struct RunningWindowState {
    bool wizardShown = false;  // false when the entry browser alone runs (--browse)
    int currentPage = 0;       // the wizard's page template number
    bool busy = false;         // a printer operation runs
    bool dialogOpen = false;   // a dialog (viewer, message) stands over the wizard
};

// The log page when nothing is lost by going there: the wizard shows a menu page (133 or 156,
// where no procedure has begun) or is already on the saved-log road (178, 225), with nothing
// running and no dialog over it. Everywhere else a procedure is under way, and the log opens in
// an entry browser beside it.
HandedLogPlace PlaceForHandedLog(const RunningWindowState& state);

}  // namespace qx7
