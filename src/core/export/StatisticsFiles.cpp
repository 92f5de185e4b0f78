#include "core/export/StatisticsFiles.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/base/AtomicOutputFile.h"
#include "core/base/FileSystem.h"
#include "core/base/PathText.h"
#include "core/output/ExportOutput.h"
#include "core/output/OutputFile.h"
#include "core/export/MadeAhead.h"
#include "core/export/StatisticsDayList.h"
#include "core/export/StatisticsJobList.h"
#include "core/log/LogDecompress.h"
#include "core/log/LogFileAccess.h"

namespace qx7 {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Splits at the last separator: the folder part (with its separator) and the file name.
std::pair<std::string, std::string> SplitFolder(const std::string& path) {
    const std::size_t slash = LastPathSeparator(path);
    if (slash == std::string::npos) {
        return {std::string(), path};
    }
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

using BodyWriter = std::function<void(const stats::LineOutput&)>;

// Comment line (when there is one), header and rows, each line in the output encoding and
// ended by CR LF; the file appears only when complete.
int WriteCsvFile(const std::string& path, const std::string& logPath, const std::string& comment,
                 const std::string& header, const BodyWriter& body, int errorCode,
                 const StatisticsOutputContext& context, ExistingTarget existing) {
    AtomicOutputFile file;
    if (const OutputOpening opening = OpenOutput(file, path, logPath, existing);
        !opening.Opened()) {
        // The log itself is refused in words; a place that cannot take the file is refused as
        // access; a full disk says so.
        const int error = opening.error;
        if (opening.failure == OutputFailure::kSameAsInput) {
            context.messages.ShowMessageWithText(kMsgFileIoError, errorCode, opening.cause);
        } else if (!IsDiskFull(error)) {
            context.messages.ShowAccessDenied(path, errorCode);
        } else {
            context.messages.ShowMessageWithText(kMsgFileIoError, errorCode,
                                                 path + ": " + CannotCreateCause(error));
        }
        return errorCode;
    }
    bool ok = true;
    int writeError = 0;
    const stats::LineOutput line = [&](std::string_view text) {
        if (!ok) {
            return;  // the file is lost already: the rest need not be formatted into it
        }
        errno = 0;
        ok = file.Write(context.encoder.FromUtf8(text)) && file.Write("\r\n");
        if (!ok) {
            writeError = errno;
        }
    };
    if (!comment.empty()) {
        line(comment);
    }
    line(header);
    body(line);
    // The first failed write keeps its errno; the stream's later writes fail the same way.
    if (!ok || !file.Commit()) {
        const int error = writeError != 0 ? writeError : file.Error();
        file.Abandon();
        if (error == EEXIST) {  // the name appeared while the file was written
            context.messages.ShowAccessDenied(path, errorCode);
        } else {
            context.messages.ShowMessageWithText(kMsgFileIoError, errorCode,
                                                 path + ": " + CannotWriteCause(error));
        }
        return errorCode;
    }
    return 0;
}

using JobsAhead = MadeAhead<CStatisticsJob>;

// The memory a closed job holds.
std::size_t JobBytes(const CStatisticsJob& job) {
    std::size_t bytes = sizeof job + job.workIntervals.HeldBytes();
    for (const std::string* text : {&job.name, &job.comment, &job.platen, &job.arpDate,
                                    &job.machineMode, &job.transparentColour}) {
        bytes += text->capacity();
    }
    return bytes;
}

// The jobs of WriteJobFile's rows, walked for on a thread of their own while the day file is
// written; the rows are formatted by the writer, which has waited for the day file's walk.
std::unique_ptr<JobsAhead> WalkJobsAhead(const CLogList& records, const stats::DateRange& range,
                                         const StatisticsOutputContext& context) {
    const ILocalTime& localTime = context.localTime;
    const CLogDate today = context.today;
    return std::make_unique<JobsAhead>(
        [&records, range, &localTime, today](const JobsAhead::Sink& put,
                                             const std::atomic<bool>& stopped) {
            CStatisticsJobList jobs;
            CStatisticsJobList::Stream stream(jobs, range, localTime, today,
                                              CStatisticsJobList::Stream::Taking{},
                                              [&](CStatisticsJob&& job) { put(std::move(job)); });
            // Asked now and then only: the walk is the cost, not the question.
            std::size_t walked = 0;
            for (auto walk = records.Records(); const CLogRecord* record = walk.Next();) {
                if (++walked % 4096 == 0 && stopped.load(std::memory_order_relaxed)) {
                    return;
                }
                stream.Add(*record);
            }
            stream.Finish();
        },
        JobBytes);
}

}  // namespace

int LoadStatisticsRecords(const std::string& logPath, CLogList& records,
                          const ILocalTime& localTime, int* error) {
    records.RemoveAll();
    int ignored = 0;
    int& cause = error != nullptr ? *error : ignored;
    cause = 0;
    int answer = 0;
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(OpenLogFile(logPath, answer));
    if (!file) {
        cause = answer == -1 ? errno : 0;
        return answer;
    }
    char magic[8];
    const std::size_t got = std::fread(magic, 1, sizeof magic, file.get());
    if (got == sizeof magic && std::memcmp(magic, "QX7LG1ZL", 8) == 0) {
        // Records come from the inflated copy, which goes when the list is done with it. They
        // are counted while the copy is inflated; the list is kept only when the inflate ended
        // well, and its answer comes first, as when the copy was complete before the reading.
        InflatingCopy copy;
        if (const int started = copy.Start(file.release(), &cause); started != 0) {
            return started;
        }
        const int result = records.Load(
            copy.Copy(),
            [&copy](void* buffer, std::size_t size, std::uint64_t offset) {
                return copy.ReadAt(buffer, size, offset);
            },
            localTime);
        if (const int inflated = copy.Wait(&cause); inflated != 0) {
            records.RemoveAll();
            return inflated;
        }
        if (result != 0) {
            records.RemoveAll();
        }
        return result;
    }
    if (!SeekStream(file.get(), 0, SEEK_SET)) {
        cause = errno;
        return -1;
    }
    const int result = records.Load(file.get(), localTime);
    if (result != 0) {
        records.RemoveAll();
    }
    return result;
}

std::string LogFileTitle(const std::string& logPath) {
    const std::string name = SplitFolder(logPath).second;
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string DefaultStatisticsFolder(const std::string& logPath,
                                    const std::string& currentDirectory) {
    std::string folder = SplitFolder(logPath).first;
    if (folder.empty()) {
        return currentDirectory;
    }
    if (folder.size() > 1) {
        folder.pop_back();  // the root keeps its one separator
    }
    return folder;
}

std::string MakeRangeSuffix(bool specified, const StatisticsDateInput& start,
                            const StatisticsDateInput& end) {
    if (!specified) {
        return ".csv";
    }
    char text[128];
    std::snprintf(text, sizeof text, "_%u_%02u%02u-%u_%02u%02u.csv", start.year, start.month,
                  start.day, end.year, end.month, end.day);
    return text;
}

std::string DefaultDayFileName(const std::string& logPath, const std::string& suffix) {
    return LogFileTitle(logPath) + "_D" + suffix;
}

std::string DefaultJobFileName(const std::string& logPath, const std::string& suffix) {
    return LogFileTitle(logPath) + "_J" + suffix;
}

bool IsUsableFileName(const std::string& name) {
    return !name.empty() && name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

bool IsValidRangeInput(const StatisticsDateInput& start, const StatisticsDateInput& end) {
    const auto valid = [](const StatisticsDateInput& date) {
        return date.year >= kFirstRangeYear && date.year <= kLastRangeYear && date.month >= 1 &&
               date.month <= 12 && date.day >= 1 && date.day <= 31;
    };
    return valid(start) && valid(end);
}

stats::DateRange MakeDateRange(const StatisticsDateInput& start, const StatisticsDateInput& end) {
    stats::DateRange range;
    range.on = true;
    range.start = CLogDate(start.year, start.month, start.day, 0, 0, 0, 0);
    range.end = CLogDate(end.year, end.month, end.day, 0, 0, 0, 0);
    range.end.NextDay();
    return range;
}

CLogDate LocalToday(const ILocalTime& localTime) {
    const auto now = localTime.ToLocal(localTime.Now());
    if (!now) {
        return {};
    }
    return CLogDate(static_cast<std::uint32_t>(now->year), static_cast<std::uint32_t>(now->month),
                    static_cast<std::uint32_t>(now->day), 0, 0, 0, 0);
}

std::string OverrideQuestion(const std::string& path) {
    return path + " already exists.\nDo you want to override it?";
}

int WriteDayFile(const CLogList& records, const stats::DateRange& range, int dateFormat,
                 bool semicolon, const std::string& comment, const std::string& path,
                 const std::string& logPath, const StatisticsOutputContext& context,
                 ExistingTarget existing) {
    CStatisticsDayList days;
    days.dateFormat = dateFormat;
    days.semicolon = semicolon;
    days.comment = comment;
    return WriteCsvFile(
        path, logPath, comment, days.HeaderLine(),
        [&](const stats::LineOutput& line) {
            days.StreamDayRows(records, range, line, context.today);
        },
        kStatDayCreateError, context, existing);
}

int WriteJobFile(const CLogList& records, const stats::DateRange& range, int dateFormat,
                 int timeFormat, bool semicolon, const std::string& comment,
                 const std::string& path, const std::string& logPath,
                 const StatisticsOutputContext& context, ExistingTarget existing) {
    CStatisticsJobList jobs;
    jobs.dateFormat = dateFormat;
    jobs.timeFormat = timeFormat;
    jobs.semicolon = semicolon;
    jobs.comment = comment;
    return WriteCsvFile(
        path, logPath, comment, jobs.HeaderLine(),
        [&](const stats::LineOutput& line) {
            jobs.StreamJobRows(records, range, context.localTime, line, context.today);
        },
        kStatJobCreateError, context, existing);
}

std::string StatisticsFilePath(const std::string& folder, const std::string& name) {
    return folder + kPathSeparator + name;
}

StatisticsSaveResult SaveStatisticsFiles(const CLogList& records,
                                         const StatisticsSaveRequest& request,
                                         const StatisticsOutputContext& context) {
    StatisticsSaveResult result;
    result.dayPath = StatisticsFilePath(request.folder, request.dayFileName);
    result.jobPath = StatisticsFilePath(request.folder, request.jobFileName);

    const auto save = [&](const std::string& name, const std::string& path, int nameError,
                          int createError, const std::function<int(ExistingTarget)>& write) {
        if (!IsUsableFileName(name)) {
            context.messages.ShowAccessDenied(path, nameError);
            return StatisticsFileOutcome::kBadName;
        }
        // A yes to the question must not let the statistics replace the log they come from.
        if (const OutputOpening refusal = CheckOutput(path, request.logPath);
            refusal.failure == OutputFailure::kSameAsInput) {
            context.messages.ShowMessageWithText(kMsgFileIoError, createError, refusal.cause);
            return StatisticsFileOutcome::kCannotCreate;
        }
        // Replacing needs the question's yes; a file that was not there is created only as new.
        ExistingTarget existing = ExistingTarget::kKeep;
        if (OutputPathExists(path)) {
            if (!context.confirmOverride || !context.confirmOverride(path)) {
                return StatisticsFileOutcome::kDeclined;
            }
            existing = ExistingTarget::kReplace;
        }
        ++result.started;
        return write(existing) == 0 ? StatisticsFileOutcome::kWritten
                                    : StatisticsFileOutcome::kCannotCreate;
    };
    // The jobs of the job file are walked for while the day file is written: both walks over
    // the records at once.
    const std::unique_ptr<JobsAhead> jobsAhead = WalkJobsAhead(records, request.range, context);
    result.day =
        save(request.dayFileName, result.dayPath, kStatDayNameError, kStatDayCreateError,
             [&](ExistingTarget existing) {
                 return WriteDayFile(records, request.range, 2, request.semicolon, request.comment,
                                     result.dayPath, request.logPath, context, existing);
             });
    result.job = save(request.jobFileName, result.jobPath, kStatJobNameError, kStatJobCreateError,
                      [&](ExistingTarget existing) {
                          CStatisticsJobList jobs;
                          jobs.semicolon = request.semicolon;
                          return WriteCsvFile(
                              result.jobPath, request.logPath, request.comment, jobs.HeaderLine(),
                              [&](const stats::LineOutput& line) {
                                  // WriteJobFile's rows, with its formats.
                                  jobsAhead->Drain([&](CStatisticsJob& job) {
                                      line(job.FormatJobRow(1, 1, request.semicolon));
                                  });
                              },
                              kStatJobCreateError, context, existing);
                      });
    // A job file not written needs its jobs no more.
    jobsAhead->Stop();
    return result;
}

bool StatisticsSaveCompleted(const StatisticsSaveResult& result) {
    const auto failed = [](StatisticsFileOutcome outcome) {
        return outcome == StatisticsFileOutcome::kBadName ||
               outcome == StatisticsFileOutcome::kCannotCreate;
    };
    if (failed(result.day) || failed(result.job)) {
        return false;
    }
    return result.day == StatisticsFileOutcome::kWritten ||
           result.job == StatisticsFileOutcome::kWritten;
}

}  // namespace qx7
