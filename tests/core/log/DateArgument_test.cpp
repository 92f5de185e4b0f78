// Dates and times as the command line takes them, and where they fall among printer stamps.

#include "core/log/DateArgument.h"

#include <gtest/gtest.h>

#include "support/FixedNowLocalTime.h"
#include "support/ScopedTimeZone.h"

namespace qx7 {
namespace {

TEST(DateArgumentTest, BothDateFormsWithOrWithoutATimeOfDay) {
    const struct {
        const char* text;
        CivilTime time;
        bool hasTime;
        bool utc;
    } cases[] = {
        {"2015-03-18", CivilTime{2015, 3, 18}, false, false},
        {"2015/3/18", CivilTime{2015, 3, 18}, false, false},
        {"2015/03/18", CivilTime{2015, 3, 18}, false, false},
        {"2015-03-18T22:20", CivilTime{2015, 3, 18, 22, 20}, true, false},
        {"2015/3/18 22:20:05", CivilTime{2015, 3, 18, 22, 20, 5}, true, false},
        {"2015-03-18t22:20:05Z", CivilTime{2015, 3, 18, 22, 20, 5}, true, true},
        {"2015-03-18Z", CivilTime{2015, 3, 18}, false, true},
        {"2016-02-29", CivilTime{2016, 2, 29}, false, false},
        {"2000-02-29", CivilTime{2000, 2, 29}, false, false},
        {"1/1/1", CivilTime{1, 1, 1}, false, false},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseDateArgument(c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(parsed->time, c.time) << c.text;
        EXPECT_EQ(parsed->hasTime, c.hasTime) << c.text;
        EXPECT_EQ(parsed->utc, c.utc) << c.text;
    }
}

TEST(DateArgumentTest, AnythingElseIsRefused) {
    for (const char* text : {"",
                             "Z",
                             "2015",
                             "2015-03",
                             "2015-03-18-",
                             "2015-03/18",
                             "2015/03-18",
                             "20150-03-18",
                             "2015-13-01",
                             "2015-00-10",
                             "2015-02-29",
                             "1900-02-29",
                             "2015-04-31",
                             "2015-03-00",
                             "2015-03-18T",
                             "2015-03-18T24:00",
                             "2015-03-18T12:60",
                             "2015-03-18T12:00:60",
                             "2015-03-18T12",
                             "2015-03-18X12:00",
                             "2015-03-18T12:00:00ZZ",
                             "yesterday",
                             "+2015-03-18",
                             "2015-03-18 12:00 "}) {
        EXPECT_FALSE(ParseDateArgument(text).has_value()) << text;
    }
}

TEST(DateArgumentTest, LocalTimesFollowTheZoneAndUtcDoesNot) {
    QX7_PIN_TIME_ZONE(tokyo, "Asia/Tokyo");
    const test::FixedNowLocalTime clock(test::kPrinterEpoch);
    const auto local = ParseDateArgument("2015-03-18T22:20:00");
    const auto utc = ParseDateArgument("2015-03-18T13:20:00Z");
    ASSERT_TRUE(local && utc);
    EXPECT_EQ(UnixSecondsOfArgument(*local, clock, false), test::kPrinterEpoch + 480000000);
    EXPECT_EQ(UnixSecondsOfArgument(*utc, clock, false), test::kPrinterEpoch + 480000000);
    // A date alone is its first second, or its last as the end of a range.
    const auto day = ParseDateArgument("2015/3/18");
    ASSERT_TRUE(day);
    EXPECT_EQ(UnixSecondsOfArgument(*day, clock, false),
              test::kPrinterEpoch + 480000000 - 22 * 3600 - 20 * 60);
    EXPECT_EQ(UnixSecondsOfArgument(*day, clock, true),
              test::kPrinterEpoch + 480000000 - 22 * 3600 - 20 * 60 + 86399);
}

TEST(DateArgumentTest, RangesAreCutToWhatAPrinterCanStamp) {
    const std::int64_t epoch = test::kPrinterEpoch;
    // Before the first stamp: a start is the first stamp, an end selects nothing.
    EXPECT_FALSE(PrinterRangeStart(epoch - 9 * 3600).empty);
    EXPECT_EQ(PrinterRangeStart(epoch - 9 * 3600).value, 0U);
    EXPECT_EQ(PrinterRangeStart(0).value, 0U);
    EXPECT_TRUE(PrinterRangeEnd(epoch - 1).empty);
    EXPECT_FALSE(PrinterRangeEnd(epoch).empty);
    EXPECT_EQ(PrinterRangeEnd(epoch).value, 0U);
    // Within: the stamp itself.
    EXPECT_EQ(PrinterRangeStart(epoch + 480000000).value, 480000000U);
    EXPECT_EQ(PrinterRangeEnd(epoch + 480000000).value, 480000000U);
    // Past the last: an end is the last stamp, a start selects nothing.
    const std::int64_t last = epoch + 0xFFFFFFFFLL;
    EXPECT_EQ(PrinterRangeEnd(last + 100).value, 0xFFFFFFFFU);
    EXPECT_FALSE(PrinterRangeStart(last).empty);
    EXPECT_TRUE(PrinterRangeStart(last + 1).empty);
}

}  // namespace
}  // namespace qx7
