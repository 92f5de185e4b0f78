#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace qx7::test {

// Pins TZ (and tzset) for the lifetime of the object; the previous value comes back after.
// On Windows the zone is the one the process started with (Wine takes it from TZ at start,
// and the system cannot switch it later): Pinned() then tells whether that is the zone asked
// for, and a test that needs it skips otherwise (QX7_PIN_TIME_ZONE); CTest runs the suite
// again in each zone the tests use.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const std::string& zone);
    ~ScopedTimeZone();
    bool Pinned() const { return pinned_; }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  private:
    std::optional<std::string> previous_;
    bool pinned_ = true;
};

// Pins `zone` as `name` for the rest of the test body, or skips the test where the zone cannot
// be had (on Windows, a process started in another zone).
#define QX7_PIN_TIME_ZONE(name, zone)                                           \
    const ::qx7::test::ScopedTimeZone name{zone};                               \
    if (!name.Pinned()) {                                                       \
        GTEST_SKIP() << "runs where the process starts in the zone " << (zone); \
    }

// Skips the test (from SetUp too) when `scoped`, a ScopedTimeZone the fixture holds, could not
// pin its zone: CTest runs the suite again in that zone.
#define QX7_SKIP_UNLESS_PINNED(scoped)                                   \
    do {                                                                 \
        if (!(scoped).Pinned()) {                                        \
            GTEST_SKIP() << "runs where the process starts in its zone"; \
        }                                                                \
    } while (false)

// Sets an environment variable for the lifetime of the object (unset when value is nullopt).
class ScopedEnv {
  public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace qx7::test
