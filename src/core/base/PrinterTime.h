#pragma once
// The printer's clock counts true UTC seconds since 2000-01-01 00:00:00; the log viewers turn
// its stamps back into the PC's wall-clock time, daylight time included.

#include <cstdint>
#include <optional>

#include "core/base/LocalTime.h"

namespace qx7 {

// Seconds since 1970 UTC (0 = now) to printer time: the UTC seconds since 2000-01-01 00:00:00.
// A time before that gives 0; one beyond what 32 bits can count gives nullopt. Callers turn an
// entered local time into seconds since 1970 with ILocalTime::FromLocal first, which settles
// daylight time for that date; no zone correction belongs here, or summer stamps would show an
// hour late.
std::optional<std::uint32_t> ToPrinterTime(std::int64_t secondsSince1970, const ILocalTime& clock);

}  // namespace qx7
