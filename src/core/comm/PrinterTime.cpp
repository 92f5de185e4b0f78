#include "core/comm/PrinterTime.h"

namespace qx7 {

std::optional<std::uint32_t> ToPrinterTime(std::int64_t secondsSince1970, const ILocalTime& clock) {
    const std::int64_t time = secondsSince1970 == 0 ? clock.Now() : secondsSince1970;
    const auto base = clock.FromLocal(CivilTime{2000, 1, 1, 0, 0, 0});
    if (!base) {
        return std::nullopt;
    }
    std::int64_t value = time - *base;
    const TimeZoneFacts facts = clock.ZoneFacts();
    if (facts.daylightNow) {
        value -= static_cast<std::int64_t>(facts.daylightBiasMinutes) * 60;
    }
    value += static_cast<std::int64_t>(facts.biasMinutes) * 60;
    if (value < 0) {
        return 0u;
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace qx7
