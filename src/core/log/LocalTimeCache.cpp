#include "core/log/LocalTimeCache.h"

namespace qx7 {
namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kMinute = 60;

std::int64_t FloorTo(std::int64_t value, std::int64_t step) {
    std::int64_t floor = value - value % step;
    if (value % step < 0) {
        floor -= step;
    }
    return floor;
}

}  // namespace

std::optional<CivilTime> LocalTimeCache::Learn(std::int64_t secondsSince1970) {
    if (secondsSince1970 < kFirstLearnt || secondsSince1970 > kLastLearnt) {
        return zone_->ToLocal(secondsSince1970);  // no calendar date there; no overflow either
    }
    if (secondsSince1970 < spanStart_ || secondsSince1970 > spanEnd_) {
        const std::int64_t day = FloorTo(secondsSince1970, kDay);
        const std::int64_t minute = FloorTo(secondsSince1970, kMinute);
        bool learnt = RecallDay(day);
        if (!learnt && unevenDay_ != day) {
            learnt = TrySpan(day, kDay);
            if (learnt) {
                RememberDay();
            } else {
                unevenDay_ = day;
            }
        }
        if (!learnt && unevenMinute_ != minute) {
            learnt = TrySpan(minute, kMinute);
            if (!learnt) {
                unevenMinute_ = minute;
            }
        }
        if (!learnt) {
            return zone_->ToLocal(secondsSince1970);
        }
    }
    const std::int64_t localSeconds = secondsSince1970 + offset_;
    std::int64_t intoDay = localSeconds - dateDay_;
    if (!dateKnown_ || intoDay < 0 || intoDay >= kDay) {
        const std::int64_t day = FloorTo(localSeconds, kDay);
        // The calendar's range ends on whole days: a day's start converts when its seconds do.
        const auto date = UtcFromSeconds(day);
        if (!date) {
            return zone_->ToLocal(secondsSince1970);
        }
        date_ = *date;
        dateDay_ = day;
        dateKnown_ = true;
        intoDay = localSeconds - day;
    }
    return WithinDate(intoDay);
}

bool LocalTimeCache::RecallDay(std::int64_t day) {
    if (!learnt_) {
        return false;
    }
    const LearntDay& slot = learnt_[static_cast<std::uint64_t>(day / kDay) % kLearntDays];
    if (slot.day != day) {
        return false;
    }
    spanStart_ = day;
    spanEnd_ = day + kDay - 1;
    offset_ = slot.offset;
    daylight_ = slot.daylight;
    return true;
}

void LocalTimeCache::RememberDay() {
    // Records of one day need no table: it is made once a second day comes.
    if (++daysLearnt_ < 2) {
        return;
    }
    if (!learnt_) {
        learnt_ = std::make_unique<LearntDay[]>(kLearntDays);
    }
    learnt_[static_cast<std::uint64_t>(spanStart_ / kDay) % kLearntDays] =
        LearntDay{spanStart_, offset_, daylight_};
}

bool LocalTimeCache::TrySpan(std::int64_t start, std::int64_t length) {
    const std::int64_t end = start + length - 1;
    const auto first = zone_->ToLocal(start);
    const auto last = zone_->ToLocal(end);
    if (!first || !last || first->daylight != last->daylight) {
        return false;
    }
    // A leap second shows as second 60, which rolls over here and breaks the agreement.
    const std::int64_t offset = SecondsFromUtc(*first) - start;
    if (SecondsFromUtc(*last) - end != offset || first->second > 59 || last->second > 59) {
        return false;
    }
    spanStart_ = start;
    spanEnd_ = end;
    offset_ = offset;
    daylight_ = first->daylight;
    return true;
}

}  // namespace qx7
