#pragma once
// A saved log written out as text (one line an entry, parameters aligned at column 127) or as
// CSV. Both work on any entry source, write each line as soon as it is built and keep nothing
// else in memory.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "core/base/TextEncoder.h"
#include "core/log/LogTextContext.h"
#include "core/log/QXLogEntry.h"

namespace qx7 {

// Which entry types an export shows: errors are types 1 and 2, warnings 3, information 4 and 5.
struct LogTypeFilter {
    bool errors = true;
    bool warnings = true;
    bool information = true;
};

// Called once with position 0 before the first entry and then after every 1000 entries read,
// with position = entries read / 1000 and upper = the source's entry count / 1000. The GUI moves
// its progress bar and lets pending events run here. Answering false stops the export
// (kExportCancelled).
using ExportProgress = std::function<bool(int position, int upper)>;

struct LogExportOptions {
    LogTypeFilter types;
    // Text export: the raw parameter words instead of the decoded parameters.
    bool extendedData = false;
    // CSV export: entries whose time stamp lies outside [low, high] are left out.
    std::uint32_t low = 0;
    std::uint32_t high = 0xFFFFFFFF;
    // The output encoding; nullptr writes core's UTF-8 as it is.
    const ITextEncoder* encoder = nullptr;
    ExportProgress progress;
    // Threads that format the lines: 0 as many as help (two where there are two cores and no
    // output encoding), 1 only the calling thread, 2 two. The output is the same either way.
    int formatThreads = 0;
};

inline constexpr int kExportOk = 0;
inline constexpr int kExportWriteFailed = -1;  // the output took fewer bytes than given
inline constexpr int kExportReadFailed = -2;   // the source reported a read error midway
inline constexpr int kExportCancelled = -3;    // the progress callback asked to stop

// The text export's added text (parameters or raw words) starts at this byte of its line.
inline constexpr std::size_t kAddedTextColumn = 127;

struct ExportCounts {
    int entriesRead = 0;
    int linesWritten = 0;  // header lines included
};

// The text export of every entry the source delivers. kExportOk, or one of the failures above
// (the lines before the failure are written).
int ExportText(ILogEntrySource& source, std::FILE* out, const LogTextContext& context,
               const LogExportOptions& options, ExportCounts* counts = nullptr);
// The CSV export; same results.
int ExportCsv(ILogEntrySource& source, std::FILE* out, const LogTextContext& context,
              const LogExportOptions& options, ExportCounts* counts = nullptr);

bool IsShownInText(const CQXLogEntry& entry, const LogTypeFilter& types);
// Types without a name (0, 6, 7) always pass the CSV filter.
bool IsShownInCsv(const CQXLogEntry& entry, const LogTypeFilter& types, std::uint32_t low,
                  std::uint32_t high);

// The standard name of the PC's time zone (also while daylight time is in force), UTF-8: what
// the exports' first line and the export dialog name as the base of the dates.
std::string ExportZoneName(const ILocalTime& localTime);
// "Log date in this file is based on <zone's standard name>" with CR LF.
std::string ExportDateLine(const LogTextContext& context);

// The text file beside the log: the whole log path with ".txt" appended.
std::string MakeTextExportPath(const std::string& logPath);
// The CSV name offered for a log: the path cut before its last "." (unless that dot is the
// path's first character), then ".csv". The whole path is searched, folders included.
std::string MakeDefaultCsvPath(const std::string& logPath);

}  // namespace qx7
