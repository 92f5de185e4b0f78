#include "core/base/LocalTime.h"

namespace qx7 {
namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian), valid far beyond any
// date a printer can hold.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? static_cast<unsigned>(-3) : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

std::optional<CivilTime> UtcFromSeconds(std::int64_t secondsSince1970) {
    constexpr std::int64_t kDay = 86400;
    // Years 1 to 9999 only: beyond that no calendar text makes sense.
    if (secondsSince1970 < -62135596800LL || secondsSince1970 > 253402300799LL) {
        return std::nullopt;
    }
    std::int64_t days = secondsSince1970 / kDay;
    std::int64_t rest = secondsSince1970 % kDay;
    if (rest < 0) {
        rest += kDay;
        --days;
    }
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    CivilTime t;
    t.year = static_cast<int>(y + (m <= 2 ? 1 : 0));
    t.month = static_cast<int>(m);
    t.day = static_cast<int>(d);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest % 3600 / 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::int64_t SecondsFromUtc(const CivilTime& utc) {
    // Normalise the month first so that month 13 or 0 roll over like the C library does.
    std::int64_t year = utc.year;
    std::int64_t month0 = utc.month - 1;
    year += month0 >= 0 ? month0 / 12 : (month0 - 11) / 12;
    month0 = ((month0 % 12) + 12) % 12;
    const std::int64_t days =
        DaysFromCivil(year, static_cast<unsigned>(month0 + 1), 1) + (utc.day - 1);
    return days * 86400 + utc.hour * 3600LL + utc.minute * 60LL + utc.second;
}

}  // namespace qx7
