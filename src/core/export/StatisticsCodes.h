#pragma once
// The log codes the statistics count, and what the builders share.

#include <cstdint>
#include <functional>
#include <string_view>

#include "core/log/LogDate.h"
#include "core/log/LogRecord.h"

namespace qx7::stats {

inline constexpr std::uint32_t kPowerOn = 0x00010000;
inline constexpr std::uint32_t kAutoCleaning = 0x03000000;
inline constexpr std::uint32_t kTestPrint = 0x12300000;
inline constexpr std::uint32_t kPartsExchange = 0x12500000;
inline constexpr std::uint32_t kUsbJob = 0x12600000;
inline constexpr std::uint32_t kJobStart = 0x20000000;
inline constexpr std::uint32_t kJobId = 0x90000000;
inline constexpr std::uint32_t kPlatenSize = 0x90030000;
inline constexpr std::uint32_t kMainSettings = 0x90060000;
inline constexpr std::uint32_t kAdvancedSettings = 0x90070000;
inline constexpr std::uint32_t kJobName = 0x90080000;
inline constexpr std::uint32_t kJobComment = 0x90090000;
inline constexpr std::uint32_t kPrintStarted = 0x91000000;
inline constexpr std::uint32_t kPrintFinished = 0x91010000;
inline constexpr std::uint32_t kPrintCancelled = 0x91020000;
inline constexpr std::uint32_t kCleaningStarted = 0x92000000;

inline constexpr std::int32_t kDefaultResolution = 1200;

// Resolution and multipass of a "Driver Advanced settings" record (its third and fourth values).
struct AdvancedSettings {
    std::int32_t resolution;
    std::int8_t multipass;
};
inline AdvancedSettings ReadAdvancedSettings(const CLogRecord& record) {
    std::uint8_t unusedA = 0;
    std::uint8_t unusedB = 0;
    std::uint32_t resolution = 0;
    std::uint8_t multipass = 0;
    record.GetAdvancedSettings(unusedA, unusedB, resolution, multipass);
    return {static_cast<std::int32_t>(resolution), static_cast<std::int8_t>(multipass)};
}

// Which of the colour cleanings K, M, C, Y a cleaning colour value counts for.
inline void CountCleaningColour(std::uint32_t colour, std::int32_t (&cleanings)[4]) {
    const bool all = colour == 16 || colour == 18;
    if (all || colour == 4) ++cleanings[0];
    if (all || colour == 3) ++cleanings[1];
    if (all || colour == 2) ++cleanings[2];
    if (all || colour == 1) ++cleanings[3];
}

// The dates a statistics run takes: every record, or those with start <= date < end.
struct DateRange {
    bool on = false;
    CLogDate start;
    CLogDate end;

    bool Includes(const CLogDate& date) const { return !on || (start <= date && date < end); }
};

// Receives one output line without its line end.
using LineOutput = std::function<void(std::string_view)>;

}  // namespace qx7::stats
