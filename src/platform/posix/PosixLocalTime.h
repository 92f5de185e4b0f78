#pragma once
// Local time from the C library: the TZ environment variable pins it (tests rely on that).

#include "core/base/LocalTime.h"

namespace qx7 {

class PosixLocalTime final : public ILocalTime {
public:
    std::int64_t Now() const override;
    std::int64_t StandardOffsetWestSeconds() const override;
    TimeZoneFacts ZoneFacts() const override;
    std::optional<std::int64_t> FromLocal(const CivilTime& local) const override;
    std::optional<CivilTime> ToLocal(std::int64_t secondsSince1970) const override;
};

}  // namespace qx7
