#include "core/base/PrinterTime.h"

#include <limits>

namespace qx7 {
namespace {

constexpr std::int64_t kUnix2000 = 946684800;  // 2000-01-01 00:00:00 UTC

}  // namespace

std::optional<std::uint32_t> ToPrinterTime(std::int64_t secondsSince1970, const ILocalTime& clock) {
    const std::int64_t time = secondsSince1970 == 0 ? clock.Now() : secondsSince1970;
    if (time < kUnix2000) {
        return 0u;
    }
    const std::int64_t value = time - kUnix2000;
    if (value > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace qx7
