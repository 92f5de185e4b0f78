#include "core/settings/SettingsRows.h"

namespace qx7 {
namespace {

std::string Hex4(std::int32_t value) {
    return "0x" + HexDigits(static_cast<std::uint32_t>(value), 4);
}

}  // namespace

std::string SettingsSaveName(std::int32_t blockId) {
    return "EEPROM-" + HexDigits(static_cast<std::uint32_t>(blockId), 4) + ".csv";
}

SettingsRows::SettingsRows(const CEEPFile& values, const CEEPFile* factory)
    : values_(values), factory_(factory) {
    std::int32_t blockId = 0;
    std::int32_t version = 0;
    hasHeader_ = values_.GetHeader(blockId, version, signature_, title_);
    if (hasHeader_) {
        blockIdText_ = Hex4(blockId);
        versionText_ = Hex4(version);
        saveName_ = SettingsSaveName(blockId);
    }
}

bool SettingsRows::Differs(std::int32_t row) const {
    if (factory_ == nullptr) {
        return false;
    }
    const CMemEntry* entry = values_.FindEntry(row);
    const CMemEntry* factory = factory_->FindEntry(row);
    if (entry == nullptr || factory == nullptr) {
        return false;
    }
    return factory->address != entry->address || factory->size != entry->size ||
           factory->valueLow != entry->valueLow || factory->valueHigh != entry->valueHigh;
}

std::int32_t SettingsRows::DifferingRowCount() const {
    std::int32_t count = 0;
    for (std::int32_t r = 0; r < RowCount(); ++r) {
        count += Differs(r) ? 1 : 0;
    }
    return count;
}

std::optional<DifferingRowStep> SettingsRows::NextDifferingRow(std::int32_t from,
                                                               int direction) const {
    const std::int32_t count = RowCount();
    if (factory_ == nullptr || count == 0 || direction == 0) {
        return std::nullopt;
    }
    const std::int32_t step = direction > 0 ? 1 : -1;
    const bool chosen = from >= 0 && from < count;
    // Without a chosen row, start just outside the table so its first (or last) row is looked
    // at first and the end is not passed on the way.
    const std::int32_t start = chosen ? from : (step > 0 ? -1 : count);
    // Every row once; the chosen row itself last, so a lone differing row is found again.
    for (std::int32_t i = 1; i <= count; ++i) {
        const std::int32_t ahead = start + step * i;
        const std::int32_t row = ((ahead % count) + count) % count;
        if (Differs(row)) {
            const bool wrapped = ahead < 0 || ahead >= count;
            return DifferingRowStep{row, wrapped};
        }
    }
    return std::nullopt;
}

std::string SettingsRows::ItemText(std::int32_t row, int column) const {
    if (row < 0 || row >= RowCount()) {
        return {};
    }
    const CMemEntry* entry = values_.FindEntry(row);
    if (entry == nullptr) {
        return {};
    }
    switch (column) {
        case kColumnNumber:
            return std::to_string(entry->index);
        case kColumnAddress:
            return Hex4(entry->address);
        case kColumnSize:
            return std::to_string(entry->size);
        case kColumnData:
            return ValueText(*entry, HexSpacing::EveryTwoBytes);
        case kColumnName:
            return entry->name;
        default:
            return {};
    }
}

int SettingsRows::ItemImage(std::int32_t row, int column) const {
    return column == kColumnNumber && Differs(row) ? kDiffersImage : kNoImage;
}

}  // namespace qx7
