#pragma once
// The dates under the statistics chart: which of its days carry one, and how they read. Short
// enough never to run into each other: month and day within one year (the axis title then names
// the year), year and month across years.

#include <cstddef>
#include <string>
#include <vector>

#include "core/export/StatisticsChart.h"

namespace qx7 {

// At most this many dates under the chart.
inline constexpr std::size_t kMostChartDateLabels = 6;

struct ChartDateLabel {
    std::size_t index = 0;  // the day's place among the chart's days
    std::string text;       // "MM-DD", or "YYYY-MM" across years
};

struct ChartDateLabels {
    std::vector<ChartDateLabel> labels;  // in day order, the first day always among them
    std::string axisYear;                // "2015" when every day is of that year, else empty
};

// Every n-th day from the first, n the smallest step that gives at most kMostChartDateLabels.
ChartDateLabels LabelChartDays(const std::vector<ChartDay>& days);

}  // namespace qx7
