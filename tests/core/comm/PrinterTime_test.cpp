#include "core/comm/PrinterTime.h"

#include <gtest/gtest.h>

#include "platform/posix/PosixLocalTime.h"
#include "support/ScopedTimeZone.h"

namespace qx7 {
namespace {

// A zone whose daylight state "now" the test decides.
class FixedZone final : public ILocalTime {
public:
    FixedZone(std::int32_t bias, std::int32_t daylightBias, bool daylightNow)
        : bias_(bias), daylightBias_(daylightBias), daylightNow_(daylightNow) {}
    std::int64_t Now() const override { return 1700000000; }
    std::int64_t StandardOffsetWestSeconds() const override { return bias_ * 60LL; }
    TimeZoneFacts ZoneFacts() const override {
        return {bias_, daylightBias_, daylightNow_, "STD", "DST"};
    }
    std::optional<std::int64_t> FromLocal(const CivilTime& local) const override {
        // January is standard time in this zone.
        return SecondsFromUtc(local) + bias_ * 60LL;
    }
    std::optional<CivilTime> ToLocal(std::int64_t) const override { return std::nullopt; }

private:
    std::int32_t bias_;
    std::int32_t daylightBias_;
    bool daylightNow_;
};

constexpr std::int64_t k2000 = 946684800;

TEST(PrinterTimeTest, UtcCountsFrom2000) {
    test::ScopedTimeZone tz("UTC");
    const PosixLocalTime clock;
    EXPECT_EQ(ToPrinterTime(k2000 + 86400, clock), 86400u);
    EXPECT_EQ(ToPrinterTime(k2000 - 1, clock), 0u);
}

TEST(PrinterTimeTest, StandardTimeZonesGiveTrueUtcSeconds) {
    const PosixLocalTime clock;
    for (const char* zone : {"Asia/Tokyo", "America/New_York", "Europe/Berlin"}) {
        test::ScopedTimeZone tz(zone);
        if (clock.ZoneFacts().daylightNow) {
            continue;  // covered by the fixed zones below
        }
        EXPECT_EQ(ToPrinterTime(k2000 + 480000000, clock), 480000000u) << zone;
    }
}

TEST(PrinterTimeTest, DaylightTimeNowAddsTheDaylightBias) {
    // New York: bias 300, daylight bias -60.
    const FixedZone winter(300, -60, false);
    const FixedZone summer(300, -60, true);
    EXPECT_EQ(ToPrinterTime(k2000 + 1000000, winter), 1000000u);
    EXPECT_EQ(ToPrinterTime(k2000 + 1000000, summer), 1000000u + 3600u);
    // Berlin in summer: one hour ahead as well.
    const FixedZone berlinSummer(-60, -60, true);
    EXPECT_EQ(ToPrinterTime(k2000 + 1000000, berlinSummer), 1003600u);
}

TEST(PrinterTimeTest, ZeroMeansNowAndEarlyTimesClampToZero) {
    const FixedZone tokyo(-540, 0, false);
    EXPECT_EQ(ToPrinterTime(0, tokyo), static_cast<std::uint32_t>(1700000000 - k2000));
    // Local 2000-01-01 00:00 in Tokyo is 1999-12-31 15:00 UTC: before the epoch, sent as 0.
    const PosixLocalTime clock;
    test::ScopedTimeZone tz("Asia/Tokyo");
    const auto localMidnight = clock.FromLocal({2000, 1, 1, 0, 0, 0});
    ASSERT_TRUE(localMidnight);
    EXPECT_EQ(ToPrinterTime(*localMidnight, clock), 0u);
}

}  // namespace
}  // namespace qx7
