#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "core/comm/ISpooler.h"

namespace qx7::test {

// One answer of a printer-data read: status, reported size and the bytes put in the buffer.
struct ScriptedRead {
    std::uint32_t status = kSpoolSuccess;
    std::uint32_t reportedSize = 0;
    std::vector<unsigned char> bytes;
};

// A spooler whose printers, readiness answers, failures and reply chunks a test scripts, and
// which records every call it sees.
class FakeSpooler final : public ISpooler {
  public:
    struct Printer {
        PrinterRecord record;
        bool opens = true;
        ScriptedRead ready{kSpoolSuccess, 4, {0, 0, 0, 0}};
    };

    // Installs a ready printer (or replaces the one of that name).
    Printer& Add(const std::string& name, const std::string& driver = "Quorvel QX-7 Series",
                 const std::string& port = "USB001");

    // Queues the reply as full 516-byte chunks (the last padded with zeros).
    void QueueReply(const std::vector<unsigned char>& reply);
    void QueueRead(ScriptedRead read) { replyReads.push_back(std::move(read)); }
    // A well-formed reply: printer start packet, reply header for code, status, end marker.
    static std::vector<unsigned char> MakeReply(std::uint8_t replyCode, std::uint32_t status);

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
    void CancelLastDocument(PrinterHandle handle) override;
    std::uint32_t GetPrinterData(PrinterHandle handle, const std::string& valueName,
                                 unsigned char* buffer, std::uint32_t bufferSize,
                                 std::uint32_t& reportedSize) override;

    // Script.
    std::vector<Printer> printers;
    bool enumFails = false;
    bool startDocFails = false;
    bool startPageFails = false;
    bool writeFails = false;
    bool endPageFails = false;
    bool endDocFails = false;
    std::deque<ScriptedRead> replyReads;  // answered in order, then "nothing pending"

    // Record.
    std::vector<std::string> calls;  // "open NAME", "read QvMatCheck", "startdoc QX Data RAW" ...
    std::vector<std::vector<unsigned char>> jobs;  // bytes of every successful raw write
    std::uint32_t lastAccess = 0;
    int openHandles = 0;
    int replyReadCount = 0;

    int Count(const std::string& call) const;

  private:
    std::map<PrinterHandle, std::string> open_;
    PrinterHandle next_ = 1;
};

}  // namespace qx7::test
