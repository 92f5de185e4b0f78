#include "core/log/LogDate.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/log/NumberText.h"

namespace qx7 {
namespace {

constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

// The C formats print these fields with %d: values past INT_MAX show as the C library would.
int AsInt(std::uint32_t value) {
    return static_cast<int>(value);
}

}  // namespace

CLogDate::CLogDate(std::uint32_t year, std::uint32_t month, std::uint32_t day, std::uint32_t hour,
                   std::uint32_t minute, std::uint32_t second, std::uint32_t millisecond) {
    Set(year, month, day, hour, minute, second, millisecond);
}

void CLogDate::Set(std::uint32_t year, std::uint32_t month, std::uint32_t day, std::uint32_t hour,
                   std::uint32_t minute, std::uint32_t second, std::uint32_t millisecond) {
    year_ = year;
    month_ = month;
    day_ = day;
    hour_ = hour;
    minute_ = minute;
    second_ = second;
    millisecond_ = millisecond;
}

void CLogDate::Get(std::uint32_t& year, std::uint32_t& month, std::uint32_t& day,
                   std::uint32_t& hour, std::uint32_t& minute, std::uint32_t& second,
                   std::uint32_t& millisecond) const {
    year = year_;
    month = month_;
    day = day_;
    hour = hour_;
    minute = minute_;
    second = second_;
    millisecond = millisecond_;
}

bool CLogDate::IsLeapYear(std::uint32_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::uint32_t CLogDate::DaysInMonth(std::uint32_t year, std::uint32_t month) {
    static constexpr std::array<std::uint32_t, 12> kLengths = {31, 28, 31, 30, 31, 30,
                                                               31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 31;
    }
    return month == 2 && IsLeapYear(year) ? 29 : kLengths[month - 1];
}

std::uint32_t CLogDate::DayOfYear() const {
    // Days before each month of a common year; a leap day counts from March on. Months past
    // December count the whole year.
    static constexpr std::array<std::uint32_t, 13> kDaysBefore = {
        0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
    const std::uint32_t monthsBefore = month_ == 0 ? 0 : std::min<std::uint32_t>(month_ - 1, 12);
    const std::uint32_t leapDay = monthsBefore >= 2 && IsLeapYear(year_) ? 1 : 0;
    return day_ + kDaysBefore[monthsBefore] + leapDay;
}

void CLogDate::NextDay() {
    ++day_;
    if (day_ > DaysInMonth(year_, month_)) {
        day_ = 1;
        NextMonth();
    }
}

void CLogDate::NextMonth() {
    ++month_;
    if (month_ == 13) {
        month_ = 1;
        ++year_;
    }
}

void CLogDate::NextYear() {
    ++year_;
    if (month_ == 2 && day_ == 29 && !IsLeapYear(year_)) {
        month_ = 3;
        day_ = 1;
    }
}

bool CLogDate::SameDay(const CLogDate& other) const {
    return year_ == other.year_ && month_ == other.month_ && day_ == other.day_;
}

bool CLogDate::operator<(const CLogDate& other) const {
    if (year_ != other.year_) {
        return year_ < other.year_;
    }
    if (month_ != other.month_) {
        return month_ < other.month_;
    }
    if (day_ != other.day_) {
        return day_ < other.day_;
    }
    if (hour_ != other.hour_) {
        return hour_ < other.hour_;
    }
    if (minute_ != other.minute_) {
        return minute_ < other.minute_;
    }
    if (second_ != other.second_) {
        return second_ < other.second_;
    }
    return millisecond_ < other.millisecond_;
}

std::string CLogDate::Format(int kind) const {
    char text[160];
    int length = 0;
    switch (kind) {
        case 0: {
            const char* name = month_ >= 1 && month_ <= 12 ? kMonthNames[month_ - 1] : "";
            length = std::snprintf(text, sizeof text, "%s %02d, %04d  %02d:%02d:%02d.%03d", name,
                                   AsInt(day_), AsInt(year_), AsInt(hour_), AsInt(minute_),
                                   AsInt(second_), AsInt(millisecond_));
            break;
        }
        // The numeric kinds: "%d/%d/%d %d:%02d" and "%d/%d/%d", month or year first.
        case 1:
        case 2:
        case 3:
        case 4: {
            const bool yearFirst = kind >= 3;
            char* end = PutDecimal(text, AsInt(yearFirst ? year_ : month_), 1);
            *end++ = '/';
            end = PutDecimal(end, AsInt(yearFirst ? month_ : day_), 1);
            *end++ = '/';
            end = PutDecimal(end, AsInt(yearFirst ? day_ : year_), 1);
            if (kind == 1 || kind == 3) {
                *end++ = ' ';
                end = PutDecimal(end, AsInt(hour_), 1);
                *end++ = ':';
                end = PutTwo(end, AsInt(minute_));
            }
            length = static_cast<int>(end - text);
            break;
        }
        default:
            return {};
    }
    return length > 0 ? std::string(text, static_cast<std::size_t>(length)) : std::string();
}

}  // namespace qx7
