#pragma once
// The print spooler's stand-in on Linux: a directory only its user can write, holding one
// description file per installed printer ("<stem>.printer": name, driver, port) and, beside it,
// the local socket of that printer's port monitor ("<stem>.sock"). A socket that does not answer
// is a printer installed but switched off.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/comm/ISpooler.h"
#include "platform/posix/SpoolWire.h"

namespace qx7 {

inline constexpr char kPrinterFileSuffix[] = ".printer";
inline constexpr char kSocketSuffix[] = ".sock";
inline constexpr char kPrinterFileHeader[] = "QX7-PRINTER 1";
inline constexpr std::size_t kMaxPrinterFileSize = 4096;
inline constexpr std::size_t kMaxPrinterFileStem = 40;

// Socket time one opened printer may take in all, from opening to closing. A printer operation
// opens the printer once and adds at most six 500 ms polling waits of its own, so whatever a
// monitor does the operation ends within 6 s + 3 s.
inline constexpr int kPrinterHandleBudgetMs = 6000;

// Monitors asked at once by one listing; more printers wait for a free thread.
inline constexpr std::size_t kMostParallelReads = 32;

// QX7_SPOOL_DIR when set and not empty, else $XDG_RUNTIME_DIR/qx7-spool, else
// /tmp/qx7-spool-<uid>.
std::string DefaultSpoolDirectory();

// Opens (and with create, makes, mode 0700) the spool directory and checks it: a real directory,
// not a symbolic link (with or without trailing slashes), owned by the user, writable by nobody
// else. The open descriptor, or -1 with the reason in problem; missing (when given) tells that
// the directory does not exist.
int OpenSpoolDirectory(const std::string& path, bool create, std::string& problem,
                       bool* missing = nullptr);
// The same check, closing the directory again. Empty when fine, else the reason.
std::string PrepareSpoolDirectory(const std::string& path, bool create);

// A description file's text to its record; nullopt when it is malformed.
std::optional<PrinterRecord> ParsePrinterDescription(const std::string& text);
std::string FormatPrinterDescription(const PrinterRecord& record);

// A file stem for a printer name: letters, digits, '-' and '_' kept, everything else '_',
// at most 40 characters.
std::string PrinterFileStem(const std::string& printerName);
// Whether a stem is one a listing takes: 1 to 40 of A-Z a-z 0-9 - _.
bool IsPrinterFileStem(std::string_view stem);

class SpoolDirectory final : public ISpooler {
  public:
    // timeoutMs bounds each request with its answer; handleBudgetMs everything one opened
    // printer does.
    explicit SpoolDirectory(std::string directory, int timeoutMs = spoolwire::kDefaultTimeoutMs,
                            int handleBudgetMs = kPrinterHandleBudgetMs);
    ~SpoolDirectory() override;
    SpoolDirectory(const SpoolDirectory&) = delete;
    SpoolDirectory& operator=(const SpoolDirectory&) = delete;

    const std::string& Directory() const { return directory_; }
    // Why the last listing failed, for the user; empty when it did not.
    const std::string& Problem() const { return problem_; }
    // How often the directory was read: once per listing, not once per printer opened.
    int DirectoryReads() const { return directoryReads_; }

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
    // Asks the monitors at once, each by the earlier of its own deadline and the given one.
    std::vector<PrinterValueRead> ReadValueOfEach(const std::vector<std::string>& names,
                                                  std::uint32_t desiredAccess,
                                                  const std::string& valueName,
                                                  std::uint32_t bufferSize,
                                                  SpoolDeadline deadline) override;

  private:
    struct Installed {
        PrinterRecord record;
        std::string stem;
    };
    struct OpenPrinterState {
        std::string socketPath;
        spoolwire::Deadline deadline;  // of everything done on this handle
        int documentFd = -1;
        bool pageOpen = false;
    };
    // Reads the description files into listing_, in name order, each printer name once.
    bool ReadPrinters();
    std::vector<Installed> OnePerName(std::vector<Installed> found) const;
    // The stem of the printer so named: from the last listing when its file still names it,
    // else from a fresh one.
    std::optional<std::string> Locate(const std::string& name);
    OpenPrinterState* Find(PrinterHandle handle);
    spoolwire::Deadline ExchangeDeadline(const OpenPrinterState& state) const;
    static bool Exchange(int fd, unsigned char type, const std::vector<unsigned char>& payload,
                         spoolwire::Deadline deadline, std::uint32_t& status);
    void DropDocument(OpenPrinterState& state);

    std::string directory_;
    int timeoutMs_;
    int handleBudgetMs_;
    std::string problem_;
    std::vector<Installed> listing_;
    int directoryReads_ = 0;
    std::map<PrinterHandle, OpenPrinterState> open_;
    PrinterHandle next_ = 1;
};

}  // namespace qx7
