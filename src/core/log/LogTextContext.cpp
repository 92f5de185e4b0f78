#include "core/log/LogTextContext.h"

namespace qx7 {
namespace {

constexpr std::int64_t kUnix2000 = 946684800;  // 2000-01-01 00:00:00 UTC

}  // namespace

LogTextContext::LogTextContext(LanguageId language, const ILocalTime& localTime)
    : language_(language),
      localTime_(&localTime),
      standardOffsetWest_(localTime.StandardOffsetWestSeconds()),
      cache_(localTime) {}

bool LogTextContext::ToLocal(std::uint32_t printerTime, CivilTime& local) const {
    // The distance from 2000-01-01 00:00 local standard time, in 32 bits as the printer's
    // clock counts: stamps before that moment wrap far above the limit.
    const std::uint32_t distance = printerTime - static_cast<std::uint32_t>(standardOffsetWest_);
    if (distance > kLatestShownTime) {
        return false;
    }
    const auto converted = cache_.ToLocal(kUnix2000 + standardOffsetWest_ + distance);
    if (!converted) {
        return false;
    }
    local = *converted;
    return true;
}

}  // namespace qx7
