#include "platform/posix/PosixLocalTime.h"

#include <cerrno>
#include <ctime>

namespace qx7 {
namespace {

// The UTC offset (seconds east) in force while daylight time runs this year, or nullopt for a
// zone without daylight time now. Probes the middle of every month.
std::optional<long> DaylightOffsetEast(std::time_t now) {
    std::tm today{};
    if (localtime_r(&now, &today) == nullptr) {
        return std::nullopt;
    }
    for (int month = 0; month < 12; ++month) {
        std::tm probe{};
        probe.tm_year = today.tm_year;
        probe.tm_mon = month;
        probe.tm_mday = 15;
        probe.tm_hour = 12;
        probe.tm_isdst = -1;
        const std::time_t t = std::mktime(&probe);
        std::tm local{};
        if (t != static_cast<std::time_t>(-1) && localtime_r(&t, &local) != nullptr &&
            local.tm_isdst > 0) {
            return local.tm_gmtoff;
        }
    }
    return std::nullopt;
}

}  // namespace

std::int64_t PosixLocalTime::Now() const { return static_cast<std::int64_t>(std::time(nullptr)); }

std::int64_t PosixLocalTime::StandardOffsetWestSeconds() const {
    tzset();
    return static_cast<std::int64_t>(timezone);
}

TimeZoneFacts PosixLocalTime::ZoneFacts() const {
    tzset();
    TimeZoneFacts facts;
    facts.biasMinutes = static_cast<std::int32_t>(timezone / 60);
    facts.standardName = tzname[0] != nullptr ? tzname[0] : "";
    facts.daylightName = tzname[1] != nullptr ? tzname[1] : "";
    const std::time_t now = std::time(nullptr);
    if (const auto east = DaylightOffsetEast(now)) {
        // UTC = local + bias + daylightBias while daylight time runs.
        facts.daylightBiasMinutes = static_cast<std::int32_t>(-(*east + timezone) / 60);
    }
    std::tm local{};
    facts.daylightNow = localtime_r(&now, &local) != nullptr && local.tm_isdst > 0;
    return facts;
}

std::optional<std::int64_t> PosixLocalTime::FromLocal(const CivilTime& local) const {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    errno = 0;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1) && errno != 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(t);
}

std::optional<CivilTime> PosixLocalTime::ToLocal(std::int64_t secondsSince1970) const {
    const auto t = static_cast<std::time_t>(secondsSince1970);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) {
        return std::nullopt;
    }
    CivilTime c;
    c.year = tm.tm_year + 1900;
    c.month = tm.tm_mon + 1;
    c.day = tm.tm_mday;
    c.hour = tm.tm_hour;
    c.minute = tm.tm_min;
    c.second = tm.tm_sec;
    c.daylight = tm.tm_isdst > 0;
    return c;
}

}  // namespace qx7
