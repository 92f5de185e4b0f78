#pragma once
// The points of the statistics dialog's chart: one a calendar day, in date order, from the first
// to the last day of the day file's rows, with the day's prints (its rows' "print" column, zero
// for a day without a row) and the print time of the jobs that began that day.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/base/LocalTime.h"
#include "core/export/StatisticsCodes.h"
#include "core/log/LogList.h"

namespace qx7 {

struct ChartDay {
    std::uint32_t year = 0;
    std::uint32_t month = 0;
    std::uint32_t day = 0;
    std::int32_t prints = 0;  // the "print" column of the day's rows
    double printHours = 0;    // print time of the jobs dated that day (the job rows' days)
};

// A chart shows this many days at most: the newest are kept (twenty years of days).
inline constexpr std::size_t kMostChartDays = 7320;

// The days for the range; the newest `mostDays` when more.
std::vector<ChartDay> BuildChartDays(const CLogList& records, const stats::DateRange& range,
                                     const ILocalTime& localTime, const CLogDate& today,
                                     std::size_t mostDays = kMostChartDays);

}  // namespace qx7
