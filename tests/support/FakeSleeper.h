#pragma once

#include <cstdint>
#include <optional>

#include "core/base/LocalTime.h"
#include "core/comm/Sleeper.h"

namespace qx7::test {

// Counts the waits instead of waiting.
class FakeSleeper final : public ISleeper {
  public:
    void SleepMilliseconds(int milliseconds) override {
        ++calls;
        totalMilliseconds += milliseconds;
    }
    int calls = 0;
    std::int64_t totalMilliseconds = 0;
};

// A clock that answers `now` and then moves on by `step` seconds on every reading, so that a
// test sees whether a job reads the time once or twice.
class SteppingClock final : public ILocalTime {
  public:
    explicit SteppingClock(std::int64_t start, std::int64_t stepSeconds = 1)
        : now_(start), step_(stepSeconds) {}
    std::int64_t Now() const override {
        const std::int64_t answer = now_;
        now_ += step_;
        ++readings;
        return answer;
    }
    std::int64_t StandardOffsetWestSeconds() const override { return 0; }
    TimeZoneFacts ZoneFacts() const override { return {}; }
    std::optional<std::int64_t> FromLocal(const CivilTime& local) const override {
        return SecondsFromUtc(local);
    }
    std::optional<CivilTime> ToLocal(std::int64_t seconds) const override {
        return UtcFromSeconds(seconds);
    }
    mutable int readings = 0;

  private:
    mutable std::int64_t now_;
    std::int64_t step_;
};

}  // namespace qx7::test
