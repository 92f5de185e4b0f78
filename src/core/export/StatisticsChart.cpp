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
    CStatisticsJobList jobs;
    jobs.StreamJobs(records, range, localTime, today, [&](const CStatisticsJob& job) {
        const CElapsedTime& time = job.printTime;
        printSeconds[{job.date.Year(), job.date.Month(), job.date.Day()}] +=
            3600.0 * time.Hours() + 60.0 * time.Minutes() + time.Seconds() +
            time.Milliseconds() / 1000.0;
    });

    std::deque<ChartDay> days;
    StreamDays(records, range, today, [&](const CStatisticsDay& day) {
        ChartDay point;
        point.year = day.date.Year();
        point.month = day.date.Month();
        point.day = day.date.Day();
        point.prints = day.Prints();
        const auto seconds = printSeconds.find({point.year, point.month, point.day});
        point.printHours = seconds == printSeconds.end() ? 0.0 : seconds->second / 3600.0;
        days.push_back(point);
        if (days.size() > mostDays) {
            days.pop_front();
        }
    });
    return {days.begin(), days.end()};
}

}  // namespace qx7
