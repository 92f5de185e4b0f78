#pragma once
// The six settings blocks a saved log carries, the check of one block record (8 bytes not read,
// the data length n, n data bytes, the 32-bit word sum) and its decoding against the template.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings/EEPFile.h"

namespace qx7 {

struct SettingsBlockInfo {
    std::int32_t blockId;
    std::string_view tag;  // block tag in the log container
    int templateNumber;
    std::string_view title;
};

// In display order.
inline constexpr std::array<SettingsBlockInfo, 6> kSettingsBlocks{{
    {0x8011, "EP11", 220, "General parameters"},
    {0x8012, "EP12", 221, "CR parameters(20ips)"},
    {0x8013, "EP13", 222, "Serviceman parameters"},
    {0x8014, "EP14", 284, "Statistics parameters"},
    {0x8015, "EP15", 285, "Interlace"},
    {0x8016, "EP16", 287, "CR parameters(13ips)"},
}};

// nullptr for an id not in the table.
const SettingsBlockInfo* FindSettingsBlock(std::int32_t blockId);

// Bytes of a block record around its data.
inline constexpr std::size_t kBlockRecordDataOffset = 12;
inline constexpr std::size_t kBlockRecordOverhead = 16;

// The start of the record's data and its length n, or nullptr when the record's length is not
// n + 16, n is not a multiple of 4 or the word sum does not match.
const unsigned char* CheckBlockRecord(const unsigned char* record, std::size_t length,
                                      std::uint32_t& n);

enum class SettingsLoadResult { Ok, BadRecord, BadTemplate };

// What the settings display does on "Display": the factory file gets the template's defaults when
// a comparison is asked and the template loads; the values file gets the template filled with
// the record's data.
SettingsLoadResult LoadSettingsRecord(int templateNumber, const unsigned char* record,
                                      std::size_t length, bool compare, CEEPFile& values,
                                      CEEPFile& factory, bool& factoryLoaded);

}  // namespace qx7
