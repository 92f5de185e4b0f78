// Any block record from a log: the check must reject or accept it without overrun, and an
// accepted record (or any raw data) must decode against every template.

#include <cstddef>
#include <cstdint>

#include "core/settings/BlockRecord.h"
#include "core/settings/SettingsRows.h"

namespace {

class NullSink final : public qx7::IMessageSink {
  public:
    void ShowOk(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
};

void Exercise(const qx7::CEEPFile& values, const qx7::CEEPFile& factory) {
    const qx7::SettingsRows rows(values, &factory);
    for (std::int32_t r = 0; r < rows.RowCount(); ++r) {
        for (int c = 0; c < qx7::kSettingsColumnCount; ++c) {
            volatile std::size_t length = rows.ItemText(r, c).size();
            (void)length;
        }
        (void)rows.Differs(r);
    }
    volatile std::size_t csvLength = values.CsvText().size();
    (void)csvLength;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte picks the block; the rest is the record as the log holds it.
    const qx7::SettingsBlockInfo& block =
        qx7::kSettingsBlocks[data[0] % qx7::kSettingsBlocks.size()];
    const std::uint8_t* record = data + 1;
    const std::size_t length = size - 1;

    qx7::CEEPFile values;
    qx7::CEEPFile factory;
    bool factoryLoaded = false;
    if (qx7::LoadSettingsRecord(block.templateNumber, record, length, true, values, factory,
                                factoryLoaded) == qx7::SettingsLoadResult::Ok) {
        Exercise(values, factory);
    }
    // Records with a bad sum never reach the decoder above; feed the bytes to it directly too.
    if (values.LoadBlock(block.templateNumber, record, length)) {
        Exercise(values, factory);
    }
    return 0;
}
