#pragma once
// Saving the statistics of a log as the day and the job CSV files: loading the records (a
// compressed log is inflated into an unnamed temporary file for the time of the reading),
// default names and folder, the range suffix, the name check, the override question and writing
// both files.

#include <cstdint>
#include <functional>
#include <string>

#include "core/text/Messages.h"
#include "core/base/AtomicOutputFile.h"
#include "core/base/LocalTime.h"
#include "core/base/TextEncoder.h"
#include "core/export/StatisticsCodes.h"
#include "core/log/LogList.h"

namespace qx7 {

// Message numbers of the path error message.
inline constexpr int kStatDayNameError = -60;
inline constexpr int kStatJobNameError = -61;
inline constexpr int kStatDayCreateError = -62;
inline constexpr int kStatJobCreateError = -63;

// The years a range may name. Up to 2099: the end year proposed by default is this year.
inline constexpr std::uint32_t kFirstRangeYear = 2004;
inline constexpr std::uint32_t kLastRangeYear = 2099;

struct StatisticsDateInput {
    std::uint32_t year = 0;
    std::uint32_t month = 0;
    std::uint32_t day = 0;
};

// Reads the records of a log: a plain container or a bare log as it is, a compressed one from
// its inflated copy (an unnamed temporary file, LogDecompress.h), which is gone after reading.
// Any failure leaves the list empty; the answer is 0 when records were read, else the failure's
// negative code: -1 cannot open, -2..-9 decompression, kLogNotRegularFile (-10) for a folder,
// FIFO, device or socket, which is refused at once, kLogInflatesTooLarge (-11). `error` (when
// given) receives the system's cause of -1, -2, -3 and -6 (an errno), else 0.
int LoadStatisticsRecords(const std::string& logPath, CLogList& records,
                          const ILocalTime& localTime, int* error = nullptr);

// "p1" of ".../p1.zlg": the file name without its last extension.
std::string LogFileTitle(const std::string& logPath);
// The log's folder; a log named without a folder lives in `currentDirectory`.
std::string DefaultStatisticsFolder(const std::string& logPath,
                                    const std::string& currentDirectory);
// ".csv", or "_2014_0305-2015_0216.csv" when a range is specified.
std::string MakeRangeSuffix(bool specified, const StatisticsDateInput& start,
                            const StatisticsDateInput& end);
// title + "_D" / "_J" + suffix.
std::string DefaultDayFileName(const std::string& logPath, const std::string& suffix);
std::string DefaultJobFileName(const std::string& logPath, const std::string& suffix);

// An empty name, or one with \ / : * ? " < > |, cannot be used.
bool IsUsableFileName(const std::string& name);

// Both dates plausible (years 2004 to 2099, months 1 to 12, days 1 to 31).
bool IsValidRangeInput(const StatisticsDateInput& start, const StatisticsDateInput& end);
// From the start day 00:00:00.000 up to, not including, the day after the end day.
stats::DateRange MakeDateRange(const StatisticsDateInput& start, const StatisticsDateInput& end);

// Today's local date (time of day zero).
CLogDate LocalToday(const ILocalTime& localTime);

struct StatisticsOutputContext {
    const ILocalTime& localTime;
    const ITextEncoder& encoder;
    const Messages& messages;
    CLogDate today;
    // Asked only when a file of that path exists (links included); true allows replacing it.
    std::function<bool(const std::string& path)> confirmOverride;
};

// The override question for an existing file.
std::string OverrideQuestion(const std::string& path);

// Writes one file; 0, or the create error code (message shown: access denied when the file
// cannot be made there, else message 238 with the path and the system's cause: "cannot write:
// No space left on device") when the file cannot be created or completed, or when the path exists
// and `existing` is kKeep (also when the file appeared while being written); message 238 with
// the refusal when the path is the log `logPath`. An existing file is replaced only once the new
// one is complete.
int WriteDayFile(const CLogList& records, const stats::DateRange& range, int dateFormat,
                 bool semicolon, const std::string& comment, const std::string& path,
                 const std::string& logPath, const StatisticsOutputContext& context,
                 ExistingTarget existing);
int WriteJobFile(const CLogList& records, const stats::DateRange& range, int dateFormat,
                 int timeFormat, bool semicolon, const std::string& comment,
                 const std::string& path, const std::string& logPath,
                 const StatisticsOutputContext& context, ExistingTarget existing);

struct StatisticsSaveRequest {
    // The log the records come from: neither file may replace it.
    std::string logPath;
    std::string folder;
    std::string dayFileName;
    std::string jobFileName;
    stats::DateRange range;
    bool semicolon = false;
    std::string comment;  // empty: no comment line
};

enum class StatisticsFileOutcome { kWritten, kDeclined, kBadName, kCannotCreate };

struct StatisticsSaveResult {
    StatisticsFileOutcome day = StatisticsFileOutcome::kDeclined;
    StatisticsFileOutcome job = StatisticsFileOutcome::kDeclined;
    std::string dayPath;
    std::string jobPath;
    // A file counts when its writing was started, created or not.
    int started = 0;
};

// folder + "/" + name, as the statistics join them.
std::string StatisticsFilePath(const std::string& folder, const std::string& name);

// Both files: the day file, then the job file; a bad name or a refusal skips only that file.
// A file is replaced only when the override question allowed it; one that appears after the
// question was not needed is kept (kCannotCreate). A file naming the log itself is refused
// before any question (kCannotCreate, message 238 with the create error code and the reason).
StatisticsSaveResult SaveStatisticsFiles(const CLogList& records,
                                         const StatisticsSaveRequest& request,
                                         const StatisticsOutputContext& context);

// Whether a save has done what the user asked, so the statistics dialog may close: no file had
// a bad name or could not be created (the user mends the name or chooses another folder and
// saves again), and at least one file was written. A file whose replacement the user declined
// is no longer asked for; when both were declined nothing was written and the dialog stays.
bool StatisticsSaveCompleted(const StatisticsSaveResult& result);

}  // namespace qx7
