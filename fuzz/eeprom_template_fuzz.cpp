// Any template text: the parser must answer true or false and everything it accepted must
// decode, display and write back without reading outside its data.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/settings/EEPFile.h"
#include "core/settings/SettingsRows.h"

namespace {

class NullSink final : public qx7::IMessageSink {
  public:
    void ShowOk(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qx7::CEEPFile file;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!file.ParseText(text)) {
        return 0;
    }
    // The template's own bytes serve as block data: short, long and odd lengths all occur.
    file.FillValues(size, data);
    const qx7::SettingsRows rows(file, &file);
    for (std::int32_t r = 0; r < rows.RowCount(); ++r) {
        for (int c = 0; c < qx7::kSettingsColumnCount; ++c) {
            volatile std::size_t length = rows.ItemText(r, c).size();
            (void)length;
        }
        (void)rows.ItemImage(r, qx7::kColumnNumber);
    }
    volatile std::size_t csvLength = file.CsvText().size();
    (void)csvLength;
    return 0;
}
