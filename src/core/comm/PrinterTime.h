#pragma once
// The printer's clock counts seconds since 2000-01-01 00:00:00 as the PC's zone sees it.

#include <cstdint>
#include <optional>

#include "core/base/LocalTime.h"

namespace qx7 {

// Seconds since 1970 UTC (0 = now) to printer time: the distance from local 2000-01-01 00:00,
// moved by the zone's bias (and the daylight bias while daylight time runs now). Negative
// results give 0. nullopt when local 2000-01-01 cannot be converted.
std::optional<std::uint32_t> ToPrinterTime(std::int64_t secondsSince1970, const ILocalTime& clock);

}  // namespace qx7
