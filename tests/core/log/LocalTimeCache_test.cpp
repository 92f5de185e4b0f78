#include "core/log/LocalTimeCache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/SystemLocalTime.h"
#include "support/ScopedTimeZone.h"

namespace qx7 {
namespace {

constexpr std::int64_t kDay = 86400;
// 2014-03-09 00:00:00 UTC: the zone below changes around it.
constexpr std::int64_t kBase = 1394323200;
constexpr std::int64_t kFarAway = 1000000000000LL;

// A zone of made-up rules that counts the questions put to it: offset changes at odd seconds,
// a change of the daylight flag alone, and a leap second shown as second 60 (everything after
// it one second behind, as the zones with leap seconds count).
class RuleZone final : public ILocalTime {
  public:
    struct Change {
        std::int64_t at;  // UTC seconds since 1970
        std::int64_t offset;
        bool daylight;
    };

    std::int64_t Now() const override { return kBase; }
    std::int64_t StandardOffsetWestSeconds() const override { return 18000; }
    TimeZoneFacts ZoneFacts() const override { return {}; }
    std::optional<std::int64_t> FromLocal(const CivilTime&) const override { return std::nullopt; }
    std::optional<CivilTime> ToLocal(std::int64_t seconds) const override {
        ++questions;
        if (seconds < -kFarAway || seconds > kFarAway) {
            return std::nullopt;  // no calendar there
        }
        std::int64_t offset = -18000;
        bool daylight = false;
        for (const Change& change : changes) {
            if (seconds >= change.at) {
                offset = change.offset;
                daylight = change.daylight;
            }
        }
        if (seconds == leapSecond) {
            auto shown = UtcFromSeconds(seconds - 1 + offset);
            shown->second = 60;
            shown->daylight = daylight;
            return shown;
        }
        auto local = UtcFromSeconds(seconds - (seconds > leapSecond ? 1 : 0) + offset);
        if (local) {
            local->daylight = daylight;
        }
        return local;
    }

    std::vector<Change> changes = {
        {kBase + 7 * 3600 + 30, -14400, true},             // spring forward at 02:00:30 local
        {kBase + 10 * 3600 + 17, -14400 + 1800, true},     // half an hour more, same day
        {kBase + kDay + 3600, -14400 + 1800, false},       // the flag alone flips
        {kBase + 2 * kDay + 5 * 3600 + 45, -18000, false}  // back, on a minute's 45th second
    };
    std::int64_t leapSecond = kBase + 4 * kDay - 1;
    mutable int questions = 0;
};

// Every second of the zone's five odd days, forward, backward and in random jumps, reads as
// the zone itself answers.
TEST(LocalTimeCacheTest, AnswersWhatTheZoneAnswersAroundEveryKindOfChange) {
    RuleZone zone;
    LocalTimeCache cache(zone);
    const std::int64_t first = kBase - 3600;
    const std::int64_t last = kBase + 5 * kDay;
    for (std::int64_t t = first; t <= last; ++t) {
        ASSERT_EQ(cache.ToLocal(t), zone.ToLocal(t)) << t;
    }
    for (std::int64_t t = last; t >= first; t -= 7) {
        ASSERT_EQ(cache.ToLocal(t), zone.ToLocal(t)) << t;
    }
    std::mt19937_64 random(42);
    std::uniform_int_distribution<std::int64_t> pick(first, last);
    for (int i = 0; i < 200000; ++i) {
        const std::int64_t t = pick(random);
        ASSERT_EQ(cache.ToLocal(t), zone.ToLocal(t)) << t;
    }
}

TEST(LocalTimeCacheTest, AsksTheZoneTwiceForAnEvenDayAndByTheMinuteOnAnUnevenOne) {
    RuleZone zone;
    LocalTimeCache cache(zone);
    // An even day: its two ends, whatever the number of moments converted.
    const std::int64_t even = kBase + 10 * kDay;
    for (std::int64_t t = even; t < even + kDay; t += 3) {
        ASSERT_TRUE(cache.ToLocal(t));
    }
    EXPECT_EQ(zone.questions, 2);
    // The day with the two changes: the day's ends, then two a minute, and every second of the
    // two minutes in which the offset changes.
    zone.questions = 0;
    for (std::int64_t t = kBase; t < kBase + kDay; ++t) {
        ASSERT_TRUE(cache.ToLocal(t));
    }
    EXPECT_EQ(zone.questions, 2 + 2 * 1440 + 2 * 60);
    // Going back into that day asks only for its minutes again, not for the day.
    zone.questions = 0;
    for (std::int64_t t = kBase + 3600; t < kBase + 7200; ++t) {
        ASSERT_TRUE(cache.ToLocal(t));
    }
    EXPECT_EQ(zone.questions, 2 * 60);
}

TEST(LocalTimeCacheTest, MomentsScatteredOverYearsAskTheZoneOncePerDay) {
    RuleZone zone;
    LocalTimeCache cache(zone);
    // Whole even days, far from the zone's changes, visited over and over in random order
    // (as the save times of settings records come), with the changing days among them.
    std::mt19937_64 random(5);
    const std::int64_t start = kBase + 10 * kDay;
    constexpr int kDays = 300;
    for (int i = 0; i < 30000; ++i) {
        const std::int64_t moment =
            start + static_cast<std::int64_t>(random() % (kDays * kDay));
        ASSERT_EQ(cache.ToLocal(moment), zone.ToLocal(moment)) << moment;
    }
    zone.questions = 0;
    for (int i = 0; i < 30000; ++i) {
        const std::int64_t moment =
            start + static_cast<std::int64_t>(random() % (kDays * kDay));
        (void)cache.ToLocal(moment);
    }
    // All days are known by now: nothing more to ask (the day of a slot shared by two days
    // may be asked again, but not every time).
    EXPECT_LT(zone.questions, 200);
    for (std::int64_t moment = kBase - 3600; moment < kBase + 5 * kDay; moment += 7919) {
        ASSERT_EQ(cache.ToLocal(moment), zone.ToLocal(moment)) << moment;
    }
}

TEST(LocalTimeCacheTest, MomentsTheZoneCannotConvertStayUnconverted) {
    RuleZone zone;
    LocalTimeCache cache(zone);
    // Past year 9999 the calendar gives no answer, at a day's ends or within it.
    const std::int64_t late = 253402300799LL;
    EXPECT_EQ(cache.ToLocal(late), zone.ToLocal(late));
    EXPECT_FALSE(cache.ToLocal(late + 20000));
    EXPECT_TRUE(cache.ToLocal(kBase));
    // The extremes of the seconds go to the zone as they are, without arithmetic that overflows.
    for (const std::int64_t extreme :
         {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()}) {
        zone.questions = 0;
        EXPECT_FALSE(cache.ToLocal(extreme));
        EXPECT_EQ(zone.questions, 1);
    }
}

// The system's zones with their peculiar rules: half-hour daylight time, negative daylight
// time, a day left out, a leap second (where the zone files with leap seconds are there).
TEST(LocalTimeCacheTest, AgreesWithTheSystemZonesOverWholeYears) {
    const SystemLocalTime system;
    struct Case {
        const char* zone;
        std::int64_t from;  // a year from here
    };
    const Case cases[] = {
        {"America/New_York", 1388534400},     // 2014
        {"Australia/Lord_Howe", 1388534400},  // 2014, half an hour of daylight time
        {"Europe/Dublin", 1514764800},        // 2018, winter time is the daylight one
        {"Pacific/Apia", 1293840000},         // 2011, 30 December left out
        {"Africa/Casablanca", 1546300800},    // 2019, daylight time paused for a month
        {"right/Europe/Berlin", 1451606400},  // 2016, ends with a leap second
        {"Asia/Tokyo", 946684800},            // 2000
    };
    for (const Case& c : cases) {
        if (!std::filesystem::exists(std::string("/usr/share/zoneinfo/") + c.zone)) {
            continue;  // a system without that zone file
        }
        const test::ScopedTimeZone tz(c.zone);
        if (!tz.Pinned()) {
            continue;  // another zone's run
        }
        SCOPED_TRACE(c.zone);
        LocalTimeCache cache(system);
        // Steps of 7 minutes and a prime number of seconds meet every hour and minute offset.
        for (std::int64_t t = c.from; t < c.from + 366 * kDay; t += 421) {
            ASSERT_EQ(cache.ToLocal(t), system.ToLocal(t)) << t;
        }
        // The last seconds of the year second by second: the leap second lies there.
        for (std::int64_t t = c.from + 366 * kDay - 90; t < c.from + 366 * kDay + 90; ++t) {
            ASSERT_EQ(cache.ToLocal(t), system.ToLocal(t)) << t;
        }
    }
}

}  // namespace
}  // namespace qx7
