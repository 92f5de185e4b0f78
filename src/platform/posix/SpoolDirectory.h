#pragma once
// The print spooler's stand-in on Linux: a directory only its user can write, holding one
// description file per installed printer ("<stem>.printer": name, driver, port) and, beside it,
// the local socket of that printer's port monitor ("<stem>.sock"). A socket that does not answer
// is a printer installed but switched off.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/comm/ISpooler.h"

namespace qx7 {

inline constexpr char kPrinterFileSuffix[] = ".printer";
inline constexpr char kSocketSuffix[] = ".sock";
inline constexpr char kPrinterFileHeader[] = "QX7-PRINTER 1";
inline constexpr std::size_t kMaxPrinterFileSize = 4096;

// QX7_SPOOL_DIR when set and not empty, else $XDG_RUNTIME_DIR/qx7-spool, else
// /tmp/qx7-spool-<uid>.
std::string DefaultSpoolDirectory();

// Checks (and with create, makes, mode 0700) the spool directory: a real directory, not a
// symbolic link, owned by the user, writable by nobody else. Empty when fine, else the reason.
std::string PrepareSpoolDirectory(const std::string& path, bool create);

// A description file's text to its record; nullopt when it is malformed.
std::optional<PrinterRecord> ParsePrinterDescription(const std::string& text);
std::string FormatPrinterDescription(const PrinterRecord& record);

// A file stem for a printer name: letters, digits, '-' and '_' kept, everything else '_',
// at most 40 characters.
std::string PrinterFileStem(const std::string& printerName);

class SpoolDirectory final : public ISpooler {
  public:
    explicit SpoolDirectory(std::string directory, int timeoutMs = 2000);
    ~SpoolDirectory() override;
    SpoolDirectory(const SpoolDirectory&) = delete;
    SpoolDirectory& operator=(const SpoolDirectory&) = delete;

    const std::string& Directory() const { return directory_; }
    // Why the last listing failed, for the user; empty when it did not.
    const std::string& Problem() const { return problem_; }

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
    struct OpenPrinterState {
        std::string socketPath;
        int documentFd = -1;
        bool pageOpen = false;
    };
    // Description files in name order with their socket paths.
    bool ReadPrinters(std::vector<std::pair<PrinterRecord, std::string>>& printers);
    OpenPrinterState* Find(PrinterHandle handle);
    bool Exchange(int fd, unsigned char type, const std::vector<unsigned char>& payload,
                  std::uint32_t& status);
    void DropDocument(OpenPrinterState& state);

    std::string directory_;
    int timeoutMs_;
    std::string problem_;
    std::map<PrinterHandle, OpenPrinterState> open_;
    PrinterHandle next_ = 1;
};

}  // namespace qx7
