#pragma once
// The job statistics of a log: one row per print job that finished at least one print.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/base/LocalTime.h"
#include "core/export/StatisticsCodes.h"
#include "core/export/StatisticsJob.h"
#include "core/log/LocalTimeCache.h"
#include "core/log/LogList.h"

namespace qx7 {

class CStatisticsJobList : public std::vector<std::unique_ptr<CStatisticsJob>> {
  public:
    enum ParserState : std::int32_t {
        kNoJob = 0,
        kStartedByJobStart = 1,
        kStartedByJobId = 2,
        kAfterTestPrint = 3,
    };

    void BuildJobs(const CLogList& records, const stats::DateRange& range,
                   const ILocalTime& localTime);
    // One step of the job parser: answers the current job afterwards (or none).
    std::unique_ptr<CStatisticsJob> StepJob(std::unique_ptr<CStatisticsJob> job,
                                            const CLogRecord& record, const ILocalTime& localTime);
    // Keeps a job with at least one finished print; any other job is dropped.
    void CloseJob(std::unique_ptr<CStatisticsJob> job);

    // Rows of the jobs dated from 2004-01-01 up to `today` a month on, in list order.
    void WriteJobRows(const stats::LineOutput& output, const CLogDate& today) const;
    // What BuildJobs and then WriteJobRows give, without keeping the jobs: each job's row is
    // written when the job closes, so memory does not grow with the log.
    void StreamJobRows(const CLogList& records, const stats::DateRange& range,
                       const ILocalTime& localTime, const stats::LineOutput& output,
                       const CLogDate& today);
    // The jobs those rows show, as jobs, each handed over when it closes.
    void StreamJobs(const CLogList& records, const stats::DateRange& range,
                    const ILocalTime& localTime, const CLogDate& today,
                    const std::function<void(const CStatisticsJob& job)>& output);
    std::string HeaderLine() const;

    // What StreamJobs hands over, from records handed over one at a time (for a walk over the
    // records that gathers more than the jobs). Finish after the last record closes the job
    // still open. The list is used for the parser's state while the stream lives.
    class Stream {
      public:
        Stream(CStatisticsJobList& list, const stats::DateRange& range, const ILocalTime& localTime,
               const CLogDate& today, const std::function<void(const CStatisticsJob& job)>& output);
        // The same, each job handed over to keep (it is not needed any more once closed).
        struct Taking {};
        Stream(CStatisticsJobList& list, const stats::DateRange& range, const ILocalTime& localTime,
               const CLogDate& today, Taking, std::function<void(CStatisticsJob&& job)> take);
        ~Stream();
        Stream(const Stream&) = delete;
        Stream& operator=(const Stream&) = delete;

        void Add(const CLogRecord& record);
        void Finish();

      private:
        CStatisticsJobList& list_;
        const stats::DateRange& range_;
        // Settings records carry dates of their own: converted through a cache.
        CachedLocalTime localTime_;
        std::unique_ptr<CStatisticsJob> current_;
    };

    std::int32_t parserState = kNoJob;
    std::int32_t dateFormat = 2;
    std::int32_t timeFormat = 1;
    bool semicolon = false;
    std::string comment;

  private:
    bool WithinRowDates(const CStatisticsJob& job, const CLogDate& today) const;

    // While streaming: where a closed job goes instead of the list.
    std::function<void(CStatisticsJob&)> closed_;
};

}  // namespace qx7
