#pragma once
// Local times of many nearby moments with few questions to the zone. Asking the system costs
// about a microsecond a call; a log of a million entries touches a few thousand days. The
// cache learns one UTC day at a time: when the day's first and last seconds have the same
// offset and daylight flag, every second of it is that offset away from UTC. Zones never
// change their offset and change it back within one day, so such a day holds no change. A day
// with a change (or a leap second) is learnt by the minute the same way; a minute that still
// does not agree is asked second by second. The answers are always the zone's own.
//
// Days learnt are remembered (a thousand or so, by their number), so that moments scattered
// over a few years, such as the save times that settings records carry, are not asked again.
//
// One cache per thread: it remembers what it learnt.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "core/base/LocalTime.h"

namespace qx7 {

class LocalTimeCache {
  public:
    explicit LocalTimeCache(const ILocalTime& zone) : zone_(&zone) {}

    // What zone.ToLocal(secondsSince1970) answers.
    std::optional<CivilTime> ToLocal(std::int64_t secondsSince1970) {
        // Most moments fall in the span and on the day converted last: answered here.
        if (secondsSince1970 >= spanStart_ && secondsSince1970 <= spanEnd_ &&
            secondsSince1970 >= kFirstLearnt && secondsSince1970 <= kLastLearnt && dateKnown_) {
            const std::int64_t intoDay = secondsSince1970 + offset_ - dateDay_;
            if (intoDay >= 0 && intoDay < kDaySeconds) {
                return WithinDate(intoDay);
            }
        }
        return Learn(secondsSince1970);
    }

  private:
    static constexpr std::int64_t kDaySeconds = 86400;
    // Years 1 to 9999 and a day either side: beyond them the calendar has no text.
    static constexpr std::int64_t kFirstLearnt = -62135596800LL - kDaySeconds;
    static constexpr std::int64_t kLastLearnt = 253402300799LL + kDaySeconds;

    // The moment `intoDay` seconds into the day converted last.
    CivilTime WithinDate(std::int64_t intoDay) const {
        CivilTime local = date_;
        const auto second = static_cast<int>(intoDay);
        local.hour = second / 3600;
        local.minute = second / 60 % 60;
        local.second = second % 60;
        local.daylight = daylight_;
        return local;
    }
    // ToLocal for a moment outside what is known: learns its span and its day.
    std::optional<CivilTime> Learn(std::int64_t secondsSince1970);
    // Takes [start, start + length) as the span when its ends agree; false otherwise.
    bool TrySpan(std::int64_t start, std::int64_t length);
    // Takes the UTC day from `day` on as the span when it was learnt before.
    bool RecallDay(std::int64_t day);
    void RememberDay();

    struct LearntDay {
        std::int64_t day = 1;  // its first second; 1 (no day's) while the slot is free
        std::int64_t offset = 0;
        bool daylight = false;
    };
    static constexpr std::size_t kLearntDays = 1024;

    const ILocalTime* zone_;
    // Seconds spanStart_..spanEnd_ are offset_ seconds from UTC, all with daylight_.
    std::int64_t spanStart_ = 1;
    std::int64_t spanEnd_ = 0;
    std::int64_t offset_ = 0;
    bool daylight_ = false;
    // The calendar date of the last local day converted: records come many a day.
    bool dateKnown_ = false;
    std::int64_t dateDay_ = 0;  // its first second in local seconds
    CivilTime date_;
    // The last day and minute whose ends did not agree, so they are not asked again.
    std::optional<std::int64_t> unevenDay_;
    std::optional<std::int64_t> unevenMinute_;
    // Days learnt, each in the slot its number gives; made when a second day is learnt.
    std::unique_ptr<LearntDay[]> learnt_;
    std::size_t daysLearnt_ = 0;
};

// A zone whose ToLocal goes through a LocalTimeCache; the rest is the zone's own. For code
// that takes an ILocalTime and converts many dates with it. One per thread, like the cache.
class CachedLocalTime final : public ILocalTime {
  public:
    explicit CachedLocalTime(const ILocalTime& zone) : zone_(zone), cache_(zone) {}

    std::int64_t Now() const override { return zone_.Now(); }
    std::int64_t StandardOffsetWestSeconds() const override {
        return zone_.StandardOffsetWestSeconds();
    }
    TimeZoneFacts ZoneFacts() const override { return zone_.ZoneFacts(); }
    std::optional<std::int64_t> FromLocal(const CivilTime& local) const override {
        return zone_.FromLocal(local);
    }
    std::optional<CivilTime> ToLocal(std::int64_t secondsSince1970) const override {
        return cache_.ToLocal(secondsSince1970);
    }

  private:
    const ILocalTime& zone_;
    mutable LocalTimeCache cache_;
};

}  // namespace qx7
