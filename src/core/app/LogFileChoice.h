#pragma once
// The saved-log road: the file name check of the log file page (178), dropped files, and which
// viewer buttons the log page (225) shows for the chosen file.

#include <string>
#include <vector>

namespace qx7 {

class CQVJServToolApp;
class ILocalTime;
class Messages;

inline constexpr int kMsgOpenFileFailed = 233;    // "Open file failed. Check file name."
inline constexpr int kMsgEnterLogFileName = 234;  // "Please input the Log File Name."
inline constexpr int kMsgDropOneFile = 235;       // "Please drop only one file."
inline constexpr int kCodeLogFileNotOpened = -10;
inline constexpr int kCodeLogFileNameEmpty = -11;
inline constexpr int kCodeDropNotOneFile = -12;
// "This viewer is not available in this version." (tooltip of a viewer button not built yet)
inline constexpr int kMsgViewerNotAvailable = 5102;

// A file the log pages can go on with: a regular file (or a link to one) that opens for
// reading. Folders, devices and pipes do not count, and nothing is read from the file.
bool IsOpenableLogFile(const std::string& path);

// Next of page 178: stores the name as the app's log file name (also an empty or wrong one),
// then an empty name shows 234 with -11 and a file that cannot be opened 233 with -10, both
// staying; otherwise GoNext(225). Answers what OnWizardNext returns.
int LogFileNext(CQVJServToolApp& app, const std::string& editedName);

// The choice of the operation menu (156) that leads to the saved-log road.
inline constexpr int kChoiceSavedLog = 1025;

// A log named when the program starts: the saved-log road walked as a user would, the
// operation menu (156), the log file page (178) and, when the file opens, the log page (225),
// so that Back walks the road. Answers the page to show: 225, or 178 with the name filled in
// after message 233 with -10 for a file that cannot be opened (234 with -11 for an empty name).
int StartOnLogFile(CQVJServToolApp& app, const std::string& path);

// One item of a drop on page 178: a local file's path, or an item that is no local file.
struct DroppedItem {
    bool localFile = false;
    std::string path;
};
// Exactly one local file: its whole path, which replaces the edited name. Anything else (two
// files, a remote item): 235 with -12, and the name stays (false).
bool TakeDroppedLogFile(const std::vector<DroppedItem>& items, const Messages& messages,
                        std::string& editedName);

// Buttons 1188 "View Settings" and 1191 "View File Info" of page 225 by the log's form: shown
// for a container, hidden for a bare log (which holds neither). A file that cannot be opened or
// decompressed shows them as well: each viewer then reports its own failure.
struct LogViewerButtons {
    bool showSettings = true;  // 1188
    bool showFileInfo = true;  // 1191
};
LogViewerButtons ChooseLogViewerButtons(const std::string& logFileName, const ILocalTime& clock);

// Where Browse on page 178 opens its file chooser: the edited name inside the start folder (an
// absolute name stands for itself; an empty one leaves the folder alone). The start folder is
// the program directory, unless it holds no ".log" or ".zlg" file (any letter case) and a home
// folder is known: an installed program's folder holds programs, not logs.
std::string LogBrowseStart(const std::string& editedName, const std::string& programDirectory,
                           const std::string& homeDirectory);

}  // namespace qx7
