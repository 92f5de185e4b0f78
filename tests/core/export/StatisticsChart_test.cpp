// The chart's points are the day file's days in date order: prints equal its "print" column for
// the date, and the print hours are the job rows' print time summed by the day their job began.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <tuple>

#include "core/export/StatisticsChart.h"
#include "core/export/StatisticsDayList.h"
#include "core/export/StatisticsFiles.h"
#include "core/export/StatisticsJobList.h"
#include "loggen/Scenario.h"
#include "platform/SystemLocalTime.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, ',')) {
        fields.push_back(field);
    }
    return fields;
}

// "1:02:03" to seconds.
double Seconds(const std::string& text) {
    unsigned hours = 0;
    unsigned minutes = 0;
    unsigned seconds = 0;
    EXPECT_EQ(std::sscanf(text.c_str(), "%u:%u:%u", &hours, &minutes, &seconds), 3) << text;
    return 3600.0 * hours + 60.0 * minutes + seconds;
}

class StatisticsChartTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QX7_SKIP_UNLESS_PINNED(tz);
        loggen::ScenarioOptions options;
        options.seed = 4;
        options.entries = 30000;
        options.futureEntries = false;
        test::WriteFile(dir.File("p1.log"), loggen::GenerateLog(options, loggen::LogForm::Plain));
        ASSERT_EQ(LoadStatisticsRecords(dir.File("p1.log"), records, localTime), 0);
    }

    test::ScopedTimeZone tz{"Asia/Tokyo"};
    test::TempDir dir;
    SystemLocalTime localTime;
    CLogList records;
    const CLogDate today{2024, 5, 1, 0, 0, 0, 0};
};

TEST_F(StatisticsChartTest, PointsAreTheDayRowsWithTheirJobsPrintTime) {
    // The whole log, then the middle third of its days.
    const std::vector<ChartDay> whole = BuildChartDays(records, {}, localTime, today);
    ASSERT_GT(whole.size(), 60u);
    const ChartDay from = whole[whole.size() / 3];
    const ChartDay to = whole[2 * whole.size() / 3];
    for (const bool ranged : {false, true}) {
        const stats::DateRange range =
            ranged ? MakeDateRange({from.year, from.month, from.day}, {to.year, to.month, to.day})
                   : stats::DateRange{};
        std::vector<std::string> dayRows;
        CStatisticsDayList days;
        days.dateFormat = 2;
        days.StreamDayRows(
            records, range, [&](std::string_view row) { dayRows.emplace_back(row); }, today);
        // Job rows: clock "m/d/yyyy h:mm", print count column 4, average print time column 5.
        std::map<std::string, std::pair<double, double>> jobSeconds;  // day: lowest, highest
        CStatisticsJobList jobs;
        jobs.dateFormat = 1;
        jobs.StreamJobRows(
            records, range, localTime,
            [&](std::string_view row) {
                const auto fields = Split(std::string(row));
                const std::string day = fields[0].substr(0, fields[0].find(' '));
                const double prints = std::atof(fields[3].c_str());
                const double average = Seconds(fields[4]);
                // The average is cut to whole seconds: the sum lies within a second a print of it.
                jobSeconds[day].first += average * prints;
                jobSeconds[day].second += (average + 1) * prints;
            },
            today);

        // The day file's rows follow the records through the file: after the ring has wrapped
        // their dates jump back. The chart has them in date order, a point every day.
        std::map<std::tuple<unsigned, unsigned, unsigned>, int> rowPrints;
        bool jumpsBack = false;
        std::tuple<unsigned, unsigned, unsigned> previous{};
        for (const std::string& row : dayRows) {
            const auto fields = Split(row);
            unsigned month = 0;
            unsigned day = 0;
            unsigned year = 0;
            ASSERT_EQ(std::sscanf(fields[0].c_str(), "%u/%u/%u", &month, &day, &year), 3);
            const std::tuple<unsigned, unsigned, unsigned> date{year, month, day};
            jumpsBack = jumpsBack || date < previous;
            previous = date;
            rowPrints[date] += std::atoi(fields[1].c_str());
        }
        if (!ranged) {
            EXPECT_TRUE(jumpsBack) << "the whole log's rows should not be in date order";
        }

        const std::vector<ChartDay> chart = BuildChartDays(records, range, localTime, today);
        ASSERT_GT(chart.size(), 20u);
        EXPECT_EQ(std::tie(chart.front().year, chart.front().month, chart.front().day),
                  rowPrints.begin()->first);
        EXPECT_EQ(std::tie(chart.back().year, chart.back().month, chart.back().day),
                  rowPrints.rbegin()->first);
        double hoursSeen = 0;
        for (std::size_t i = 0; i < chart.size(); ++i) {
            if (i > 0) {
                CLogDate next(chart[i - 1].year, chart[i - 1].month, chart[i - 1].day, 0, 0, 0, 0);
                next.NextDay();
                EXPECT_EQ(std::tie(chart[i].year, chart[i].month, chart[i].day),
                          std::make_tuple(next.Year(), next.Month(), next.Day()));
            }
            const auto rows = rowPrints.find({chart[i].year, chart[i].month, chart[i].day});
            const std::string date = std::to_string(chart[i].month) + "/" +
                                     std::to_string(chart[i].day) + "/" +
                                     std::to_string(chart[i].year);
            EXPECT_EQ(chart[i].prints, rows == rowPrints.end() ? 0 : rows->second) << date;
            const auto job = jobSeconds.find(date);
            const double seconds = chart[i].printHours * 3600;
            if (job == jobSeconds.end()) {
                EXPECT_EQ(seconds, 0) << date;
            } else {
                EXPECT_GE(seconds, job->second.first - 0.001) << date;
                EXPECT_LE(seconds, job->second.second) << date;
            }
            hoursSeen += chart[i].printHours;
        }
        EXPECT_GT(hoursSeen, 0);
    }
}

TEST_F(StatisticsChartTest, OnlyTheNewestDaysAreKeptBeyondTheMost) {
    const std::vector<ChartDay> all = BuildChartDays(records, {}, localTime, today);
    const std::vector<ChartDay> newest = BuildChartDays(records, {}, localTime, today, 5);
    ASSERT_EQ(newest.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(newest[i].day, all[all.size() - 5 + i].day);
        EXPECT_EQ(newest[i].prints, all[all.size() - 5 + i].prints);
    }
}

}  // namespace
}  // namespace qx7
