#include "core/log/LogTextContext.h"

namespace qx7 {
namespace {

constexpr std::int64_t kUnix2000 = 946684800;  // 2000-01-01 00:00:00 UTC

}  // namespace

LogTextContext::LogTextContext(LanguageId language, const ILocalTime& localTime)
    : language_(language),
      localTime_(&localTime),
      standardOffsetWest_(localTime.StandardOffsetWestSeconds()) {}

bool LogTextContext::ToLocal(std::uint32_t printerTime, CivilTime& local) const {
    // The distance from 2000-01-01 00:00 local standard time, in 32 bits as the printer's
    // clock counts: stamps before that moment wrap far above the limit.
    const std::uint32_t distance = printerTime - static_cast<std::uint32_t>(standardOffsetWest_);
    if (distance > kLatestShownTime) {
        return false;
    }
    const std::int64_t moment = kUnix2000 + standardOffsetWest_ + distance;
    std::int64_t minute = moment - moment % 60;
    if (moment % 60 < 0) {
        minute -= 60;
    }
    if (minute != cachedMinute_) {
        const auto start = localTime_->ToLocal(minute);
        const auto end = localTime_->ToLocal(minute + 59);
        cachedMinute_ = minute;
        cachedLinear_ = start && end && start->second == 0 && end->second == 59 &&
                        end->minute == start->minute && end->hour == start->hour &&
                        end->day == start->day && end->month == start->month &&
                        end->year == start->year && end->daylight == start->daylight;
        if (cachedLinear_) {
            cachedStart_ = *start;
        }
    }
    if (cachedLinear_) {
        local = cachedStart_;
        local.second = static_cast<int>(moment - minute);
        return true;
    }
    const auto direct = localTime_->ToLocal(moment);
    if (!direct) {
        return false;
    }
    local = *direct;
    return true;
}

}  // namespace qx7
