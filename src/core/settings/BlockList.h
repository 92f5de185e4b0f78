#pragma once
// The settings blocks a saved log holds, in display order, each with its record as read from the
// log and the text of its list item ("8011 : General parameters").

#include <cstdint>
#include <string>
#include <vector>

#include "core/log/QXLogFile.h"
#include "core/settings/BlockRecord.h"

namespace qx7 {

// Largest record the list takes from a log. The biggest block is a few hundred bytes; a length
// field claiming more is treated as a block that cannot be read instead of being allocated.
inline constexpr std::uint32_t kMaxSettingsRecordBytes = 1U << 20;

struct SettingsBlockSlot {
    const SettingsBlockInfo* block = nullptr;
    std::uint32_t recordLength = 0;
    std::vector<unsigned char> record;
    std::string itemText;
};

// "8011 : General parameters"
std::string SettingsItemText(const SettingsBlockInfo& block);

// Opens path with the reader and reads every settings block it holds. A bare log or a file that
// cannot be opened gives an empty list; openResult (when given) receives what Open answered.
// The reader stays open; the caller closes it.
std::vector<SettingsBlockSlot> ReadSettingsBlocks(CQXLogFile& reader, const std::string& path,
                                                  int* openResult = nullptr);

}  // namespace qx7
