#include "core/base/PrinterTime.h"

#include <gtest/gtest.h>

#include "core/log/QXLogEntry.h"
#include "platform/SystemLocalTime.h"
#include "support/FixedNowLocalTime.h"
#include "support/ScopedTimeZone.h"

namespace qx7 {
namespace {

// A PC whose clock stands at a chosen moment: the zone facts, daylight time "now" included,
// are those of that moment in the pinned zone.
class PcClockAt final : public ILocalTime {
  public:
    explicit PcClockAt(std::int64_t now) : now_(now) {}
    std::int64_t Now() const override { return now_; }
    std::int64_t StandardOffsetWestSeconds() const override {
        return system_.StandardOffsetWestSeconds();
    }
    TimeZoneFacts ZoneFacts() const override {
        TimeZoneFacts facts = system_.ZoneFacts();
        const auto local = system_.ToLocal(now_);
        facts.daylightNow = local && local->daylight;
        return facts;
    }
    std::optional<std::int64_t> FromLocal(const CivilTime& local) const override {
        return system_.FromLocal(local);
    }
    std::optional<CivilTime> ToLocal(std::int64_t secondsSince1970) const override {
        return system_.ToLocal(secondsSince1970);
    }

  private:
    std::int64_t now_;
    SystemLocalTime system_;
};

using test::kPrinterEpoch;

TEST(PrinterTimeTest, UtcCountsFrom2000) {
    QX7_PIN_TIME_ZONE(tz, "UTC");
    const SystemLocalTime clock;
    EXPECT_EQ(ToPrinterTime(kPrinterEpoch + 86400, clock), 86400u);
    EXPECT_EQ(ToPrinterTime(kPrinterEpoch - 1, clock), 0u);
    EXPECT_EQ(ToPrinterTime(kPrinterEpoch + 0xFFFFFFFFLL, clock), 0xFFFFFFFFu);
    // Past what the printer's 32-bit clock holds: refused rather than wrapped to 2000.
    EXPECT_EQ(ToPrinterTime(kPrinterEpoch + 0x100000000LL, clock), std::nullopt);
}

// The PC's wall-clock time, typed or taken from the PC's own clock, reaches the printer as the
// true UTC instant, and the log viewers show a stamp of that value at the same wall-clock time.
TEST(PrinterTimeTest, LocalTimeInEveryZoneAndSeasonBecomesTrueUtc) {
    struct Case {
        const char* zone;
        CivilTime local;
        CivilTime utc;
        const char* shown;
    };
    const Case cases[] = {
        {"America/New_York",
         {2015, 1, 15, 12, 0, 0},
         {2015, 1, 15, 17, 0, 0},
         "01/15/2015 12:00:00"},
        {"America/New_York",
         {2015, 7, 15, 12, 0, 0},
         {2015, 7, 15, 16, 0, 0},
         "07/15/2015 12:00:00"},
        {"Europe/Berlin", {2015, 1, 15, 12, 0, 0}, {2015, 1, 15, 11, 0, 0}, "01/15/2015 12:00:00"},
        {"Europe/Berlin", {2015, 7, 15, 12, 0, 0}, {2015, 7, 15, 10, 0, 0}, "07/15/2015 12:00:00"},
        // Southern summer: 1 January itself falls in daylight time.
        {"Australia/Sydney",
         {2015, 1, 15, 12, 0, 0},
         {2015, 1, 15, 1, 0, 0},
         "01/15/2015 12:00:00"},
        {"Australia/Sydney",
         {2015, 7, 15, 12, 0, 0},
         {2015, 7, 15, 2, 0, 0},
         "07/15/2015 12:00:00"},
        {"Asia/Tokyo", {2015, 1, 15, 12, 0, 0}, {2015, 1, 15, 3, 0, 0}, "01/15/2015 12:00:00"},
        {"Asia/Tokyo", {2015, 7, 15, 12, 0, 0}, {2015, 7, 15, 3, 0, 0}, "07/15/2015 12:00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " " + c.shown);
        const test::ScopedTimeZone tz(c.zone);
        if (!tz.Pinned()) {
            continue;  // another zone's run
        }
        const auto expected = static_cast<std::uint32_t>(SecondsFromUtc(c.utc) - kPrinterEpoch);
        const PcClockAt pc(SecondsFromUtc(c.utc));

        // Typed values, converted as the date page does.
        const auto typed = pc.FromLocal(c.local);
        ASSERT_TRUE(typed);
        EXPECT_EQ(ToPrinterTime(*typed, pc), expected);
        // The PC's own clock (0 = now), with daylight time in force exactly when it is.
        EXPECT_EQ(ToPrinterTime(0, pc), expected);

        CQXLogEntry entry;
        entry.time = expected;
        std::string shown;
        entry.GetDateTimeText(shown, LogTextContext(kEnglish, pc));
        EXPECT_EQ(shown, c.shown);
    }
}

TEST(PrinterTimeTest, ZeroMeansNowAndEarlyTimesClampToZero) {
    QX7_PIN_TIME_ZONE(tz, "Asia/Tokyo");
    const test::FixedNowLocalTime clock(1700000000);
    EXPECT_EQ(ToPrinterTime(0, clock), static_cast<std::uint32_t>(1700000000 - kPrinterEpoch));
    // Local 2000-01-01 00:00 in Tokyo is 1999-12-31 15:00 UTC: before the epoch, sent as 0.
    const auto localMidnight = clock.FromLocal({2000, 1, 1, 0, 0, 0});
    ASSERT_TRUE(localMidnight);
    EXPECT_EQ(ToPrinterTime(*localMidnight, clock), 0u);
    EXPECT_EQ(ToPrinterTime(*localMidnight + 9 * 3600, clock), 0u);
    EXPECT_EQ(ToPrinterTime(*localMidnight + 9 * 3600 + 1, clock), 1u);
}

}  // namespace
}  // namespace qx7
