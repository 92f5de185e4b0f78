#include "core/log/DateArgument.h"

#include <limits>

namespace qx7 {
namespace {

constexpr std::int64_t kUnixSecondsOf2000 = 946684800;
constexpr std::int64_t kLastPrinterStamp = std::numeric_limits<std::uint32_t>::max();

// Reads 1 to `most` decimal digits at `at`; -1 when there are none.
int Number(std::string_view text, std::size_t& at, std::size_t most) {
    int value = 0;
    std::size_t digits = 0;
    while (at < text.size() && digits < most && text[at] >= '0' && text[at] <= '9') {
        value = value * 10 + (text[at] - '0');
        ++at;
        ++digits;
    }
    return digits == 0 ? -1 : value;
}

bool Skip(std::string_view text, std::size_t& at, char expected) {
    if (at < text.size() && text[at] == expected) {
        ++at;
        return true;
    }
    return false;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<DateArgument> ParseDateArgument(std::string_view text) {
    DateArgument argument;
    if (!text.empty() && (text.back() == 'Z' || text.back() == 'z')) {
        argument.utc = true;
        text.remove_suffix(1);
    }
    CivilTime& time = argument.time;
    std::size_t at = 0;
    time.year = Number(text, at, 4);
    const char separator = at < text.size() ? text[at] : '\0';
    if (time.year < 1 || (separator != '-' && separator != '/')) {
        return std::nullopt;
    }
    ++at;
    time.month = Number(text, at, 2);
    if (!Skip(text, at, separator)) {
        return std::nullopt;
    }
    time.day = Number(text, at, 2);
    if (time.month < 1 || time.month > 12 || time.day < 1 ||
        time.day > DaysInMonth(time.year, time.month)) {
        return std::nullopt;
    }
    if (at < text.size()) {
        if (text[at] != 'T' && text[at] != 't' && text[at] != ' ') {
            return std::nullopt;
        }
        ++at;
        time.hour = Number(text, at, 2);
        if (!Skip(text, at, ':')) {
            return std::nullopt;
        }
        time.minute = Number(text, at, 2);
        time.second = Skip(text, at, ':') ? Number(text, at, 2) : 0;
        if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 ||
            time.second < 0 || time.second > 59) {
            return std::nullopt;
        }
        argument.hasTime = true;
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    return argument;
}

std::int64_t UnixSecondsOfArgument(const DateArgument& argument, const ILocalTime& clock,
                                   bool endOfDay) {
    CivilTime time = argument.time;
    if (!argument.hasTime && endOfDay) {
        time.hour = 23;
        time.minute = 59;
        time.second = 59;
    }
    if (argument.utc) {
        return SecondsFromUtc(time);
    }
    // Far from any printer's years the system may not convert; the zone's standard offset
    // then places the time closely enough to fall on the same side of every stamp.
    return clock.FromLocal(time).value_or(SecondsFromUtc(time) + clock.StandardOffsetWestSeconds());
}

PrinterTimeBound PrinterRangeStart(std::int64_t unixSeconds) {
    const std::int64_t stamp = unixSeconds - kUnixSecondsOf2000;
    if (stamp > kLastPrinterStamp) {
        return {true, 0};
    }
    return {false, static_cast<std::uint32_t>(stamp < 0 ? 0 : stamp)};
}

PrinterTimeBound PrinterRangeEnd(std::int64_t unixSeconds) {
    const std::int64_t stamp = unixSeconds - kUnixSecondsOf2000;
    if (stamp < 0) {
        return {true, 0};
    }
    return {false,
            static_cast<std::uint32_t>(stamp > kLastPrinterStamp ? kLastPrinterStamp : stamp)};
}

}  // namespace qx7
