#pragma once
// Realistic synthetic printer logs: days of operation with power-ons, print jobs with their
// information records, prints and cleanings, test prints, warnings and errors with temperature,
// number and text parameters, parts exchanges; written into a ring that wraps, wrapped into a
// container with the information and settings blocks. The same options and seed always give the
// same bytes.

#include <cstdint>
#include <string>
#include <vector>

#include "loggen/LogBuilder.h"

namespace qx7::loggen {

enum class LogForm { Plain, Compressed, Bare };

struct ScenarioOptions {
    std::uint64_t seed = 1;
    // Entries the printer writes; the ring keeps the newest of them.
    std::uint32_t entries = 5000;
    // Ring size in words; 0 sizes it to about three quarters of what the entries take, with
    // one entry straddling the ring's end.
    std::uint32_t ringWords = 0;
    // Printer time (seconds since 2000-01-01 00:00:00 UTC) of the first day's midnight.
    std::uint32_t start = 446947200;  // 2014-03-01
    // A few entries dated more than a year ahead (a printer clock set wrong for a moment).
    bool futureEntries = true;
    // Settings records EP13 with a wrong checksum and EP16 with a length that disagrees.
    bool badSettings = false;
    // Every entry gets a code of its own (counting up from kFirstDistinctCode) instead of the
    // scenario's, for the memory bounds of whatever lists a log's codes.
    bool distinctCodes = false;
};

inline constexpr std::uint32_t kFirstDistinctCode = 0xC0000000;

// What was written, for tests that check the generator's promises.
struct ScenarioSummary {
    std::uint32_t entriesWritten = 0;
    std::uint32_t wordsWritten = 0;
    std::uint32_t ringWords = 0;
    std::uint32_t lastTime = 0;          // time of the newest entry written
    std::uint32_t futureEntries = 0;     // entries dated more than a year past the newest
    std::uint32_t jobs = 0;
    std::uint32_t finishedPrints = 0;
};

// The log data words in the order the printer wrote them (before the ring keeps the newest).
std::vector<std::uint32_t> GenerateEntryWords(const ScenarioOptions& options,
                                              ScenarioSummary* summary = nullptr,
                                              std::vector<std::uint32_t>* entryStarts = nullptr);

// The ring after all entries were written.
Ring GenerateRing(const ScenarioOptions& options, ScenarioSummary* summary = nullptr);

// The data bytes of a settings block (0x8011..0x8016): factory values with a few changes.
std::vector<unsigned char> SettingsData(std::uint32_t blockId, std::uint64_t seed);

// Adds the information blocks ("Cust", "Comm", "PCDT", "Date", "Vers", "Prod", "18Cd", "MACa"),
// an unknown block and the six settings records. `savedAt` is the printer time of saving.
void AddInformationAndSettings(ContainerBuilder& builder, const ScenarioOptions& options,
                               std::uint32_t savedAt);

// The whole file in the form asked for.
std::string GenerateLog(const ScenarioOptions& options, LogForm form,
                        ScenarioSummary* summary = nullptr);

// "YYYY-MM-DD" to printer time at midnight UTC; false when the text is not such a date in
// 2000..2135.
bool ParseStartDate(const std::string& text, std::uint32_t& printerTime);

}  // namespace qx7::loggen
