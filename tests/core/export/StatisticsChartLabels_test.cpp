// The dates under the statistics chart: never more than six, the first day always dated, evenly
// spaced; month and day within one year (with the year for the axis title), year and month
// across years.

#include "core/export/StatisticsChartLabels.h"

#include <gtest/gtest.h>

#include <utility>

namespace qx7 {
namespace {

// `count` consecutive days from the date (months of 31 days are enough for the labels' sake).
std::vector<ChartDay> Days(std::uint32_t year, std::uint32_t month, std::uint32_t day,
                           std::size_t count) {
    std::vector<ChartDay> days;
    for (std::size_t i = 0; i < count; ++i) {
        days.push_back({year, month, day, 0, 0});
        if (++day > 31) {
            day = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
    }
    return days;
}

std::vector<std::pair<std::size_t, std::string>> Pairs(const ChartDateLabels& labels) {
    std::vector<std::pair<std::size_t, std::string>> pairs;
    for (const ChartDateLabel& label : labels.labels) {
        pairs.emplace_back(label.index, label.text);
    }
    return pairs;
}

TEST(StatisticsChartLabelsTest, NoDaysNoLabelsAndNoYear) {
    const ChartDateLabels labels = LabelChartDays({});
    EXPECT_TRUE(labels.labels.empty());
    EXPECT_EQ(labels.axisYear, "");
}

TEST(StatisticsChartLabelsTest, WithinOneYearMonthAndDayWithTheYearForTheAxis) {
    using Labels = std::vector<std::pair<std::size_t, std::string>>;
    EXPECT_EQ(Pairs(LabelChartDays(Days(2015, 3, 5, 1))), (Labels{{0, "03-05"}}));
    // Six days: every one; seven: every second (four labels); thirteen: every third.
    EXPECT_EQ(
        Pairs(LabelChartDays(Days(2015, 3, 1, 6))),
        (Labels{
            {0, "03-01"}, {1, "03-02"}, {2, "03-03"}, {3, "03-04"}, {4, "03-05"}, {5, "03-06"}}));
    EXPECT_EQ(Pairs(LabelChartDays(Days(2015, 3, 1, 7))),
              (Labels{{0, "03-01"}, {2, "03-03"}, {4, "03-05"}, {6, "03-07"}}));
    EXPECT_EQ(Pairs(LabelChartDays(Days(2015, 10, 28, 13))),
              (Labels{{0, "10-28"}, {3, "10-31"}, {6, "11-03"}, {9, "11-06"}, {12, "11-09"}}));
    EXPECT_EQ(LabelChartDays(Days(2015, 3, 1, 13)).axisYear, "2015");
}

TEST(StatisticsChartLabelsTest, AcrossYearsYearAndMonthAndNoYearForTheAxis) {
    using Labels = std::vector<std::pair<std::size_t, std::string>>;
    const ChartDateLabels labels = LabelChartDays(Days(2014, 12, 30, 4));
    EXPECT_EQ(Pairs(labels),
              (Labels{{0, "2014-12"}, {1, "2014-12"}, {2, "2015-01"}, {3, "2015-01"}}));
    EXPECT_EQ(labels.axisYear, "");
    // Only the first and the last day decide: the same year at both ends is one year.
    std::vector<ChartDay> days = Days(2015, 1, 1, 3);
    days[1].year = 2016;
    EXPECT_EQ(LabelChartDays(days).axisYear, "2015");
    EXPECT_EQ(LabelChartDays(days).labels[1].text, "01-02");
}

TEST(StatisticsChartLabelsTest, NeverMoreThanSixEvenlySpacedFromTheFirstDay) {
    for (std::size_t count = 1; count <= 400; ++count) {
        const ChartDateLabels labels = LabelChartDays(Days(2014, 1, 1, count));
        ASSERT_FALSE(labels.labels.empty()) << count;
        EXPECT_LE(labels.labels.size(), kMostChartDateLabels) << count;
        EXPECT_EQ(labels.labels.front().index, 0u) << count;
        const std::size_t step = labels.labels.size() > 1 ? labels.labels[1].index : count;
        for (std::size_t i = 0; i < labels.labels.size(); ++i) {
            EXPECT_EQ(labels.labels[i].index, i * step) << count;
        }
        // The smallest step that keeps to six: one less would need a seventh label.
        if (step > 1) {
            EXPECT_GT((count + step - 2) / (step - 1), kMostChartDateLabels) << count;
        }
        EXPECT_LT(labels.labels.back().index, count) << count;
    }
}

}  // namespace
}  // namespace qx7
