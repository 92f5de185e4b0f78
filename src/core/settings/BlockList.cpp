#include "core/settings/BlockList.h"

namespace qx7 {

std::string SettingsItemText(const SettingsBlockInfo& block) {
    return HexDigits(static_cast<std::uint32_t>(block.blockId), 4) + " : " +
           std::string(block.title);
}

std::vector<SettingsBlockSlot> ReadSettingsBlocks(CQXLogFile& reader, const std::string& path,
                                                  int* openResult) {
    std::vector<SettingsBlockSlot> slots;
    const int opened = reader.Open(path);
    if (openResult != nullptr) {
        *openResult = opened;
    }
    // Only a container has blocks; a bare log has none, and an unopened file none either.
    if (opened != 1) {
        return slots;
    }
    for (const SettingsBlockInfo& block : kSettingsBlocks) {
        std::uint32_t length = 0;
        reader.ReadBlock(block.tag, 0, nullptr, length);
        if (length == 0 || length > kMaxSettingsRecordBytes) {
            continue;
        }
        SettingsBlockSlot slot;
        slot.record.resize(length);
        std::uint32_t read = 0;
        if (!reader.ReadBlock(block.tag, length, slot.record.data(), read) || read != length) {
            continue;
        }
        slot.block = &block;
        slot.recordLength = length;
        slot.itemText = SettingsItemText(block);
        slots.push_back(std::move(slot));
    }
    return slots;
}

}  // namespace qx7
