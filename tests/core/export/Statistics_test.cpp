#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "core/export/StatisticsCodes.h"
#include "core/export/StatisticsDayList.h"
#include "core/export/StatisticsJobList.h"
#include "loggen/Scenario.h"
#include "platform/SystemLocalTime.h"
#include "support/LogEntryBytes.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using namespace stats;
using test::EntryBytes;

// A log built entry by entry at UTC moments; the zone is pinned to UTC unless a test says
// otherwise.
class StatisticsTest : public ::testing::Test {
  protected:
    void At(int day, int hour, int minute, int second, std::uint32_t code,
            const std::string& params = {}, int month = 3, int year = 2015) {
        bytes_ +=
            EntryBytes(test::PrinterSeconds(year, month, day, hour, minute, second), code, params);
    }
    const CLogList& Records() {
        test::WriteFile(dir_.File("p1.log"), bytes_);
        records_.RemoveAll();
        EXPECT_EQ(records_.Load(dir_.File("p1.log"), localTime_), 0);
        return records_;
    }
    CStatisticsDayList Days(const DateRange& range = {}) {
        CStatisticsDayList days;
        days.dateFormat = 2;
        days.BuildDays(Records(), range);
        return days;
    }
    CStatisticsJobList Jobs(const DateRange& range = {}) {
        CStatisticsJobList jobs;
        jobs.dateFormat = 1;
        jobs.BuildJobs(Records(), range, localTime_);
        return jobs;
    }
    static std::vector<std::string> DayRows(const CStatisticsDayList& days,
                                            const CLogDate& today = CLogDate(2016, 1, 1, 0, 0, 0,
                                                                             0)) {
        std::vector<std::string> rows;
        days.WriteDayRows([&](std::string_view line) { rows.emplace_back(line); }, today);
        return rows;
    }
    // A job with one finished print of the given length.
    void Print(int day, int hour, int minute, int second, int lengthSeconds,
               const std::vector<std::uint32_t>& dots = {}) {
        At(day, hour, minute, second, kPrintStarted);
        const int end = hour * 3600 + minute * 60 + second + lengthSeconds;
        At(day, end / 3600, end / 60 % 60, end % 60, kPrintFinished, test::DotCountParams(dots));
    }

    void SetUp() override { QX7_SKIP_UNLESS_PINNED(tz_); }

    test::ScopedTimeZone tz_{"UTC"};
    test::TempDir dir_;
    SystemLocalTime localTime_;
    std::string bytes_;
    CLogList records_;
};

TEST_F(StatisticsTest, PrintPastMidnightCountsOnTheDayBefore) {
    At(1, 23, 50, 0, kPrintStarted);
    At(2, 0, 10, 0, kPrintFinished, test::DotCountParams({1000000}));
    At(2, 8, 0, 0, kPowerOn);
    const auto days = Days();
    ASSERT_EQ(days.size(), 2U);
    EXPECT_EQ(days[0]->finished, 1);
    EXPECT_DOUBLE_EQ(days[0]->ink[0], 0.015);
    EXPECT_EQ(days[1]->finished, 0);
    EXPECT_EQ(days[1]->powerOns, 1);
    EXPECT_EQ(days[1]->date, CLogDate(2015, 3, 2, 0, 10, 0, 0));

    // On the first day of the list such a print end is counted nowhere.
    bytes_.clear();
    At(2, 0, 10, 0, kPrintFinished, test::DotCountParams({1000000}));
    const auto alone = Days();
    ASSERT_EQ(alone.size(), 1U);
    EXPECT_EQ(alone[0]->finished, 0);
    EXPECT_EQ(alone[0]->ink[0], 0.0);
}

TEST_F(StatisticsTest, ResolutionHoldsPerDayButCarriesOverInAJob) {
    At(1, 10, 0, 0, kJobStart);
    At(1, 10, 0, 1, kAdvancedSettings, test::AdvancedSettingsParams(720, 3));
    Print(1, 10, 1, 0, 60, {3000000});
    At(2, 9, 0, 0, kPrintStarted);
    At(2, 9, 1, 0, kPrintFinished, test::DotCountParams({3000000}));
    const auto days = Days();
    ASSERT_EQ(days.size(), 2U);
    EXPECT_DOUBLE_EQ(days[0]->ink[0], InkAmount(3000000, 720));
    EXPECT_DOUBLE_EQ(days[1]->ink[0], InkAmount(3000000, 1200));
    const auto jobs = Jobs();
    ASSERT_EQ(jobs.size(), 1U);
    EXPECT_EQ(jobs[0]->resolution, 720);
    EXPECT_EQ(jobs[0]->multipass, 3);
    EXPECT_DOUBLE_EQ(jobs[0]->ink[0], 2 * InkAmount(3000000, 720));
}

TEST_F(StatisticsTest, MenuTestPrintsAndTheirEndOfJob) {
    At(1, 9, 0, 0, kJobStart);
    Print(1, 9, 1, 0, 30);
    At(1, 9, 5, 0, kTestPrint);
    Print(1, 9, 6, 0, 30);   // the menu test print
    Print(1, 9, 10, 0, 30);  // a print right after counts as finished only
    const auto days = Days();
    ASSERT_EQ(days.size(), 1U);
    EXPECT_EQ(days[0]->finished, 3);
    EXPECT_EQ(days[0]->menuTestPrints, 1U);
    EXPECT_EQ(days[0]->FormatDayRow(2, false).substr(0, 15), "3/1/2015,2,1,3,");
    // The test print closed the job; the prints after it belong to no job.
    const auto jobs = Jobs();
    ASSERT_EQ(jobs.size(), 1U);
    EXPECT_EQ(jobs[0]->finished, 1);
}

TEST_F(StatisticsTest, CleaningKindsAndColours) {
    At(1, 8, 0, 0, kJobStart);
    At(1, 8, 0, 1, kCleaningStarted, test::WordsParams({2, 16}));  // day only, all four
    At(1, 8, 0, 2, kCleaningStarted, test::WordsParams({3, 4}));   // kind 3 counts nowhere
    At(1, 8, 0, 3, kCleaningStarted, test::WordsParams({7, 4}));   // nor kind 7
    At(1, 8, 0, 4, kCleaningStarted, test::WordsParams({5, 4}));   // K, day and job
    At(1, 8, 0, 5, kCleaningStarted, test::WordsParams({6, 18}));  // all four, day and job
    At(1, 8, 0, 6, kCleaningStarted, test::WordsParams({4, 17}));  // no colour
    At(1, 8, 0, 7, kCleaningStarted, test::WordsParams({0, 1}));   // Y, day only
    Print(1, 8, 1, 0, 10);
    const auto days = Days();
    ASSERT_EQ(days.size(), 1U);
    EXPECT_EQ(days[0]->cleanings[0], 3);
    EXPECT_EQ(days[0]->cleanings[1], 2);
    EXPECT_EQ(days[0]->cleanings[2], 2);
    EXPECT_EQ(days[0]->cleanings[3], 3);
    const auto jobs = Jobs();
    ASSERT_EQ(jobs.size(), 1U);
    EXPECT_EQ(jobs[0]->cleanings[0], 2);
    EXPECT_EQ(jobs[0]->cleanings[1], 1);
    EXPECT_EQ(jobs[0]->cleanings[2], 1);
    EXPECT_EQ(jobs[0]->cleanings[3], 1);
}

TEST_F(StatisticsTest, JobsWithoutAFinishedPrintAreNotKept) {
    At(1, 8, 0, 0, kJobStart);  // cancelled only
    At(1, 8, 1, 0, kPrintStarted);
    At(1, 8, 2, 0, kPrintCancelled);
    At(1, 9, 0, 0, kJobStart);  // ended by a power-on
    At(1, 9, 1, 0, kPrintStarted);
    At(1, 9, 2, 0, kPowerOn);
    At(1, 9, 3, 0, kPrintFinished);  // no job: counted nowhere in the jobs
    At(1, 10, 0, 0, kJobId);         // ended by a test print
    At(1, 10, 1, 0, kTestPrint);
    EXPECT_TRUE(Jobs().empty());
}

TEST_F(StatisticsTest, JobStartAndJobIdMakeOneJobJobIdAloneOpensEachTime) {
    At(1, 8, 0, 0, kJobStart);
    At(1, 8, 0, 1, kJobId);
    At(1, 8, 0, 2, kJobName, test::TextFromWord1Params("shirt"));
    Print(1, 8, 1, 0, 10);
    At(1, 9, 0, 0, kJobId);
    Print(1, 9, 1, 0, 10);
    At(1, 10, 0, 0, kJobId);
    Print(1, 10, 1, 0, 10);
    At(1, 11, 0, 0, kUsbJob, "usbname\0" + std::string(3, '\0'));
    const auto jobs = Jobs();
    ASSERT_EQ(jobs.size(), 3U);
    EXPECT_EQ(jobs[0]->name, "shirt");
    EXPECT_EQ(jobs[0]->date, CLogDate(2015, 3, 1, 8, 0, 0, 0));
    EXPECT_EQ(jobs[1]->date, CLogDate(2015, 3, 1, 9, 0, 0, 0));
    EXPECT_EQ(jobs[2]->name, "usbname");
    EXPECT_EQ(jobs[2]->comment, "USB_MEMORY");
    const auto days = Days();
    EXPECT_EQ(days[0]->jobs, 1);  // only "Print Job start receiving" counts as a job of the day
}

TEST_F(StatisticsTest, TypicalIntervalIsTheMeanOfTheDensestCluster) {
    CWorkTime intervals;
    for (const std::uint32_t seconds : {100U, 105U, 110U}) {
        CElapsedTime t;
        t.SetSeconds(seconds);
        intervals.push_back(t);
    }
    EXPECT_EQ(intervals.TypicalInterval().Format(1), "0:01:45");
    intervals.push_back(CElapsedTime(2, 0, 0, 0));
    EXPECT_EQ(intervals.TypicalInterval().Format(1), "0:01:45");
    // Two clusters of the same height: the wider one wins; equal widths keep the first.
    CWorkTime two;
    for (const std::uint32_t seconds : {30U, 30U, 600U, 600U, 640U}) {
        CElapsedTime t;
        t.SetSeconds(seconds);
        two.push_back(t);
    }
    EXPECT_EQ(two.TypicalInterval().Format(1), "0:10:13");
    CWorkTime same;
    for (const std::uint32_t seconds : {100U, 600U}) {
        CElapsedTime t;
        t.SetSeconds(seconds);
        same.push_back(t);
    }
    EXPECT_EQ(same.TypicalInterval().Format(1), "0:01:40");
    // A cluster at the very start cannot count the empty bin below it: narrower by one.
    CWorkTime edge;
    for (const std::uint32_t seconds : {30U, 600U}) {
        CElapsedTime t;
        t.SetSeconds(seconds);
        edge.push_back(t);
    }
    EXPECT_EQ(edge.TypicalInterval().Format(1), "0:10:00");
    EXPECT_EQ(CWorkTime().TypicalInterval(), CElapsedTime());
    // An interval just past the hour but not carried into it (60:05) still reaches the last
    // bins: it makes the late cluster the densest one, though it is no part of the mean.
    CWorkTime late;
    for (const std::uint32_t seconds : {100U, 3550U}) {
        CElapsedTime t;
        t.SetSeconds(seconds);
        late.push_back(t);
    }
    EXPECT_EQ(late.TypicalInterval().Format(1), "0:01:40");
    late.push_back(CElapsedTime(0, 60, 5, 0));
    EXPECT_EQ(late.TypicalInterval().Format(1), "0:59:10");
    late.push_back(CElapsedTime(0, 61, 0, 0));  // too far past to reach any bin
    EXPECT_EQ(late.TypicalInterval().Format(1), "0:59:10");
}

// The typical interval the plain way: every interval under the hour spread over six 10-second
// bins around its own, the widest cluster of non-empty bins around a highest one, its mean.
CElapsedTime PlainTypicalInterval(const std::vector<std::uint64_t>& seconds) {
    std::array<std::uint64_t, 360> bins{};
    for (const std::uint64_t s : seconds) {
        const auto b = static_cast<long long>(s / 10);
        for (long long i = std::max(b - 3, 0LL); i < std::min(b + 3, 360LL); ++i) {
            ++bins[static_cast<std::size_t>(i)];
        }
    }
    const std::uint64_t highest = *std::max_element(bins.begin(), bins.end());
    CElapsedTime result;
    long long widest = 0;
    for (long long peak = 0; peak < 360; ++peak) {
        if (bins[static_cast<std::size_t>(peak)] != highest) {
            continue;
        }
        long long left = peak;
        while (left > 0 && bins[static_cast<std::size_t>(left)] > 0) {
            --left;
        }
        long long right = peak;
        while (right < 360 && bins[static_cast<std::size_t>(right)] > 0) {
            ++right;
        }
        if (right - left <= widest) {
            continue;
        }
        widest = right - left;
        std::uint64_t sum = 0;
        std::uint64_t count = 0;
        for (const std::uint64_t s : seconds) {
            if (s >= static_cast<std::uint64_t>(left) * 10 &&
                s < static_cast<std::uint64_t>(right) * 10) {
                sum += s;
                ++count;
            }
        }
        if (count > 0) {
            result.SetSeconds(
                static_cast<std::uint32_t>(static_cast<double>(sum) / static_cast<double>(count)));
        }
    }
    return result;
}

TEST_F(StatisticsTest, TypicalIntervalOfManyIntervalsIsThatOfThePlainWay) {
    std::mt19937 engine(3);
    const auto random = [&engine] { return static_cast<std::uint32_t>(engine()); };
    for (int job = 0; job < 3000; ++job) {
        CWorkTime intervals;
        std::vector<std::uint64_t> counted;
        const int prints = 2 + static_cast<int>(random() % 40);
        // Lengths gathered around a few, some past the hour, the last one still growing.
        const std::uint32_t around = random() % 3700;
        for (int i = 0; i < prints; ++i) {
            const std::uint32_t s = random() % 4 == 0 ? random() % 3700
                                                      : around + random() % 200;
            const CElapsedTime interval(s / 3600, s / 60 % 60, s % 60, random() % 1000);
            intervals.push_back(interval);
            if (s < 3600) {  // an interval of an hour or more is no candidate
                counted.push_back(s);
            }
        }
        ASSERT_EQ(intervals.TypicalInterval(), PlainTypicalInterval(counted)) << job;
    }
}

TEST_F(StatisticsTest, JobsHandedOverToKeepAreThoseTheRowsShow) {
    loggen::ScenarioOptions options;
    options.entries = 30000;
    options.ringWords = 4000000;
    bytes_ = loggen::GenerateLog(options, loggen::LogForm::Plain);
    const CLogList& records = Records();
    const CLogDate today(2030, 1, 1, 0, 0, 0, 0);
    std::vector<std::string> shown;
    CStatisticsJobList rows;
    rows.StreamJobRows(records, {}, localTime_, [&](std::string_view row) {
        shown.emplace_back(row);
    }, today);
    ASSERT_GT(shown.size(), 100U);

    std::vector<std::string> kept;
    CStatisticsJobList jobs;
    const DateRange all;  // the stream keeps a reference
    {
        CStatisticsJobList::Stream stream(jobs, all, localTime_, today,
                                          CStatisticsJobList::Stream::Taking{},
                                          [&](CStatisticsJob&& job) {
                                              const CStatisticsJob mine = std::move(job);
                                              kept.push_back(mine.FormatJobRow(2, 1, false));
                                          });
        for (const CLogRecord& record : records) {
            stream.Add(record);
        }
        stream.Finish();
    }
    EXPECT_EQ(kept, shown);
    EXPECT_TRUE(jobs.empty());
}

TEST_F(StatisticsTest, OneIntervalUnderAnHourIsItsOwnTypicalIntervalAndNoneLongerCounts) {
    for (std::uint32_t s = 0; s < 3600; ++s) {
        CWorkTime one;
        one.push_back(CElapsedTime(0, s / 60, s % 60, 999));
        CElapsedTime expected;
        expected.SetSeconds(s);
        ASSERT_EQ(one.TypicalInterval(), expected) << s;
    }
    // From the hour on nothing is typical, also as minutes past 59 (bins beyond the last one).
    for (const CElapsedTime& interval :
         {CElapsedTime(1, 0, 0, 0), CElapsedTime(0, 60, 10, 0), CElapsedTime(0, 75, 0, 0)}) {
        CWorkTime one;
        one.push_back(interval);
        EXPECT_EQ(one.TypicalInterval(), CElapsedTime()) << interval.Format(0);
    }
    // One interval next to a final one is a cluster of two.
    CWorkTime two;
    two.push_back(CElapsedTime(0, 1, 40, 0));
    two.push_back(CElapsedTime(0, 1, 50, 0));
    EXPECT_EQ(two.TypicalInterval().Format(1), "0:01:45");
}

TEST_F(StatisticsTest, JobTimesFromTheLog) {
    At(1, 8, 0, 0, kJobStart);
    Print(1, 8, 1, 0, 40);  // interval 0:01:40 from the job start
    Print(1, 8, 3, 0, 40);  // 1:20 from the last end to the start, then the 0:40 print
    At(1, 8, 5, 0, kPrintStarted);
    At(1, 8, 6, 0, kPrintCancelled);
    At(1, 8, 6, 30, kPrintCancelled);  // a second end measures from the same start again
    const auto jobs = Jobs();
    ASSERT_EQ(jobs.size(), 1U);
    const auto& job = *jobs[0];
    EXPECT_EQ(job.finished, 2);
    EXPECT_EQ(job.started, 3);
    EXPECT_EQ(job.printTime, CElapsedTime(0, 1, 20, 0));
    EXPECT_EQ(job.AveragePrintTime().Format(1), "0:00:40");
    EXPECT_EQ(job.totalTime.Format(1), "0:06:30");
    ASSERT_EQ(job.workIntervals.size(), 3U);
    EXPECT_EQ(job.workIntervals.back(), CElapsedTime(0, 3, 50, 0));  // 1:20 gap + 1:00 + 1:30
    // The earlier two, 1:40 and 2:00, make the densest cluster: their mean is 1:50.
    EXPECT_EQ(job.workIntervals.TypicalInterval().Format(1), "0:01:50");
}

TEST_F(StatisticsTest, RangeSelectsHalfOpenIntervalAndAnEmptyRangeNothing) {
    At(1, 23, 59, 59, kPowerOn);
    At(2, 0, 0, 0, kPowerOn);
    At(2, 23, 59, 59, kPowerOn);
    At(3, 0, 0, 0, kPowerOn);
    DateRange range;
    range.on = true;
    range.start = CLogDate(2015, 3, 2, 0, 0, 0, 0);
    range.end = CLogDate(2015, 3, 3, 0, 0, 0, 0);
    const auto days = Days(range);
    ASSERT_EQ(days.size(), 1U);
    EXPECT_EQ(days[0]->powerOns, 2);
    // Start after the end, and start equal to end with the range on: nothing at all.
    range.start = CLogDate(2015, 3, 3, 0, 0, 0, 0);
    range.end = CLogDate(2015, 3, 2, 0, 0, 0, 0);
    EXPECT_TRUE(Days(range).empty());
    range.end = range.start;
    EXPECT_TRUE(Days(range).empty());
    EXPECT_EQ(Days().size(), 3U);
}

TEST_F(StatisticsTest, DayRowsFillGapsSkipOutOfBoundsAndOutOfOrderDays) {
    At(1, 10, 0, 0, kPowerOn);
    At(4, 9, 0, 0, kPowerOn);
    At(2, 9, 0, 0, kAutoCleaning);                 // out of order: no filler rows
    At(1, 10, 0, 0, kPowerOn, {}, 1, 2003);        // before 2004: no row
    At(1, 10, 0, 0, kPowerOn, {}, 3, 2016);        // after today a month on
    At(1, 10, 0, 0, kPartsExchange, {}, 2, 2016);  // exactly the limit day, after midnight
    const auto rows = DayRows(Days(), CLogDate(2016, 1, 1, 0, 0, 0, 0));
    const std::string zeros =
        ",0,0,0,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,"
        "0.000000,0.000000,0,0,0,0,0,0,0,0,0";
    ASSERT_EQ(rows.size(), 5U);
    EXPECT_EQ(rows[0], "3/1/2015" + zeros.substr(0, zeros.size() - 5) + "1,0,0");
    EXPECT_EQ(rows[1], "3/2/2015" + zeros);
    EXPECT_EQ(rows[2], "3/3/2015" + zeros);
    EXPECT_EQ(rows[3].substr(0, 9), "3/4/2015,");
    EXPECT_EQ(rows[4].substr(0, 9), "3/2/2015,");
    // The limit day itself stays in when its time is midnight exactly.
    bytes_.clear();
    At(1, 0, 0, 0, kPowerOn, {}, 2, 2016);
    EXPECT_EQ(DayRows(Days(), CLogDate(2016, 1, 1, 0, 0, 0, 0)).size(), 1U);
}

TEST_F(StatisticsTest, FillerRowsStopAtTheBudget) {
    At(1, 10, 0, 0, kPowerOn, {}, 1, 2004);
    At(1, 10, 0, 0, kPowerOn, {}, 1, 2015);
    CStatisticsDayList days = Days();
    std::size_t rows = 0;
    days.WriteDayRows([&](std::string_view) { ++rows; }, CLogDate(2016, 1, 1, 0, 0, 0, 0), 10);
    EXPECT_EQ(rows, 12U);
    rows = 0;
    days.WriteDayRows([&](std::string_view) { ++rows; }, CLogDate(2016, 1, 1, 0, 0, 0, 0));
    EXPECT_EQ(rows, 4019U);  // every day of 2004 to 2014 and the first of 2015
}

TEST_F(StatisticsTest, DayRowColumnsAndSemicolons) {
    At(1, 8, 0, 0, kJobStart);
    At(1, 8, 0, 1, kAutoCleaning);
    At(1, 8, 0, 2, kPartsExchange);
    Print(1, 8, 1, 0, 30, {1000000, 2000000, 3000000, 4000000, 5000000, 6000000, 7000000, 8000000});
    At(1, 9, 0, 0, kPrintStarted);
    const auto days = Days();
    ASSERT_EQ(days.size(), 1U);
    EXPECT_EQ(days[0]->FormatDayRow(2, false),
              "3/1/2015,1,0,1,0.015000,0.030000,0.045000,0.060000,0.075000,0.090000,0.105000,"
              "0.120000,0.150000,0.390000,1,0,0,0,0,1,0,1,1");
    EXPECT_EQ(days[0]->FormatDayRow(2, true),
              "3/1/2015;1;0;1;0.015000;0.030000;0.045000;0.060000;0.075000;0.090000;0.105000;"
              "0.120000;0.150000;0.390000;1;0;0;0;0;1;0;1;1");
    CStatisticsDayList header;
    header.semicolon = true;
    EXPECT_EQ(header.HeaderLine().substr(0, 30), "date;print;menu test print;pri");
}

TEST_F(StatisticsTest, JobRowColumns) {
    At(1, 8, 0, 0, kJobStart);
    At(1, 8, 0, 1, kJobName, test::TextFromWord1Params("Tee \"A\", red"));
    At(1, 8, 0, 2, kJobComment, test::TextFromWord1Params("c"));
    At(1, 8, 0, 3, kPlatenSize, test::TextFromWord1Params("16x20"));
    At(1, 8, 0, 4, kAdvancedSettings, test::AdvancedSettingsParams(600, 2));
    std::string main(28, '\0');
    const std::uint32_t unix = 1425196800;  // 2015-03-01 08:00:00 UTC
    for (int i = 0; i < 4; ++i) {
        main[static_cast<std::size_t>(6 + i)] = static_cast<char>((unix >> (8 * i)) & 0xFF);
    }
    const int positions[8] = {10, 11, 12, 14, 15, 16, 17, 19};
    for (int i = 0; i < 8; ++i) {
        main[static_cast<std::size_t>(positions[i])] = static_cast<char>(i + 1);
    }
    main[19] = static_cast<char>(0xFF);  // highlight -1
    main[26] = 3;
    At(1, 8, 0, 5, kMainSettings, main);
    Print(1, 8, 1, 0, 90, {0, 0, 0, 0, 1000000});
    const auto jobs = Jobs();
    ASSERT_EQ(jobs.size(), 1U);
    EXPECT_EQ(jobs[0]->FormatJobRow(1, 1, false),
              "3/1/2015 8:00,\"Tee \"\"A\"\", red\",\"c\",1,0:01:30,0:02:30,0,0,0,0,0:02:30,0,"
              "0.000000,0.000000,0.000000,0.000000,0.014333,0.000000,0.000000,0.000000,"
              "0.000000,0.014333,QX-750,16x20,600,-1,7,5,6,2,OFF,1,2,3,4,03/01/2015 08:00:00");
    EXPECT_EQ(jobs[0]->FormatJobRow(1, 1, true).substr(0, 40),
              "3/1/2015 8:00;\"Tee \"\"A\"\", red\";\"c\";1;0:0");
}

TEST_F(StatisticsTest, DatesFollowThePinnedZone) {
    QX7_PIN_TIME_ZONE(tokyo, "Asia/Tokyo");
    At(1, 20, 0, 0, kPowerOn);  // 2015-03-02 05:00 in Tokyo
    At(1, 14, 0, 0, kPowerOn);  // 23:00 on the 1st in Tokyo
    const auto days = Days();
    ASSERT_EQ(days.size(), 2U);
    EXPECT_EQ(days[0]->date, CLogDate(2015, 3, 2, 5, 0, 0, 0));
    EXPECT_EQ(days[1]->date, CLogDate(2015, 3, 1, 23, 0, 0, 0));
}

}  // namespace
}  // namespace qx7
