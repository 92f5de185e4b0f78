#pragma once
// The printer link through a CUPS scheduler: its queues are the printers, a queue's
// make-and-model its driver name and its device URI its port. A command goes to the queue as a
// job of its own type, which the QX-7 queue's filter hands to the printer; the filter reports
// the printer's reply as the job's printer-state message, which "QvMatRawReadTest" reads back
// and hands out in the driver's chunks.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/comm/ISpooler.h"

typedef struct _http_s http_t;

namespace qx7 {

// The type of a command job: the QX-7 queue's driver passes it through the reply filter.
inline constexpr char kCommandJobType[] = "application/vnd.qx7-command";

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
    void CancelLastDocument(PrinterHandle handle) override;
    std::uint32_t GetPrinterData(PrinterHandle handle, const std::string& valueName,
                                 unsigned char* buffer, std::uint32_t bufferSize,
                                 std::uint32_t& reportedSize) override;

    // The scheduler this spooler asks, as "host:port" or a socket path.
    std::string Server() const;
    // Why the last request failed, in libcups' words; empty after a success.
    std::string Problem() const;

  private:
    struct HttpClose {
        void operator()(http_t* http) const;
    };
    using Http = std::unique_ptr<http_t, HttpClose>;
    // One opened queue and its last command job. A handle is used by one thread at a time.
    struct OpenQueue {
        std::string name;
        Http document;   // the connection carrying the job's document while it is sent
        int jobId = 0;   // the last command job; 0 before the first
        bool replyTaken = false;  // its report was read: the reply (if any) is in chunks
        std::deque<std::vector<unsigned char>> chunks;
    };

    Http Connect();
    OpenQueue* Find(PrinterHandle handle);
    std::uint32_t ReadReadiness(const OpenQueue& queue, unsigned char* buffer,
                                std::uint32_t bufferSize, std::uint32_t& reportedSize);
    std::uint32_t ReadReply(OpenQueue& queue, unsigned char* buffer, std::uint32_t bufferSize,
                            std::uint32_t& reportedSize);
    void NoteProblem();

    std::string host_;
    int port_;
    int timeoutMs_;
    mutable std::mutex mutex_;
    std::map<PrinterHandle, std::unique_ptr<OpenQueue>> queues_;
    PrinterHandle nextHandle_ = 1;
    std::string problem_;
};

// The port a listing shows for a queue's device URI: a file: URI writes to a file, which the
// listing's filter knows as "FILE:".
std::string PortOfDeviceUri(const std::string& deviceUri);

// Whether a queue in this state takes and prints a job now: not stopped, accepting jobs, and
// none of the reasons that hold its jobs (a reason may carry a -error/-warning/-report suffix).
bool QueueReady(int printerState, bool acceptingJobs, const std::vector<std::string>& reasons);

}  // namespace qx7
