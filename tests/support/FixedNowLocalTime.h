#pragma once

#include <cstdint>

#include "platform/SystemLocalTime.h"

namespace qx7::test {

// The system's local time (so a pinned TZ applies) with a present moment the test chooses.
class FixedNowLocalTime final : public ILocalTime {
public:
    explicit FixedNowLocalTime(std::int64_t now) : now_(now) {}
    void SetNow(std::int64_t now) { now_ = now; }

    std::int64_t Now() const override { return now_; }
    std::int64_t StandardOffsetWestSeconds() const override {
        return system_.StandardOffsetWestSeconds();
    }
    TimeZoneFacts ZoneFacts() const override { return system_.ZoneFacts(); }
    std::optional<std::int64_t> FromLocal(const CivilTime& local) const override {
        return system_.FromLocal(local);
    }
    std::optional<CivilTime> ToLocal(std::int64_t secondsSince1970) const override {
        return system_.ToLocal(secondsSince1970);
    }

private:
    std::int64_t now_;
    SystemLocalTime system_;
};

// Seconds since 1970 of 2000-01-01 00:00:00 UTC, the printer clock's origin.
inline constexpr std::int64_t kPrinterEpoch = 946684800;

}  // namespace qx7::test
