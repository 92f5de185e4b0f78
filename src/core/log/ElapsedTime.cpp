#include "core/log/ElapsedTime.h"

#include <cstdio>

#include "core/log/NumberText.h"

namespace qx7 {
namespace {

// Leap days in the years 1 .. year-1 of the Gregorian rule (closed form: no loop over years,
// however far apart two dates are).
std::int64_t LeapDaysBefore(std::int64_t year) {
    const std::int64_t y = year - 1;
    return y / 4 - y / 100 + y / 400;
}

// Days of the years from.year up to (not including) to.year, each with its own length.
std::int64_t DaysOfYearsBetween(std::uint32_t fromYear, std::uint32_t toYear) {
    const auto a = static_cast<std::int64_t>(fromYear);
    const auto b = static_cast<std::int64_t>(toYear);
    return 365 * (b - a) + (LeapDaysBefore(b) - LeapDaysBefore(a));
}

int AsInt(std::uint32_t value) {
    return static_cast<int>(value);
}

}  // namespace

void CElapsedTime::Get(std::uint32_t& hours, std::uint32_t& minutes, std::uint32_t& seconds,
                       std::uint32_t& milliseconds) const {
    hours = hours_;
    minutes = minutes_;
    seconds = seconds_;
    milliseconds = milliseconds_;
}

void CElapsedTime::SetSeconds(std::uint32_t seconds) {
    milliseconds_ = 0;
    seconds_ = seconds % 60;
    const std::uint32_t minutes = seconds / 60;
    minutes_ = minutes % 60;
    hours_ = minutes / 60;
}

void CElapsedTime::SetDifference(const CLogDate& from, const CLogDate& to) {
    Clear();
    if (!(from < to)) {
        return;
    }
    const std::int64_t days = DaysOfYearsBetween(from.Year(), to.Year()) +
                              static_cast<std::int64_t>(to.DayOfYear()) -
                              static_cast<std::int64_t>(from.DayOfYear());
    std::int64_t hours =
        24 * days + static_cast<std::int64_t>(to.Hour()) - static_cast<std::int64_t>(from.Hour());
    std::int64_t minutes =
        static_cast<std::int64_t>(to.Minute()) - static_cast<std::int64_t>(from.Minute());
    std::int64_t seconds =
        static_cast<std::int64_t>(to.Second()) - static_cast<std::int64_t>(from.Second());
    std::int64_t milliseconds =
        static_cast<std::int64_t>(to.Millisecond()) - static_cast<std::int64_t>(from.Millisecond());
    if (milliseconds < 0) {
        milliseconds += 1000;
        --seconds;
    }
    if (seconds < 0) {
        seconds += 60;
        --minutes;
    }
    if (minutes < 0) {
        minutes += 60;
        --hours;
    }
    hours_ = static_cast<std::uint32_t>(hours);
    minutes_ = static_cast<std::uint32_t>(minutes);
    seconds_ = static_cast<std::uint32_t>(seconds);
    milliseconds_ = static_cast<std::uint32_t>(milliseconds);
}

void CElapsedTime::Add(const CElapsedTime& other) {
    std::uint64_t milliseconds = std::uint64_t{milliseconds_} + other.milliseconds_;
    std::uint64_t seconds = std::uint64_t{seconds_} + other.seconds_ + milliseconds / 1000;
    std::uint64_t minutes = std::uint64_t{minutes_} + other.minutes_ + seconds / 60;
    const std::uint64_t hours = std::uint64_t{hours_} + other.hours_ + minutes / 60;
    milliseconds_ = static_cast<std::uint32_t>(milliseconds % 1000);
    seconds_ = static_cast<std::uint32_t>(seconds % 60);
    minutes_ = static_cast<std::uint32_t>(minutes % 60);
    hours_ = static_cast<std::uint32_t>(hours);
}

void CElapsedTime::Divide(std::uint32_t n) {
    if (n == 0) {
        return;
    }
    const std::uint64_t divisor = n;
    std::uint64_t rest = hours_;
    hours_ = static_cast<std::uint32_t>(rest / divisor);
    rest = rest % divisor * 60 + minutes_;
    minutes_ = static_cast<std::uint32_t>(rest / divisor);
    rest = rest % divisor * 60 + seconds_;
    seconds_ = static_cast<std::uint32_t>(rest / divisor);
    rest = rest % divisor * 1000 + milliseconds_;
    milliseconds_ = static_cast<std::uint32_t>(rest / divisor);
}

std::string CElapsedTime::Format(int kind) const {
    char text[64];
    int length = 0;
    switch (kind) {
        case 0:
            length = std::snprintf(text, sizeof text, "%4d:%02d:%02d:%03d", AsInt(hours_),
                                   AsInt(minutes_), AsInt(seconds_), AsInt(milliseconds_));
            break;
        case 1: {
            // "%d:%02d:%02d"
            char* end = PutDecimal(text, AsInt(hours_), 1);
            *end++ = ':';
            end = PutTwo(end, AsInt(minutes_));
            *end++ = ':';
            end = PutTwo(end, AsInt(seconds_));
            length = static_cast<int>(end - text);
            break;
        }
        case 2:
            length = static_cast<int>(
                PutDecimal(text, AsInt(hours_ * 60 + minutes_ + (seconds_ != 0 ? 1U : 0U)), 1) -
                text);
            break;
        default:
            return {};
    }
    return length > 0 ? std::string(text, static_cast<std::size_t>(length)) : std::string();
}

}  // namespace qx7
