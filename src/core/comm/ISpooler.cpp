#include "core/comm/ISpooler.h"

namespace qx7 {

std::vector<PrinterValueRead> ISpooler::ReadValueOfEach(const std::vector<std::string>& names,
                                                        std::uint32_t desiredAccess,
                                                        const std::string& valueName,
                                                        std::uint32_t bufferSize,
                                                        SpoolDeadline deadline) {
    std::vector<PrinterValueRead> reads(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (std::chrono::steady_clock::now() >= deadline) {
            break;  // the rest count as not answered
        }
        PrinterValueRead& read = reads[i];
        PrinterHandle handle = kNoPrinterHandle;
        if (!OpenPrinter(names[i], desiredAccess, handle) || handle == kNoPrinterHandle) {
            continue;
        }
        read.opened = true;
        read.bytes.assign(bufferSize, 0xFF);
        read.status =
            GetPrinterData(handle, valueName, read.bytes.data(), bufferSize, read.reportedSize);
        ClosePrinter(handle);
    }
    return reads;
}

}  // namespace qx7
