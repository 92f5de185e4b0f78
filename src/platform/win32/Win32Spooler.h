#pragma once
// The Windows print spooler behind the printer link. Names are UTF-8 here and UTF-16 in the
// spooler; printer handles are numbers of a table of the handles this object opened, so that a
// handle already closed, or never handed out, is refused instead of reaching the spooler.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/comm/ISpooler.h"

namespace qx7 {

class Win32Spooler final : public ISpooler {
  public:
    Win32Spooler() = default;
    // Closes every printer still open.
    ~Win32Spooler() override;
    Win32Spooler(const Win32Spooler&) = delete;
    Win32Spooler& operator=(const Win32Spooler&) = delete;

    bool EnumPrinters(std::vector<PrinterRecord>& records) override;
    bool OpenPrinter(const std::string& name, std::uint32_t desiredAccess,
                     PrinterHandle& handle) override;
    void ClosePrinter(PrinterHandle handle) override;
    bool StartDocPrinter(PrinterHandle handle, const std::string& documentName,
                         const std::string& dataType) override;
    bool StartPagePrinter(PrinterHandle handle) override;
    bool WritePrinter(PrinterHandle handle, const unsigned char* data, std::uint32_t size,
                      std::uint32_t& written) override;
    bool EndPagePrinter(PrinterHandle handle) override;
    bool EndDocPrinter(PrinterHandle handle) override;
    std::uint32_t GetPrinterData(PrinterHandle handle, const std::string& valueName,
                                 unsigned char* buffer, std::uint32_t bufferSize,
                                 std::uint32_t& reportedSize) override;

    // Printers open through this object.
    std::size_t OpenCount() const { return open_.size(); }

  private:
    // The spooler's handle behind ours; nullptr when ours is not open.
    void* Find(PrinterHandle handle) const;

    std::map<PrinterHandle, void*> open_;
    PrinterHandle next_ = 1;
};

}  // namespace qx7
