#include "platform/posix/PosixLocalTime.h"

#include <gtest/gtest.h>

#include "support/ScopedTimeZone.h"

namespace qx7 {
namespace {

TEST(PosixLocalTimeTest, ZoneFactsFollowTheZone) {
    const PosixLocalTime clock;
    {
        test::ScopedTimeZone tz("UTC");
        const TimeZoneFacts facts = clock.ZoneFacts();
        EXPECT_EQ(facts.biasMinutes, 0);
        EXPECT_EQ(facts.daylightBiasMinutes, 0);
        EXPECT_FALSE(facts.daylightNow);
        EXPECT_EQ(facts.standardName, "UTC");
        EXPECT_EQ(clock.StandardOffsetWestSeconds(), 0);
    }
    {
        test::ScopedTimeZone tz("Asia/Tokyo");
        const TimeZoneFacts facts = clock.ZoneFacts();
        EXPECT_EQ(facts.biasMinutes, -540);
        EXPECT_EQ(facts.daylightBiasMinutes, 0);
        EXPECT_EQ(facts.standardName, "JST");
        EXPECT_EQ(clock.StandardOffsetWestSeconds(), -32400);
    }
    {
        test::ScopedTimeZone tz("America/New_York");
        const TimeZoneFacts facts = clock.ZoneFacts();
        EXPECT_EQ(facts.biasMinutes, 300);
        EXPECT_EQ(facts.daylightBiasMinutes, -60);
        EXPECT_EQ(facts.standardName, "EST");
        EXPECT_EQ(clock.StandardOffsetWestSeconds(), 18000);
    }
    {
        test::ScopedTimeZone tz("Europe/Berlin");
        EXPECT_EQ(clock.ZoneFacts().biasMinutes, -60);
        EXPECT_EQ(clock.ZoneFacts().daylightBiasMinutes, -60);
    }
}

TEST(PosixLocalTimeTest, LocalConversionsRollOverAndKnowDaylightTime) {
    const PosixLocalTime clock;
    test::ScopedTimeZone tz("Europe/Berlin");
    // February 30, 2015 is March 2.
    const auto rolled = clock.FromLocal({2015, 2, 30, 12, 0, 0});
    const auto march2 = clock.FromLocal({2015, 3, 2, 12, 0, 0});
    ASSERT_TRUE(rolled && march2);
    EXPECT_EQ(*rolled, *march2);
    // 2014-07-01 12:00 in Berlin is summer time, 10:00 UTC.
    const auto summer = clock.FromLocal({2014, 7, 1, 12, 0, 0});
    ASSERT_TRUE(summer);
    EXPECT_EQ(*summer, 1404208800);
    const auto back = clock.ToLocal(*summer);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, (CivilTime{2014, 7, 1, 12, 0, 0, true}));
    const auto winter = clock.ToLocal(1389571200);  // 2014-01-13 00:00 UTC
    ASSERT_TRUE(winter);
    EXPECT_EQ(*winter, (CivilTime{2014, 1, 13, 1, 0, 0, false}));
}

TEST(UtcCalendarTest, SecondsAndCalendarAgree) {
    EXPECT_EQ(UtcFromSeconds(946684799), (CivilTime{1999, 12, 31, 23, 59, 59}));
    EXPECT_EQ(UtcFromSeconds(946684800 + 480000000), (CivilTime{2015, 3, 18, 13, 20, 0}));
    EXPECT_EQ(UtcFromSeconds(-1), (CivilTime{1969, 12, 31, 23, 59, 59}));
    EXPECT_EQ(SecondsFromUtc({2000, 1, 2, 0, 0, 0}), 946771200);
    EXPECT_EQ(SecondsFromUtc({2012, 13, 1, 0, 0, 0}), SecondsFromUtc({2013, 1, 1, 0, 0, 0}));
    EXPECT_EQ(SecondsFromUtc({2012, 2, 30, 0, 0, 0}), SecondsFromUtc({2012, 3, 1, 0, 0, 0}));
    EXPECT_FALSE(UtcFromSeconds(INT64_MAX).has_value());
}

}  // namespace
}  // namespace qx7
