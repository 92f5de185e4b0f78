#pragma once
// The one door to local time and time-zone facts. Everything that turns seconds into a wall
// clock (or back) goes through this interface, so tests can pin the zone.

#include <cstdint>
#include <optional>
#include <string>

namespace qx7 {

// A broken-down calendar time; month 1..12, day 1..31.
struct CivilTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool daylight = false;  // only meaningful on results of ToLocal

    bool operator==(const CivilTime&) const = default;
};

// Facts about the PC's time zone, with the sign conventions of the zone bias:
// UTC = local time + bias (minutes); while daylight time is in force UTC = local + bias +
// daylightBias (daylightBias is usually -60).
struct TimeZoneFacts {
    std::int32_t biasMinutes = 0;
    std::int32_t daylightBiasMinutes = 0;
    bool daylightNow = false;
    std::string standardName;  // UTF-8
    std::string daylightName;  // UTF-8
};

class ILocalTime {
  public:
    virtual ~ILocalTime() = default;

    // Seconds since 1970-01-01 00:00:00 UTC.
    virtual std::int64_t Now() const = 0;

    // The standard-time offset west of UTC in seconds (0 for UTC, -32400 for Japan).
    virtual std::int64_t StandardOffsetWestSeconds() const = 0;

    virtual TimeZoneFacts ZoneFacts() const = 0;

    // Local wall-clock time to seconds since 1970 UTC, the system deciding whether daylight
    // time applies; out-of-range fields roll over (February 30 is March 2 or 1).
    virtual std::optional<std::int64_t> FromLocal(const CivilTime& local) const = 0;

    // Seconds since 1970 UTC to local wall-clock time, daylight time included.
    virtual std::optional<CivilTime> ToLocal(std::int64_t secondsSince1970) const = 0;
};

// Calendar arithmetic that needs no zone: seconds since 1970 UTC to UTC calendar time and back.
std::optional<CivilTime> UtcFromSeconds(std::int64_t secondsSince1970);
std::int64_t SecondsFromUtc(const CivilTime& utc);

}  // namespace qx7
