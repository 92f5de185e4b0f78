#pragma once
// Builds the raw bytes of log entries as the printer writes them, for tests that make their
// own logs.

#include <cstdint>
#include <string>
#include <vector>

namespace qx7::test {

// Printer seconds (since 2000-01-01 00:00:00 UTC) of a UTC calendar moment.
std::uint32_t PrinterSeconds(int year, int month, int day, int hour = 0, int minute = 0,
                             int second = 0);

std::string BigEndianWord(std::uint32_t word);

// "EdGe", time, header (milliseconds, parameter length, subtype, type), code, parameters.
// `declaredLength` < 0 declares the real parameter length.
std::string EntryBytes(std::uint32_t time, std::uint32_t code, const std::string& params = {},
                       std::uint32_t milliseconds = 0, int declaredLength = -1,
                       std::uint32_t subtype = 0, std::uint32_t type = 4);

// Parameters of common statistics records.
std::string WordsParams(const std::vector<std::uint32_t>& words);
// Word 0 (unused) followed by the text and a zero byte, padded to whole words.
std::string TextFromWord1Params(const std::string& text);
// Print finished/cancelled: words 0 and 1 unused, then the eight dot counts.
std::string DotCountParams(const std::vector<std::uint32_t>& counts);
// Driver Advanced settings: resolution in bytes 14-15, multipass in byte 16.
std::string AdvancedSettingsParams(std::uint16_t resolution, std::uint8_t multipass);

}  // namespace qx7::test
