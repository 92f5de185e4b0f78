#include "core/settings/BlockRecord.h"

#include "core/base/ByteOrder.h"

namespace qx7 {

const SettingsBlockInfo* FindSettingsBlock(std::int32_t blockId) {
    for (const SettingsBlockInfo& info : kSettingsBlocks) {
        if (info.blockId == blockId) {
            return &info;
        }
    }
    return nullptr;
}

const unsigned char* CheckBlockRecord(const unsigned char* record, std::size_t length,
                                      std::uint32_t& n) {
    if (record == nullptr || length < kBlockRecordOverhead) {
        return nullptr;
    }
    const std::uint32_t dataLength = ReadU32BE(record + 8);
    if (std::uint64_t{dataLength} + kBlockRecordOverhead != length || dataLength % 4 != 0) {
        return nullptr;
    }
    const unsigned char* data = record + kBlockRecordDataOffset;
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < dataLength; i += 4) {
        sum += ReadU32BE(data + i);
    }
    if (sum != ReadU32BE(data + dataLength)) {
        return nullptr;
    }
    n = dataLength;
    return data;
}

SettingsLoadResult LoadSettingsRecord(int templateNumber, const unsigned char* record,
                                      std::size_t length, bool compare, CEEPFile& values,
                                      CEEPFile& factory, bool& factoryLoaded) {
    factoryLoaded = compare && factory.LoadTemplate(templateNumber);
    std::uint32_t n = 0;
    const unsigned char* data = CheckBlockRecord(record, length, n);
    if (data == nullptr) {
        return SettingsLoadResult::BadRecord;
    }
    if (!values.LoadBlock(templateNumber, data, n)) {
        return SettingsLoadResult::BadTemplate;
    }
    return SettingsLoadResult::Ok;
}

}  // namespace qx7
