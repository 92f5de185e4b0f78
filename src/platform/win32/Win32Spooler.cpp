#include "platform/win32/Win32Spooler.h"

#include "platform/win32/SpoolerApi.h"

#include <memory>
#include <new>

#include "platform/win32/WideText.h"

namespace qx7 {

namespace {

// The printer list may grow between asking its size and fetching it; after this many tries the
// listing fails rather than chase a spooler that keeps changing.
constexpr int kEnumAttempts = 4;
// More than any real spooler lists: the listing's memory stays bounded whatever it reports.
constexpr DWORD kMaxEnumBytes = 64U << 20;

// A name the spooler takes: well-formed, not empty (an empty or missing name would open the
// print server itself) and without a NUL that would cut it short.
bool SpoolerName(const std::string& name, std::wstring& wide) {
    return !name.empty() && name.find('\0') == std::string::npos &&
           win32::StrictWideFromUtf8(name, wide);
}

HANDLE AsHandle(void* handle) {
    return static_cast<HANDLE>(handle);
}

}  // namespace

Win32Spooler::~Win32Spooler() {
    for (const auto& entry : open_) {
        ::ClosePrinter(AsHandle(entry.second));
    }
}

void* Win32Spooler::Find(PrinterHandle handle) const {
    const auto it = open_.find(handle);
    return it == open_.end() ? nullptr : it->second;
}

bool Win32Spooler::EnumPrinters(std::vector<PrinterRecord>& records) {
    records.clear();
    constexpr DWORD kFlags = PRINTER_ENUM_LOCAL;
    DWORD needed = 0;
    DWORD returned = 0;
    if (::EnumPrintersW(kFlags, nullptr, 2, nullptr, 0, &needed, &returned)) {
        return true;  // nothing installed
    }
    // PRINTER_INFO_2W holds pointers: the buffer is allocated with their alignment.
    std::unique_ptr<std::uint64_t[]> buffer;
    bool fetched = false;
    for (int attempt = 0; attempt < kEnumAttempts; ++attempt) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0 ||
            needed > kMaxEnumBytes) {
            return false;
        }
        const DWORD size = needed;
        buffer.reset(new (std::nothrow) std::uint64_t[(size + 7) / 8]);
        if (!buffer) {
            return false;
        }
        returned = 0;
        if (::EnumPrintersW(kFlags, nullptr, 2, reinterpret_cast<LPBYTE>(buffer.get()), size,
                            &needed, &returned)) {
            fetched = true;
            break;
        }
    }
    if (!fetched) {
        return false;
    }
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.get());
    try {
        records.reserve(returned);
        for (DWORD i = 0; i < returned; ++i) {
            PrinterRecord record;
            // A name that is not well-formed UTF-16 could not be opened again by its UTF-8
            // form: such a printer is left out.
            if (!win32::StrictUtf8FromWide(info[i].pPrinterName, record.name) ||
                record.name.empty() ||
                !win32::StrictUtf8FromWide(info[i].pDriverName, record.driverName) ||
                !win32::StrictUtf8FromWide(info[i].pPortName, record.portName)) {
                continue;
            }
            records.push_back(std::move(record));
        }
    } catch (const std::bad_alloc&) {
        records.clear();
        return false;
    }
    return true;
}

bool Win32Spooler::OpenPrinter(const std::string& name, std::uint32_t desiredAccess,
                               PrinterHandle& handle) {
    handle = kNoPrinterHandle;
    std::wstring wide;
    if (!SpoolerName(name, wide)) {
        return false;
    }
    PRINTER_DEFAULTSW defaults{};
    defaults.pDatatype = nullptr;
    defaults.pDevMode = nullptr;
    defaults.DesiredAccess = desiredAccess;
    HANDLE opened = nullptr;
    if (!::OpenPrinterW(wide.data(), &opened, &defaults) || opened == nullptr) {
        return false;
    }
    try {
        open_.emplace(next_, opened);
    } catch (const std::bad_alloc&) {
        ::ClosePrinter(opened);
        return false;
    }
    handle = next_++;
    return true;
}

void Win32Spooler::ClosePrinter(PrinterHandle handle) {
    const auto it = open_.find(handle);
    if (it == open_.end()) {
        return;
    }
    ::ClosePrinter(AsHandle(it->second));
    open_.erase(it);
}

bool Win32Spooler::StartDocPrinter(PrinterHandle handle, const std::string& documentName,
                                   const std::string& dataType) {
    void* printer = Find(handle);
    std::wstring document;
    std::wstring type;
    if (printer == nullptr || !SpoolerName(documentName, document) ||
        !SpoolerName(dataType, type)) {
        return false;
    }
    DOC_INFO_1W info{};
    info.pDocName = document.data();
    info.pOutputFile = nullptr;
    info.pDatatype = type.data();
    return ::StartDocPrinterW(AsHandle(printer), 1, reinterpret_cast<LPBYTE>(&info)) != 0;
}

bool Win32Spooler::StartPagePrinter(PrinterHandle handle) {
    void* printer = Find(handle);
    return printer != nullptr && ::StartPagePrinter(AsHandle(printer)) != FALSE;
}

bool Win32Spooler::WritePrinter(PrinterHandle handle, const unsigned char* data, std::uint32_t size,
                                std::uint32_t& written) {
    written = 0;
    void* printer = Find(handle);
    if (printer == nullptr || (data == nullptr && size != 0)) {
        return false;
    }
    DWORD done = 0;
    // The spooler's signature takes the bytes as non-const; it only reads them.
    const BOOL ok =
        ::WritePrinter(AsHandle(printer), const_cast<unsigned char*>(data), size, &done);
    written = done;
    return ok != FALSE;
}

bool Win32Spooler::EndPagePrinter(PrinterHandle handle) {
    void* printer = Find(handle);
    return printer != nullptr && ::EndPagePrinter(AsHandle(printer)) != FALSE;
}

bool Win32Spooler::EndDocPrinter(PrinterHandle handle) {
    void* printer = Find(handle);
    return printer != nullptr && ::EndDocPrinter(AsHandle(printer)) != FALSE;
}

std::uint32_t Win32Spooler::GetPrinterData(PrinterHandle handle, const std::string& valueName,
                                           unsigned char* buffer, std::uint32_t bufferSize,
                                           std::uint32_t& reportedSize) {
    reportedSize = 0;
    void* printer = Find(handle);
    if (printer == nullptr) {
        return kSpoolInvalidHandle;
    }
    std::wstring name;
    if (!SpoolerName(valueName, name)) {
        return kSpoolNotFound;
    }
    if (buffer == nullptr) {
        bufferSize = 0;
    }
    DWORD type = 0;
    DWORD needed = 0;
    const DWORD status =
        ::GetPrinterDataW(AsHandle(printer), name.data(), &type, buffer, bufferSize, &needed);
    reportedSize = needed;
    return status;
}

}  // namespace qx7
