#include "core/export/StatisticsJobList.h"

#include <algorithm>

#include "core/export/StatisticsDayList.h"

namespace qx7 {

void CStatisticsJobList::BuildJobs(const CLogList& records, const stats::DateRange& range,
                                   const ILocalTime& localTime) {
    const CachedLocalTime cached(localTime);
    std::unique_ptr<CStatisticsJob> current;
    for (const CLogRecord& record : records) {
        if (range.Includes(record.GetDate())) {
            current = StepJob(std::move(current), record, cached);
        }
    }
    if (current) {
        CloseJob(std::move(current));
    }
}

std::unique_ptr<CStatisticsJob> CStatisticsJobList::StepJob(std::unique_ptr<CStatisticsJob> job,
                                                            const CLogRecord& record,
                                                            const ILocalTime& localTime) {
    using namespace stats;
    switch (record.GetCode()) {
        case kPowerOn:
            if (job) {
                CloseJob(std::move(job));
            }
            parserState = kNoJob;
            return nullptr;
        case kJobStart:
            if (job) {
                CloseJob(std::move(job));
            }
            parserState = kStartedByJobStart;
            return std::make_unique<CStatisticsJob>(record.GetDate());
        case kJobId:
            if (parserState == kStartedByJobStart) {
                parserState = kStartedByJobId;
                return job;
            }
            if (job) {
                CloseJob(std::move(job));
            }
            parserState = kStartedByJobId;
            return std::make_unique<CStatisticsJob>(record.GetDate());
        case kTestPrint:
            if (job) {
                CloseJob(std::move(job));
            }
            parserState = kAfterTestPrint;
            return nullptr;
        default:
            if ((parserState == kStartedByJobStart || parserState == kStartedByJobId) && job) {
                job->AddRecord(record, localTime);
            }
            return job;
    }
}

void CStatisticsJobList::CloseJob(std::unique_ptr<CStatisticsJob> job) {
    if (job && job->finished >= 1) {
        if (closed_) {
            closed_(*job);
        } else {
            push_back(std::move(job));
        }
    }
}

std::string CStatisticsJobList::HeaderLine() const {
    std::string line =
        "clock,name,comment,print,printtime(ave),worktime,purgeK,purgeM,purgeC,purgeY,"
        "total time,cancel,inkK,inkM,inkC,inkY,inkW1,inkW2,inkW3,inkW4,inkCMYK,inkW,"
        "machinemode,platen,resolution,highlight,mask,blackink,wgrad,multipass,transcolor,"
        "saturation,contrast,inkvolume,1way,ArpDate";
    if (semicolon) {
        std::replace(line.begin(), line.end(), ',', ';');
    }
    return line;
}

bool CStatisticsJobList::WithinRowDates(const CStatisticsJob& job, const CLogDate& today) const {
    return !(job.date < EarliestRowDate()) && !(job.date > LatestRowDate(today));
}

void CStatisticsJobList::WriteJobRows(const stats::LineOutput& output,
                                      const CLogDate& today) const {
    for (const auto& job : *this) {
        if (job && WithinRowDates(*job, today)) {
            output(job->FormatJobRow(dateFormat, timeFormat, semicolon));
        }
    }
}

void CStatisticsJobList::StreamJobRows(const CLogList& records, const stats::DateRange& range,
                                       const ILocalTime& localTime, const stats::LineOutput& output,
                                       const CLogDate& today) {
    StreamJobs(records, range, localTime, today, [&](const CStatisticsJob& job) {
        output(job.FormatJobRow(dateFormat, timeFormat, semicolon));
    });
}

void CStatisticsJobList::StreamJobs(const CLogList& records, const stats::DateRange& range,
                                    const ILocalTime& localTime, const CLogDate& today,
                                    const std::function<void(const CStatisticsJob& job)>& output) {
    Stream jobs(*this, range, localTime, today, output);
    for (auto walk = records.Records(); const CLogRecord* record = walk.Next();) {
        jobs.Add(*record);
    }
    jobs.Finish();
}

CStatisticsJobList::Stream::Stream(CStatisticsJobList& list, const stats::DateRange& range,
                                   const ILocalTime& localTime, const CLogDate& today,
                                   const std::function<void(const CStatisticsJob& job)>& output)
    : list_(list), range_(range), localTime_(localTime) {
    list_.closed_ = [&list, today, output](CStatisticsJob& job) {
        if (list.WithinRowDates(job, today)) {
            output(job);
        }
    };
}

CStatisticsJobList::Stream::Stream(CStatisticsJobList& list, const stats::DateRange& range,
                                   const ILocalTime& localTime, const CLogDate& today, Taking,
                                   std::function<void(CStatisticsJob&& job)> take)
    : list_(list), range_(range), localTime_(localTime) {
    list_.closed_ = [&list, today, take = std::move(take)](CStatisticsJob& job) {
        if (list.WithinRowDates(job, today)) {
            take(std::move(job));
        }
    };
}

CStatisticsJobList::Stream::~Stream() {
    list_.closed_ = nullptr;
}

void CStatisticsJobList::Stream::Add(const CLogRecord& record) {
    if (range_.Includes(record.GetDate())) {
        current_ = list_.StepJob(std::move(current_), record, localTime_);
    }
}

void CStatisticsJobList::Stream::Finish() {
    if (current_) {
        list_.CloseJob(std::move(current_));
    }
}

}  // namespace qx7
