#include "core/log/LogDate.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "core/log/ElapsedTime.h"

namespace qx7 {
namespace {

TEST(LogDateTest, FormatsEveryKind) {
    const CLogDate date(2014, 3, 5, 7, 4, 9, 25);
    EXPECT_EQ(date.Format(0), "March 05, 2014  07:04:09.025");
    EXPECT_EQ(date.Format(1), "3/5/2014 7:04");
    EXPECT_EQ(date.Format(2), "3/5/2014");
    EXPECT_EQ(date.Format(3), "2014/3/5 7:04");
    EXPECT_EQ(date.Format(4), "2014/3/5");
    EXPECT_EQ(date.Format(5), "");
    EXPECT_EQ(date.Format(-1), "");
    // A month outside 1..12 has no name but must not read past the table.
    EXPECT_EQ(CLogDate().Format(0), " 00, 0000  00:00:00.000");
}

// The numeric kinds are what the C formats print, also for fields no date has: values past
// INT_MAX show negative, as %d shows them.
TEST(LogDateTest, NumericKindsMatchTheCFormatsForAnyFields) {
    std::mt19937 random(9);
    const std::uint32_t special[] = {0,  1,   9,    10,         59,         60,
                                     99, 100, 2014, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    auto pick = [&]() -> std::uint32_t {
        switch (random() % 3) {
            case 0:
                return special[random() % std::size(special)];
            case 1:
                return static_cast<std::uint32_t>(random() % 200);
            default:
                return static_cast<std::uint32_t>(random());
        }
    };
    auto c = [](std::uint32_t value) { return static_cast<int>(value); };
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t y = pick(), mo = pick(), d = pick(), h = pick(), mi = pick();
        const CLogDate date(y, mo, d, h, mi, pick(), pick());
        char text[160];
        std::snprintf(text, sizeof text, "%d/%d/%d %d:%02d", c(mo), c(d), c(y), c(h), c(mi));
        ASSERT_EQ(date.Format(1), text);
        std::snprintf(text, sizeof text, "%d/%d/%d", c(mo), c(d), c(y));
        ASSERT_EQ(date.Format(2), text);
        std::snprintf(text, sizeof text, "%d/%d/%d %d:%02d", c(y), c(mo), c(d), c(h), c(mi));
        ASSERT_EQ(date.Format(3), text);
        std::snprintf(text, sizeof text, "%d/%d/%d", c(y), c(mo), c(d));
        ASSERT_EQ(date.Format(4), text);

        const std::uint32_t s = pick();
        const CElapsedTime elapsed(h, mi, s, pick());
        std::snprintf(text, sizeof text, "%d:%02d:%02d", c(h), c(mi), c(s));
        ASSERT_EQ(elapsed.Format(1), text);
        std::snprintf(text, sizeof text, "%d", c(h * 60 + mi + (s != 0 ? 1U : 0U)));
        ASSERT_EQ(elapsed.Format(2), text);
    }
}

TEST(LogDateTest, CalendarStepsFollowMonthLengthsAndLeapYears) {
    CLogDate date(2012, 2, 28, 10, 0, 0, 0);
    date.NextDay();
    EXPECT_EQ(date, CLogDate(2012, 2, 29, 10, 0, 0, 0));
    date.Set(2013, 2, 28, 0, 0, 0, 0);
    date.NextDay();
    EXPECT_EQ(date, CLogDate(2013, 3, 1, 0, 0, 0, 0));
    date.Set(2013, 12, 31, 23, 59, 59, 999);
    date.NextDay();
    EXPECT_EQ(date, CLogDate(2014, 1, 1, 23, 59, 59, 999));
    // The month step keeps the day, even where the next month lacks it.
    date.Set(2015, 1, 31, 0, 0, 0, 0);
    date.NextMonth();
    EXPECT_EQ(date, CLogDate(2015, 2, 31, 0, 0, 0, 0));
    date.Set(2015, 12, 15, 0, 0, 0, 0);
    date.NextMonth();
    EXPECT_EQ(date, CLogDate(2016, 1, 15, 0, 0, 0, 0));
    date.Set(2016, 2, 29, 0, 0, 0, 0);
    date.NextYear();
    EXPECT_EQ(date, CLogDate(2017, 3, 1, 0, 0, 0, 0));
    date.Set(2000, 2, 29, 0, 0, 0, 0);
    EXPECT_TRUE(CLogDate::IsLeapYear(2000));
    EXPECT_FALSE(CLogDate::IsLeapYear(1900));
    EXPECT_EQ(CLogDate(2012, 3, 1, 0, 0, 0, 0).DayOfYear(), 61U);
    EXPECT_EQ(CLogDate(2013, 12, 31, 0, 0, 0, 0).DayOfYear(), 365U);
    EXPECT_EQ(CLogDate(2013, 0, 7, 0, 0, 0, 0).DayOfYear(), 7U);
    // Walking a date with an impossible month still ends.
    date.Set(2013, 0, 31, 0, 0, 0, 0);
    date.NextDay();
    EXPECT_EQ(date, CLogDate(2013, 1, 1, 0, 0, 0, 0));
}

TEST(LogDateTest, ComparesFieldByFieldYearFirst) {
    const CLogDate a(2014, 3, 5, 10, 0, 0, 1);
    const CLogDate b(2014, 3, 5, 10, 0, 0, 2);
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(a <= b);
    EXPECT_TRUE(b > a);
    EXPECT_TRUE(b >= a);
    EXPECT_TRUE(a != b);
    EXPECT_TRUE(a.SameDay(b));
    EXPECT_FALSE(a.SameDay(CLogDate(2014, 3, 6, 0, 0, 0, 0)));
    EXPECT_TRUE(CLogDate(2013, 12, 31, 23, 0, 0, 0) < CLogDate(2014, 1, 1, 0, 0, 0, 0));
    EXPECT_TRUE(a <= a);
    EXPECT_FALSE(a < a);
}

TEST(LogDateTest, DayOfYearAddsTheMonthsBeforeWhateverTheFields) {
    for (const std::uint32_t year : {1900U, 2000U, 2012U, 2013U, 2100U}) {
        for (std::uint32_t month = 0; month <= 15; ++month) {
            // Month by month, as a calendar counts; months past December count the whole year.
            std::uint32_t before = 0;
            for (std::uint32_t m = 1; m < month && m <= 12; ++m) {
                before += CLogDate::DaysInMonth(year, m);
            }
            for (const std::uint32_t day : {0U, 1U, 29U, 31U, 40U}) {
                EXPECT_EQ(CLogDate(year, month, day, 0, 0, 0, 0).DayOfYear(), before + day)
                    << year << "-" << month << "-" << day;
            }
        }
    }
}

TEST(LogDateTest, OrderIsThatOfTheFieldsTakenYearFirst) {
    std::mt19937 random(11);
    // Few values per field, so that most pairs agree on their first fields.
    const auto field = [&] { return static_cast<std::uint32_t>(random() % 3); };
    for (int i = 0; i < 20000; ++i) {
        const std::array<std::uint32_t, 7> a = {field(), field(), field(), field(),
                                                field(), field(), field()};
        const std::array<std::uint32_t, 7> b = {field(), field(), field(), field(),
                                                field(), field(), field()};
        const CLogDate first(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
        const CLogDate second(b[0], b[1], b[2], b[3], b[4], b[5], b[6]);
        ASSERT_EQ(first < second, a < b) << i;
        ASSERT_EQ(first <= second, a <= b) << i;
        ASSERT_EQ(first > second, a > b) << i;
    }
}

TEST(ElapsedTimeTest, DifferenceBorrowsAcrossUnitsAndYears) {
    CElapsedTime t;
    t.SetDifference(CLogDate(2013, 12, 31, 23, 59, 59, 500), CLogDate(2014, 1, 1, 0, 0, 0, 250));
    EXPECT_EQ(t.Format(0), "   0:00:00:750");
    t.SetDifference(CLogDate(2014, 1, 1, 0, 0, 0, 0), CLogDate(2014, 1, 1, 0, 0, 0, 0));
    EXPECT_EQ(t, CElapsedTime());
    t.SetDifference(CLogDate(2014, 1, 2, 0, 0, 0, 0), CLogDate(2014, 1, 1, 0, 0, 0, 0));
    EXPECT_EQ(t, CElapsedTime());
    // Two leap years on the way: 2012 and 2016.
    t.SetDifference(CLogDate(2011, 6, 1, 12, 0, 0, 0), CLogDate(2016, 6, 1, 13, 30, 15, 0));
    EXPECT_EQ(t, CElapsedTime(24 * (365 * 5 + 2) + 1, 30, 15, 0));
    // Dates centuries apart take no time to compute.
    t.SetDifference(CLogDate(0, 1, 1, 0, 0, 0, 0), CLogDate(4000000, 1, 1, 0, 0, 0, 0));
    EXPECT_GT(t.Hours(), 0U);
}

TEST(ElapsedTimeTest, AddDivideSetSecondsAndFormats) {
    CElapsedTime t(1, 59, 59, 900);
    t.Add(CElapsedTime(0, 0, 0, 200));
    EXPECT_EQ(t, CElapsedTime(2, 0, 0, 100));
    t = CElapsedTime(1, 0, 1, 0);
    t.Divide(2);
    EXPECT_EQ(t, CElapsedTime(0, 30, 0, 500));
    t = CElapsedTime(0, 0, 0, 7);
    t.Divide(2);
    EXPECT_EQ(t, CElapsedTime(0, 0, 0, 3));
    t.Divide(0);
    EXPECT_EQ(t, CElapsedTime(0, 0, 0, 3));
    t.SetSeconds(3725);
    EXPECT_EQ(t, CElapsedTime(1, 2, 5, 0));
    EXPECT_EQ(CElapsedTime(1, 2, 1, 0).Format(2), "63");
    EXPECT_EQ(CElapsedTime(1, 2, 0, 999).Format(2), "62");
    EXPECT_EQ(CElapsedTime(12, 3, 4, 5).Format(1), "12:03:04");
    EXPECT_EQ(CElapsedTime(12345, 3, 4, 5).Format(0), "12345:03:04:005");
    EXPECT_EQ(CElapsedTime().Format(3), "");
}

}  // namespace
}  // namespace qx7
