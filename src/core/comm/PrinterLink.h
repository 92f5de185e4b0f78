#pragma once
// The one way to a printer: opens it through the spooler, asks its driver whether it is ready,
// builds a command job, sends it as a raw job and polls the driver for the reply. A link serves
// one listing or one command and is dropped afterwards.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/base/LocalTime.h"
#include "core/comm/CommandJob.h"
#include "core/comm/ISpooler.h"
#include "core/comm/Sleeper.h"

namespace qx7 {

// Result codes of the link's steps (0 = success).
inline constexpr int kLinkNoJobBufferAppend = -1;
inline constexpr int kLinkAllocationFailed = -2;
inline constexpr int kLinkStartDocFailed = -3;
inline constexpr int kLinkStartPageFailed = -4;
inline constexpr int kLinkEndPageFailed = -5;
inline constexpr int kLinkEndDocFailed = -6;
inline constexpr int kLinkNoJobBufferSend = -7;
inline constexpr int kLinkWriteFailed = -8;
inline constexpr int kLinkReplyFraming = -11;
inline constexpr int kLinkReplyStatus = -12;
inline constexpr int kLinkEnumerateFailed = -18;
inline constexpr int kLinkNoPrinterListed = -19;
inline constexpr int kLinkNotReady = -20;
inline constexpr int kLinkReadFailed = -27;
inline constexpr int kLinkNoReply = -31;

inline constexpr std::uint32_t kChunkSize = 516;
inline constexpr std::uint32_t kChunkHeaderSize = 4;
inline constexpr int kPollIntervalMs = 500;
inline constexpr int kPollCycles = 6;
// Full chunks read back to back in one cycle; 1 MiB of reply is far beyond anything checked.
inline constexpr int kMaxChunksPerCycle = 2048;

inline constexpr char kReadyValueName[] = "QvMatCheck";
inline constexpr char kReplyValueName[] = "QvMatRawReadTest";
inline constexpr char kJobDocumentName[] = "QX Data";
inline constexpr char kRawDataType[] = "RAW";
inline constexpr char kQxDriverName[] = "Quorvel QX-7";
inline constexpr char kFileOutputWord[] = "FileOutput";
inline constexpr char kFilePortName[] = "FILE:";
inline constexpr std::uint32_t kReadyValueSize = 4;

// Time the readiness checks of one listing may take together, counted from their start: with
// the reading of the spooler's list before it, a listing ends within 10 s however many printers
// are installed and whatever their monitors do.
inline constexpr int kListingReadinessMs = 8000;

// Whether the listing offers a printer, and why not. Only a printer the listing would offer is
// ever sent a job: another maker's printer would print the binary job as pages of garbage.
enum class PrinterVerdict {
    kListed,
    kUnknown,         // no printer of that name is installed
    kOtherDriver,     // its driver is not of the QX-7 family
    kFileOutputName,  // its name marks a printer that writes to a file
    kFilePort,        // it prints to the port "FILE:"
    kNotReady,        // it does not open or its driver does not report it ready
};

// The listing's filter on the installed record, in its order (driver, name, port); kListed when
// the record passes and only readiness is left to ask.
PrinterVerdict FilterPrinterRecord(const PrinterRecord& record);

// Whether a "QvMatCheck" read says ready: opened, success, at least one byte, the first 0x00.
bool IsReadyAnswer(const PrinterValueRead& read);

class PrinterLink {
  public:
    // clock gives the time stamp of the jobs (its Now()); sleeper the waits between polls.
    PrinterLink(ISpooler& spooler, ISleeper& sleeper, const ILocalTime& clock);
    ~PrinterLink();
    PrinterLink(const PrinterLink&) = delete;
    PrinterLink& operator=(const PrinterLink&) = delete;

    // Opens the printer with full access and asks "QvMatCheck" whether it is ready: 0 or -20.
    int Connect(const std::string& printerName);
    bool IsReadyPrinter(const std::string& printerName);

    // The spooler's printers, kept in the link: 0 or -18.
    int EnumeratePrinters();
    // Adds every enumerated printer of the family that is ready to the sorted list, each name
    // once: 0, or -19 when none was added. The printers are asked together (as far as the
    // spooler can) by one deadline, kListingReadinessMs from now; one that has not answered by
    // then is not ready.
    int ListQxPrinters(std::vector<std::string>& sortedList);
    // The listing's verdict on one enumerated printer, readiness included (asked by the same
    // deadline); record, when given, receives the installed record of a known name.
    PrinterVerdict JudgePrinter(const std::string& printerName, PrinterRecord* record = nullptr);

    // Job building: 0, -1 or -2.
    int AppendBlock(const unsigned char* bytes, std::size_t length);
    int BuildInitializeRecord(int kind);
    int BuildSetClock(std::uint32_t printerTime);
    int BuildCarriageSpeedStart();
    int BuildThermistorValue(int value);
    int BuildSetAddress(std::uint32_t first, std::uint32_t second, std::uint32_t third);

    // Sends the job as one raw document and cuts it back to the preamble: 0, -3, -4, -7 or -8.
    int SendJob();
    // Polls "QvMatRawReadTest" until count end markers came or the data stopped: 0, -27, -31.
    int CollectReply(int count);

    // The collected reply against a reply header: 0, -11 or -12.
    int CheckReply(const ReplyHeader& expected) const;
    int CheckInitializeRecordReply() const;
    int CheckSetClockReply() const;
    int CheckCarriageSpeedReply() const;
    int CheckThermistorReply() const;
    int CheckSetAddressReply() const;

    const std::vector<unsigned char>& Job() const { return job_; }
    std::size_t JobLength() const { return job_.size(); }
    const std::vector<unsigned char>& Reply() const { return reply_; }
    const std::vector<PrinterRecord>& Printers() const { return printers_; }
    bool HasPrinterHandle() const { return handle_ != kNoPrinterHandle; }

    // The state a failed allocation at construction leaves: no job buffer at all.
    void DropJobBuffer();

  private:
    int BuildJob(const unsigned char* block, std::size_t length);
    int EndJob();
    void ClosePrinter();
    // Which of the names are ready, asked together by one deadline.
    std::vector<bool> ReadyOfEach(const std::vector<std::string>& names);

    ISpooler& spooler_;
    ISleeper& sleeper_;
    const ILocalTime& clock_;
    std::vector<PrinterRecord> printers_;
    PrinterHandle handle_ = kNoPrinterHandle;
    std::uint32_t bytesWritten_ = 0;
    bool hasJobBuffer_ = false;
    std::vector<unsigned char> job_;
    std::vector<unsigned char> reply_;
};

}  // namespace qx7
