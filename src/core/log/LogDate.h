#pragma once
// A calendar date-time with milliseconds as the statistics see it: seven plain numbers, no
// time zone. Comparisons are field by field, year first.

#include <cstdint>
#include <string>

namespace qx7 {

class CLogDate {
  public:
    CLogDate() = default;
    CLogDate(std::uint32_t year, std::uint32_t month, std::uint32_t day, std::uint32_t hour,
             std::uint32_t minute, std::uint32_t second, std::uint32_t millisecond);

    void Set(std::uint32_t year, std::uint32_t month, std::uint32_t day, std::uint32_t hour,
             std::uint32_t minute, std::uint32_t second, std::uint32_t millisecond);
    void Assign(const CLogDate& other) { *this = other; }
    void Get(std::uint32_t& year, std::uint32_t& month, std::uint32_t& day, std::uint32_t& hour,
             std::uint32_t& minute, std::uint32_t& second, std::uint32_t& millisecond) const;

    std::uint32_t Year() const { return year_; }
    std::uint32_t Month() const { return month_; }
    std::uint32_t Day() const { return day_; }
    std::uint32_t Hour() const { return hour_; }
    std::uint32_t Minute() const { return minute_; }
    std::uint32_t Second() const { return second_; }
    std::uint32_t Millisecond() const { return millisecond_; }
    // All seven fields zero: the "not set" value of the statistics.
    bool IsZero() const { return *this == CLogDate(); }

    // Days of the months before this one plus the day (months 0 and 1: the day).
    std::uint32_t DayOfYear() const;
    void NextDay();
    void NextMonth();
    void NextYear();

    bool SameDay(const CLogDate& other) const;
    bool operator==(const CLogDate& other) const = default;
    bool operator<(const CLogDate& other) const;
    bool operator<=(const CLogDate& other) const { return *this < other || *this == other; }
    bool operator>(const CLogDate& other) const { return !(*this <= other); }
    bool operator>=(const CLogDate& other) const { return !(*this < other); }

    // 0 "March 05, 2014  13:45:07.250", 1 "3/5/2014 13:45", 2 "3/5/2014",
    // 3 "2014/3/5 13:45", 4 "2014/3/5"; any other kind: empty.
    std::string Format(int kind) const;

    static bool IsLeapYear(std::uint32_t year);
    // 28..31; months outside 1..12 count as 31 days so that walking never stalls.
    static std::uint32_t DaysInMonth(std::uint32_t year, std::uint32_t month);

  private:
    std::uint32_t year_ = 0;
    std::uint32_t month_ = 0;
    std::uint32_t day_ = 0;
    std::uint32_t hour_ = 0;
    std::uint32_t minute_ = 0;
    std::uint32_t second_ = 0;
    std::uint32_t millisecond_ = 0;
};

}  // namespace qx7
