#pragma once
// Dates and times typed on the command line, one grammar for every command that takes them
// (the statistics' day range and the entry listing's time range), and where such a time falls
// among the printer's stamps.

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/base/LocalTime.h"

namespace qx7 {

struct DateArgument {
    CivilTime time;  // the date, and the time of day when one was given
    bool hasTime = false;
    bool utc = false;  // it ended in "Z": UTC, else the PC's local time
};

// "YYYY-MM-DD" or "Y/M/D" (years of up to 4 digits, month and day of 1 or 2), optionally
// followed by a time of day "HH:MM" or "HH:MM:SS" after a "T" or a blank, and optionally by a
// final "Z" for UTC. nullopt for anything else, and for a day its month does not have.
std::optional<DateArgument> ParseDateArgument(std::string_view text);

// Seconds since 1970 UTC of the argument: its first second, or with `endOfDay` its last when no
// time of day was given; local time as the system keeps it (daylight time included) unless UTC.
std::int64_t UnixSecondsOfArgument(const DateArgument& argument, const ILocalTime& clock,
                                   bool endOfDay);

// One end of a range of printer stamps (UTC seconds since 2000, 32 bits). A start before the
// first stamp a printer can write is the first; an end past the last is the last.
struct PrinterTimeBound {
    bool empty = false;  // the range holds no stamp at all (a start past the last, an end
                         // before the first)
    std::uint32_t value = 0;
};
PrinterTimeBound PrinterRangeStart(std::int64_t unixSeconds);
PrinterTimeBound PrinterRangeEnd(std::int64_t unixSeconds);

}  // namespace qx7
