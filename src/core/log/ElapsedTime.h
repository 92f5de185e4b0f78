#pragma once
// A duration in hours (unbounded), minutes, seconds and milliseconds, as the statistics add up
// working times.

#include <cstdint>
#include <string>

#include "core/log/LogDate.h"

namespace qx7 {

class CElapsedTime {
  public:
    CElapsedTime() = default;
    CElapsedTime(std::uint32_t hours, std::uint32_t minutes, std::uint32_t seconds,
                 std::uint32_t milliseconds)
        : hours_(hours), minutes_(minutes), seconds_(seconds), milliseconds_(milliseconds) {}

    void Clear() { *this = CElapsedTime(); }
    void Get(std::uint32_t& hours, std::uint32_t& minutes, std::uint32_t& seconds,
             std::uint32_t& milliseconds) const;
    std::uint32_t Hours() const { return hours_; }
    std::uint32_t Minutes() const { return minutes_; }
    std::uint32_t Seconds() const { return seconds_; }
    std::uint32_t Milliseconds() const { return milliseconds_; }

    void SetSeconds(std::uint32_t seconds);
    // The time from `from` to `to`; zero unless `from` is earlier.
    void SetDifference(const CLogDate& from, const CLogDate& to);
    void Add(const CElapsedTime& other);
    // The whole duration divided by n; the milliseconds' remainder is dropped. n = 0 leaves
    // the value as it is.
    void Divide(std::uint32_t n);

    // 0 "   1:02:03:004", 1 "1:02:03", 2 whole minutes rounded up by any seconds; else empty.
    std::string Format(int kind) const;

    bool operator==(const CElapsedTime&) const = default;

  private:
    std::uint32_t hours_ = 0;
    std::uint32_t minutes_ = 0;
    std::uint32_t seconds_ = 0;
    std::uint32_t milliseconds_ = 0;
};

}  // namespace qx7
