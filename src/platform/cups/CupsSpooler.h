#pragma once
// The printer link through a CUPS scheduler: its queues are the printers, a queue's
// make-and-model its driver name and its device URI its port.
//
// Not yet on this branch: the command job (StartDocPrinter ... EndDocPrinter) and the reply
// ("QvMatRawReadTest"); those calls answer failure for now.

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/comm/ISpooler.h"

namespace qx7 {

class CupsSpooler : public ISpooler {
  public:
    // server: the scheduler, a socket path or "host[:port]"; empty takes libcups' own choice
    // (CUPS_SERVER, client.conf, the local socket). Each request, connection included, is
    // given up after timeoutMs.
    explicit CupsSpooler(std::string server = {}, int timeoutMs = 3000);
    ~CupsSpooler() override;

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

  private:
    std::string QueueOf(PrinterHandle handle);

    std::string host_;
    int port_;
    int timeoutMs_;
    std::mutex mutex_;
    std::map<PrinterHandle, std::string> queues_;
    PrinterHandle nextHandle_ = 1;
};

// The port a listing shows for a queue's device URI: a file: URI writes to a file, which the
// listing's filter knows as "FILE:".
std::string PortOfDeviceUri(const std::string& deviceUri);

// Whether a queue in this state takes and prints a job now: not stopped, accepting jobs, and
// none of the reasons that hold its jobs (a reason may carry a -error/-warning/-report suffix).
bool QueueReady(int printerState, bool acceptingJobs, const std::vector<std::string>& reasons);

}  // namespace qx7
