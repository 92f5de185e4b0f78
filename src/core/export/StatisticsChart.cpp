#include "core/export/StatisticsChart.h"

#include <deque>
#include <map>
#include <tuple>

#include "core/export/StatisticsDayList.h"
#include "core/export/StatisticsJobList.h"

namespace qx7 {

std::vector<ChartDay> BuildChartDays(const CLogList& records, const stats::DateRange& range,
                                     const ILocalTime& localTime, const CLogDate& today,
                                     std::size_t mostDays) {
    // Print seconds by the day the job began; a job has one date, so this holds one number a
    // day that had a job.
    std::map<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>, double> printSeconds;
    CStatisticsJobList jobList;
    CStatisticsJobList::Stream jobs(
        jobList, range, localTime, today, [&](const CStatisticsJob& job) {
            const CElapsedTime& time = job.printTime;
            printSeconds[{job.date.Year(), job.date.Month(), job.date.Day()}] +=
                3600.0 * time.Hours() + 60.0 * time.Minutes() + time.Seconds() +
                time.Milliseconds() / 1000.0;
        });

    // The day file's days in date order: its rows follow the records through the file, which
    // after the printer's log has wrapped around is not the order of the dates. A date the
    // file shows twice (the printer's clock set back) adds up.
    using DayKey = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>;
    std::map<DayKey, std::int32_t> prints;
    DayStream dayStream(range, today, [&](const CStatisticsDay& day) {
        prints[{day.date.Year(), day.date.Month(), day.date.Day()}] += day.Prints();
    });

    // One walk through the records for both (each walk reads the log's files again).
    for (auto walk = records.Records(); const CLogRecord* record = walk.Next();) {
        jobs.Add(*record);
        dayStream.Add(*record);
    }
    jobs.Finish();
    dayStream.Finish();
    if (prints.empty()) {
        return {};
    }
    const DayKey last = prints.rbegin()->first;
    const auto& [year, month, dayOfMonth] = prints.begin()->first;
    CLogDate date(year, month, dayOfMonth, 0, 0, 0, 0);
    std::deque<ChartDay> days;
    for (;;) {
        const DayKey key{date.Year(), date.Month(), date.Day()};
        ChartDay point;
        point.year = date.Year();
        point.month = date.Month();
        point.day = date.Day();
        if (const auto found = prints.find(key); found != prints.end()) {
            point.prints = found->second;
        }
        if (const auto seconds = printSeconds.find(key); seconds != printSeconds.end()) {
            point.printHours = seconds->second / 3600.0;
        }
        days.push_back(point);
        if (days.size() > mostDays) {
            days.pop_front();
        }
        if (key >= last) {
            break;
        }
        date.NextDay();
    }
    return {days.begin(), days.end()};
}

}  // namespace qx7
