// Wine takes the time zone from TZ when the process starts, so each zone's cases run only in the
// CTest entry started with that zone and skip elsewhere.
#include "platform/win32/Win32LocalTime.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

#include "support/ScopedTimeZone.h"

namespace qx7 {
namespace {

TEST(Win32LocalTimeTest, NowIsTheSystemClock) {
    const Win32LocalTime clock;
    // A wrong epoch is off by centuries, a wrong unit by a factor: a minute of slack is plenty.
    const auto runtime = static_cast<std::int64_t>(std::time(nullptr));
    EXPECT_LT(std::llabs(clock.Now() - runtime), 60);
}

TEST(Win32LocalTimeTest, ZoneFactsAgreeWithEachOtherInAnyZone) {
    const Win32LocalTime clock;
    const TimeZoneFacts facts = clock.ZoneFacts();
    EXPECT_FALSE(facts.standardName.empty());
    EXPECT_EQ(clock.StandardOffsetWestSeconds(), facts.biasMinutes * 60LL);
    // Local time of a moment is the moment less the bias in force.
    const auto local = clock.ToLocal(1389571200);  // 2014-01-13 00:00 UTC
    ASSERT_TRUE(local);
    const std::int64_t west = 1389571200 - SecondsFromUtc(*local);
    EXPECT_EQ(west, (facts.biasMinutes + (local->daylight ? facts.daylightBiasMinutes : 0)) * 60LL);
}

TEST(Win32LocalTimeTest, LocalAndBackRoundTripAndFieldsRollOver) {
    const Win32LocalTime clock;
    for (const CivilTime& wall :
         {CivilTime{2000, 1, 1, 0, 0, 0}, CivilTime{2014, 1, 13, 9, 0, 0},
          CivilTime{2014, 7, 1, 12, 0, 0}, CivilTime{2038, 1, 19, 3, 14, 8}}) {
        const auto seconds = clock.FromLocal(wall);
        ASSERT_TRUE(seconds) << wall.year << "-" << wall.month;
        const auto back = clock.ToLocal(*seconds);
        ASSERT_TRUE(back);
        CivilTime expected = wall;
        expected.daylight = back->daylight;
        EXPECT_EQ(*back, expected);
    }
    // February 30, 2015 is March 2; month 13 is January; minute -1 is the minute before.
    EXPECT_EQ(clock.FromLocal({2015, 2, 30, 12, 0, 0}), clock.FromLocal({2015, 3, 2, 12, 0, 0}));
    EXPECT_EQ(clock.FromLocal({2012, 2, 30, 12, 0, 0}), clock.FromLocal({2012, 3, 1, 12, 0, 0}));
    EXPECT_EQ(clock.FromLocal({2014, 13, 1, 12, 0, 0}), clock.FromLocal({2015, 1, 1, 12, 0, 0}));
    EXPECT_EQ(clock.FromLocal({2015, 1, 1, 12, -1, 0}), clock.FromLocal({2015, 1, 1, 11, 59, 0}));
    EXPECT_EQ(clock.FromLocal({2015, 1, 1, 0, 0, 86400}), clock.FromLocal({2015, 1, 2, 0, 0, 0}));
}

TEST(Win32LocalTimeTest, TimesTheSystemCalendarCannotHoldAreRefused) {
    const Win32LocalTime clock;
    // 1601 is the first year of the system's calendar, 9999 the last of ours.
    EXPECT_FALSE(clock.ToLocal(-11644473601LL - 86400));
    EXPECT_FALSE(clock.ToLocal(INT64_MIN));
    EXPECT_FALSE(clock.ToLocal(INT64_MAX));
    EXPECT_FALSE(clock.ToLocal(253402300800LL));
    EXPECT_FALSE(clock.FromLocal({1600, 12, 30, 0, 0, 0}));
    EXPECT_FALSE(clock.FromLocal({1066, 10, 14, 9, 0, 0}));
    EXPECT_FALSE(clock.FromLocal({INT_MAX, 1, 1, 0, 0, 0}));
    EXPECT_FALSE(clock.FromLocal({INT_MIN, 1, 1, 0, 0, 0}));
    EXPECT_FALSE(clock.FromLocal({2015, INT_MIN, 1, 0, 0, 0}));
    EXPECT_FALSE(clock.FromLocal({2015, 1, INT_MIN, 0, 0, 0}));
    EXPECT_FALSE(clock.FromLocal({2015, 1, INT_MAX, INT_MAX, INT_MAX, INT_MAX}));
    // Months that only roll into range still work.
    EXPECT_TRUE(clock.FromLocal({2016, -11, 1, 0, 0, 0}));
}

TEST(Win32LocalTimeTest, UtcZone) {
    QX7_PIN_TIME_ZONE(zone, "UTC");
    const Win32LocalTime clock;
    const TimeZoneFacts facts = clock.ZoneFacts();
    EXPECT_EQ(facts.biasMinutes, 0);
    EXPECT_EQ(facts.daylightBiasMinutes, 0);
    EXPECT_FALSE(facts.daylightNow);
    EXPECT_EQ(clock.StandardOffsetWestSeconds(), 0);
    EXPECT_EQ(clock.ToLocal(1404216000), (CivilTime{2014, 7, 1, 12, 0, 0, false}));
    EXPECT_EQ(clock.FromLocal({2000, 1, 2, 0, 0, 0}), 946771200);
    EXPECT_EQ(clock.ToLocal(-11644473600LL), (CivilTime{1601, 1, 1, 0, 0, 0, false}));
    EXPECT_EQ(clock.ToLocal(253402300799LL), (CivilTime{9999, 12, 31, 23, 59, 59, false}));
}

TEST(Win32LocalTimeTest, TokyoZone) {
    QX7_PIN_TIME_ZONE(zone, "Asia/Tokyo");
    const Win32LocalTime clock;
    const TimeZoneFacts facts = clock.ZoneFacts();
    EXPECT_EQ(facts.biasMinutes, -540);
    // Japan has no daylight time, whatever the system keeps in its daylight fields.
    EXPECT_EQ(facts.daylightBiasMinutes, 0);
    EXPECT_FALSE(facts.daylightNow);
    EXPECT_FALSE(facts.standardName.empty());
    EXPECT_EQ(clock.StandardOffsetWestSeconds(), -32400);
    // 480,000,000 printer seconds: 2015-03-18 13:20 UTC is 22:20 in Japan.
    EXPECT_EQ(clock.ToLocal(946684800 + 480000000), (CivilTime{2015, 3, 18, 22, 20, 0, false}));
    EXPECT_EQ(clock.ToLocal(1404216000), (CivilTime{2014, 7, 1, 21, 0, 0, false}));
    EXPECT_EQ(clock.FromLocal({2000, 1, 1, 0, 0, 0}), 946684800 - 32400);
    // The last second of 9999 UTC is already in year 10000 here.
    EXPECT_EQ(clock.ToLocal(253402300799LL), (CivilTime{10000, 1, 1, 8, 59, 59, false}));
    // 1601-01-01 00:00 here is still 1600 in UTC: before the system's calendar.
    EXPECT_FALSE(clock.FromLocal({1601, 1, 1, 0, 0, 0}));
}

TEST(Win32LocalTimeTest, NewYorkZoneWithDaylightTime) {
    QX7_PIN_TIME_ZONE(zone, "America/New_York");
    const Win32LocalTime clock;
    const TimeZoneFacts facts = clock.ZoneFacts();
    EXPECT_EQ(facts.biasMinutes, 300);
    EXPECT_EQ(facts.daylightBiasMinutes, -60);
    EXPECT_FALSE(facts.standardName.empty());
    EXPECT_FALSE(facts.daylightName.empty());
    EXPECT_NE(facts.standardName, facts.daylightName);
    EXPECT_EQ(clock.StandardOffsetWestSeconds(), 18000);
    // July: daylight time, four hours behind UTC; January: standard time, five.
    EXPECT_EQ(clock.FromLocal({2014, 7, 1, 12, 0, 0}), 1404230400);
    EXPECT_EQ(clock.ToLocal(1404230400), (CivilTime{2014, 7, 1, 12, 0, 0, true}));
    EXPECT_EQ(clock.ToLocal(1389571200), (CivilTime{2014, 1, 12, 19, 0, 0, false}));
    EXPECT_EQ(clock.FromLocal({2014, 1, 12, 19, 0, 0}), 1389571200);
    // 2014-03-09: clocks go from 02:00 EST to 03:00 EDT (07:00 UTC).
    EXPECT_EQ(clock.ToLocal(1394348399), (CivilTime{2014, 3, 9, 1, 59, 59, false}));
    EXPECT_EQ(clock.ToLocal(1394348400), (CivilTime{2014, 3, 9, 3, 0, 0, true}));
}

TEST(Win32LocalTimeTest, NewYorkSkippedAndRepeatedHoursReadAsStandardTime) {
    QX7_PIN_TIME_ZONE(zone, "America/New_York");
    const Win32LocalTime clock;
    // 02:30 on 2014-03-09 does not exist: read as 02:30 EST, which is 03:30 EDT.
    const auto skipped = clock.FromLocal({2014, 3, 9, 2, 30, 0});
    ASSERT_TRUE(skipped);
    EXPECT_EQ(*skipped, 1394350200);
    EXPECT_EQ(clock.ToLocal(*skipped), (CivilTime{2014, 3, 9, 3, 30, 0, true}));
    // 01:30 on 2014-11-02 happens twice: the second one, in standard time.
    const auto repeated = clock.FromLocal({2014, 11, 2, 1, 30, 0});
    ASSERT_TRUE(repeated);
    EXPECT_EQ(*repeated, 1414909800);
    EXPECT_EQ(clock.ToLocal(*repeated), (CivilTime{2014, 11, 2, 1, 30, 0, false}));
    EXPECT_EQ(clock.ToLocal(*repeated - 3600), (CivilTime{2014, 11, 2, 1, 30, 0, true}));
}

}  // namespace
}  // namespace qx7
