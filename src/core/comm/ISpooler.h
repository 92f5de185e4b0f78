#pragma once
// The print spooler as the printer link needs it: the installed printers, a printer opened for
// raw jobs, and the named values its driver serves. Windows has the real one; Linux a stand-in
// (platform/posix/SpoolDirectory.h); tests a scripted fake.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace qx7 {

// One installed printer as the spooler lists it at information level 2 (the fields we read).
struct PrinterRecord {
    std::string name;
    std::string driverName;
    std::string portName;
};

// Opaque handle of an opened printer; kNoPrinterHandle is "none".
using PrinterHandle = std::uint64_t;
inline constexpr PrinterHandle kNoPrinterHandle = 0;

// Standard rights required, administer and use: what the link asks for on open.
inline constexpr std::uint32_t kPrinterAllAccess = 0xF000C;

// Status of a printer-data read: 0 is success, anything else an error of the spooler or driver.
inline constexpr std::uint32_t kSpoolSuccess = 0;
inline constexpr std::uint32_t kSpoolMoreData = 234;  // the value is larger than the buffer
inline constexpr std::uint32_t kSpoolNotFound = 2;
inline constexpr std::uint32_t kSpoolNotReady = 21;
inline constexpr std::uint32_t kSpoolInvalidHandle = 6;

// A point on the monotonic clock by which a step must be done.
using SpoolDeadline = std::chrono::steady_clock::time_point;

// One printer's part of a value read made for several printers at once.
struct PrinterValueRead {
    bool opened = false;  // the printer opened; without it nothing was read
    std::uint32_t status = kSpoolNotReady;
    std::uint32_t reportedSize = 0;
    std::vector<unsigned char> bytes;  // the buffer, 0xFF before the read (never more than it)
};

class ISpooler {
  public:
    virtual ~ISpooler() = default;

    // The local printers in the spooler's order; false when they cannot be listed.
    virtual bool EnumPrinters(std::vector<PrinterRecord>& records) = 0;

    // Opens the named printer with the given access; false (and no handle) when it cannot.
    virtual bool OpenPrinter(const std::string& name, std::uint32_t desiredAccess,
                             PrinterHandle& handle) = 0;
    virtual void ClosePrinter(PrinterHandle handle) = 0;

    // A document on the opened printer; dataType "RAW" passes the bytes to the printer as is.
    virtual bool StartDocPrinter(PrinterHandle handle, const std::string& documentName,
                                 const std::string& dataType) = 0;
    virtual bool StartPagePrinter(PrinterHandle handle) = 0;
    virtual bool WritePrinter(PrinterHandle handle, const unsigned char* data, std::uint32_t size,
                              std::uint32_t& written) = 0;
    virtual bool EndPagePrinter(PrinterHandle handle) = 0;
    virtual bool EndDocPrinter(PrinterHandle handle) = 0;

    // Withdraws the last document sent on the opened printer if the printer has not taken it
    // yet, so that a command given up as failed is never carried out later (a spooler may hold
    // a document while its printer is switched off). Spoolers that hand a document to the
    // printer at once have nothing to withdraw.
    virtual void CancelLastDocument(PrinterHandle handle) { static_cast<void>(handle); }

    // Reads the driver's named value into buffer (at most bufferSize bytes are written).
    // Answers the status; reportedSize receives the value's size as the driver reports it, which
    // may exceed bufferSize (then the status says so and the buffer holds nothing of value).
    virtual std::uint32_t GetPrinterData(PrinterHandle handle, const std::string& valueName,
                                         unsigned char* buffer, std::uint32_t bufferSize,
                                         std::uint32_t& reportedSize) = 0;

    // For each named printer, in the given order: opens it with desiredAccess, reads the named
    // value with a buffer of bufferSize bytes and closes it again, all by the deadline. A printer
    // not reached or not answered by then has opened false or a status other than success.
    // This one asks one printer after another and skips those left once the deadline has
    // passed; a spooler whose reads wait on monitors that may never answer asks them all at
    // once, so that one silent printer does not cost the others their turn.
    virtual std::vector<PrinterValueRead> ReadValueOfEach(const std::vector<std::string>& names,
                                                          std::uint32_t desiredAccess,
                                                          const std::string& valueName,
                                                          std::uint32_t bufferSize,
                                                          SpoolDeadline deadline);
};

}  // namespace qx7
