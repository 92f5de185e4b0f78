#pragma once
// What the log readers' fuzz targets give a reader: messages that go nowhere and a UTC clock
// with a fixed present, so every run of an input does the same.

#include <cstdint>
#include <optional>
#include <string>

#include "core/text/MessageSink.h"
#include "core/base/LocalTime.h"

namespace qx7::fuzz {

class DiscardingSink final : public IMessageSink {
  public:
    void ShowOk(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
};

class FixedUtcClock final : public ILocalTime {
  public:
    std::int64_t Now() const override { return 946684800 + 480000000; }
    std::int64_t StandardOffsetWestSeconds() const override { return 0; }
    TimeZoneFacts ZoneFacts() const override { return {}; }
    std::optional<std::int64_t> FromLocal(const CivilTime& local) const override {
        return SecondsFromUtc(local);
    }
    std::optional<CivilTime> ToLocal(std::int64_t seconds) const override {
        return UtcFromSeconds(seconds);
    }
};

}  // namespace qx7::fuzz
