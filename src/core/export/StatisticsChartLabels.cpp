#include "core/export/StatisticsChartLabels.h"

#include <algorithm>
#include <cstdio>

namespace qx7 {

ChartDateLabels LabelChartDays(const std::vector<ChartDay>& days) {
    ChartDateLabels result;
    if (days.empty()) {
        return result;
    }
    const bool withinOneYear = days.front().year == days.back().year;
    const std::size_t step =
        std::max<std::size_t>(1, (days.size() + kMostChartDateLabels - 1) / kMostChartDateLabels);
    for (std::size_t i = 0; i < days.size(); i += step) {
        const ChartDay& day = days[i];
        char text[32];
        if (withinOneYear) {
            std::snprintf(text, sizeof text, "%02u-%02u", static_cast<unsigned>(day.month),
                          static_cast<unsigned>(day.day));
        } else {
            std::snprintf(text, sizeof text, "%04u-%02u", static_cast<unsigned>(day.year),
                          static_cast<unsigned>(day.month));
        }
        result.labels.push_back({i, text});
    }
    if (withinOneYear) {
        result.axisYear = std::to_string(days.front().year);
    }
    return result;
}

}  // namespace qx7
