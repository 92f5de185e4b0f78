#pragma once
// Local time from the Windows time-zone information and its calendar conversions. Wine takes
// the zone from TZ when the process starts (tests rely on that); later changes of TZ do nothing.

#include "core/base/LocalTime.h"

namespace qx7 {

class Win32LocalTime final : public ILocalTime {
  public:
    std::int64_t Now() const override;
    std::int64_t StandardOffsetWestSeconds() const override;
    TimeZoneFacts ZoneFacts() const override;
    std::optional<std::int64_t> FromLocal(const CivilTime& local) const override;
    std::optional<CivilTime> ToLocal(std::int64_t secondsSince1970) const override;
};

}  // namespace qx7
