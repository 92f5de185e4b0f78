#include "platform/posix/SpoolDirectory.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/base/ByteOrder.h"
#include "platform/posix/SpoolWire.h"

namespace qx7 {

std::string DefaultSpoolDirectory() {
    if (const char* explicitDir = std::getenv("QX7_SPOOL_DIR");
        explicitDir != nullptr && *explicitDir != '\0') {
        return explicitDir;
    }
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && *runtime == '/') {
        return std::string(runtime) + "/qx7-spool";
    }
    return "/tmp/qx7-spool-" + std::to_string(geteuid());
}

std::string PrepareSpoolDirectory(const std::string& path, bool create) {
    if (path.empty()) {
        return "no spool directory given";
    }
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        if (errno != ENOENT || !create) {
            return "spool directory " + path + ": " + std::strerror(errno);
        }
        if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
            return "cannot create spool directory " + path + ": " + std::strerror(errno);
        }
        if (lstat(path.c_str(), &info) != 0) {
            return "spool directory " + path + ": " + std::strerror(errno);
        }
    }
    if (S_ISLNK(info.st_mode) || !S_ISDIR(info.st_mode)) {
        return "spool directory " + path + " is not a directory";
    }
    if (info.st_uid != geteuid()) {
        return "spool directory " + path + " belongs to another user";
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return "spool directory " + path + " is writable by others";
    }
    return {};
}

namespace {

bool PrintableValue(const std::string& value) {
    return std::none_of(value.begin(), value.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

}  // namespace

std::optional<PrinterRecord> ParsePrinterDescription(const std::string& text) {
    if (text.size() > kMaxPrinterFileSize) {
        return std::nullopt;
    }
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        at = end + 1;
    }
    if (lines.empty() || lines[0] != kPrinterFileHeader) {
        return std::nullopt;
    }
    PrinterRecord record;
    bool haveName = false;
    bool haveDriver = false;
    bool havePort = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            return std::nullopt;
        }
        const std::string key = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        if (!PrintableValue(value)) {
            return std::nullopt;
        }
        bool* seen = nullptr;
        std::string* field = nullptr;
        if (key == "name") {
            seen = &haveName;
            field = &record.name;
        } else if (key == "driver") {
            seen = &haveDriver;
            field = &record.driverName;
        } else if (key == "port") {
            seen = &havePort;
            field = &record.portName;
        } else {
            continue;  // later versions may add keys
        }
        if (*seen) {
            return std::nullopt;
        }
        *seen = true;
        *field = std::move(value);
    }
    if (!haveName || !haveDriver || !havePort || record.name.empty()) {
        return std::nullopt;
    }
    return record;
}

std::string FormatPrinterDescription(const PrinterRecord& record) {
    return std::string(kPrinterFileHeader) + "\nname=" + record.name +
           "\ndriver=" + record.driverName + "\nport=" + record.portName + "\n";
}

std::string PrinterFileStem(const std::string& printerName) {
    std::string stem;
    for (const char c : printerName) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_';
        stem.push_back(keep ? c : '_');
        if (stem.size() == 40) {
            break;
        }
    }
    return stem.empty() ? std::string("printer") : stem;
}

namespace {

// A description file's bytes, refusing links, non-regular files and oversized ones.
std::optional<std::string> ReadSmallFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    std::optional<std::string> text;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_size <= static_cast<off_t>(kMaxPrinterFileSize)) {
        std::string bytes(kMaxPrinterFileSize + 1, '\0');
        std::size_t total = 0;
        for (;;) {
            const ssize_t got = read(fd, bytes.data() + total, bytes.size() - total);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                break;
            }
            total += static_cast<std::size_t>(got);
            if (total == bytes.size()) {
                break;
            }
        }
        if (total <= kMaxPrinterFileSize) {
            bytes.resize(total);
            text = std::move(bytes);
        }
    }
    close(fd);
    return text;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() > suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

SpoolDirectory::SpoolDirectory(std::string directory, int timeoutMs)
    : directory_(std::move(directory)), timeoutMs_(timeoutMs) {}

SpoolDirectory::~SpoolDirectory() {
    for (auto& [handle, state] : open_) {
        DropDocument(state);
    }
}

bool SpoolDirectory::ReadPrinters(std::vector<std::pair<PrinterRecord, std::string>>& printers) {
    printers.clear();
    problem_.clear();
    struct stat info {};
    if (lstat(directory_.c_str(), &info) != 0 && errno == ENOENT) {
        return true;  // nothing installed yet
    }
    problem_ = PrepareSpoolDirectory(directory_, false);
    if (!problem_.empty()) {
        return false;
    }
    DIR* dir = opendir(directory_.c_str());
    if (dir == nullptr) {
        problem_ = "cannot read spool directory " + directory_ + ": " + std::strerror(errno);
        return false;
    }
    std::vector<std::string> files;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (EndsWith(name, kPrinterFileSuffix)) {
            files.push_back(name);
        }
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
        const auto text = ReadSmallFile(directory_ + "/" + file);
        if (!text) {
            continue;
        }
        auto record = ParsePrinterDescription(*text);
        if (!record) {
            continue;  // malformed: not installed as far as the tool is concerned
        }
        const std::string stem = file.substr(0, file.size() - std::strlen(kPrinterFileSuffix));
        printers.emplace_back(std::move(*record), directory_ + "/" + stem + kSocketSuffix);
    }
    return true;
}

bool SpoolDirectory::EnumPrinters(std::vector<PrinterRecord>& records) {
    std::vector<std::pair<PrinterRecord, std::string>> printers;
    if (!ReadPrinters(printers)) {
        return false;
    }
    records.clear();
    for (auto& printer : printers) {
        records.push_back(std::move(printer.first));
    }
    return true;
}

bool SpoolDirectory::OpenPrinter(const std::string& name, std::uint32_t, PrinterHandle& handle) {
    handle = kNoPrinterHandle;
    std::vector<std::pair<PrinterRecord, std::string>> printers;
    if (name.empty() || !ReadPrinters(printers)) {
        return false;
    }
    for (const auto& [record, socketPath] : printers) {
        if (record.name == name) {
            handle = next_++;
            open_[handle] = OpenPrinterState{socketPath};
            return true;
        }
    }
    return false;
}

void SpoolDirectory::DropDocument(OpenPrinterState& state) {
    if (state.documentFd >= 0) {
        close(state.documentFd);
        state.documentFd = -1;
    }
    state.pageOpen = false;
}

void SpoolDirectory::ClosePrinter(PrinterHandle handle) {
    if (OpenPrinterState* state = Find(handle)) {
        DropDocument(*state);
        open_.erase(handle);
    }
}

SpoolDirectory::OpenPrinterState* SpoolDirectory::Find(PrinterHandle handle) {
    const auto it = open_.find(handle);
    return it == open_.end() ? nullptr : &it->second;
}

bool SpoolDirectory::Exchange(int fd, unsigned char type, const std::vector<unsigned char>& payload,
                              std::uint32_t& status) {
    if (!spoolwire::SendFrame(fd, type, payload)) {
        return false;
    }
    const auto answer = spoolwire::ReceiveFrame(fd, 64);
    if (!answer || answer->type != spoolwire::kAnswer || answer->payload.size() < 4) {
        return false;
    }
    status = ReadU32BE(answer->payload.data());
    return true;
}

bool SpoolDirectory::StartDocPrinter(PrinterHandle handle, const std::string& documentName,
                                     const std::string& dataType) {
    OpenPrinterState* state = Find(handle);
    if (state == nullptr || state->documentFd >= 0) {
        return false;
    }
    const int fd = spoolwire::Connect(state->socketPath, timeoutMs_);
    if (fd < 0) {
        return false;
    }
    std::vector<unsigned char> payload(documentName.begin(), documentName.end());
    payload.push_back(0);
    payload.insert(payload.end(), dataType.begin(), dataType.end());
    std::uint32_t status = 1;
    if (!Exchange(fd, spoolwire::kStartDoc, payload, status) || status != 0) {
        close(fd);
        return false;
    }
    state->documentFd = fd;
    return true;
}

bool SpoolDirectory::StartPagePrinter(PrinterHandle handle) {
    OpenPrinterState* state = Find(handle);
    if (state == nullptr || state->documentFd < 0 || state->pageOpen) {
        return false;
    }
    state->pageOpen = true;
    return true;
}

bool SpoolDirectory::WritePrinter(PrinterHandle handle, const unsigned char* data,
                                  std::uint32_t size, std::uint32_t& written) {
    written = 0;
    OpenPrinterState* state = Find(handle);
    if (state == nullptr || state->documentFd < 0 || size > spoolwire::kMaxFramePayload) {
        return false;
    }
    std::uint32_t status = 1;
    if (!Exchange(state->documentFd, spoolwire::kWrite,
                  std::vector<unsigned char>(data, data + size), status) ||
        status != 0) {
        return false;
    }
    written = size;
    return true;
}

bool SpoolDirectory::EndPagePrinter(PrinterHandle handle) {
    OpenPrinterState* state = Find(handle);
    if (state == nullptr || !state->pageOpen) {
        return false;
    }
    state->pageOpen = false;
    return true;
}

bool SpoolDirectory::EndDocPrinter(PrinterHandle handle) {
    OpenPrinterState* state = Find(handle);
    if (state == nullptr || state->documentFd < 0) {
        return false;
    }
    std::uint32_t status = 1;
    const bool ok = Exchange(state->documentFd, spoolwire::kEndDoc, {}, status) && status == 0;
    DropDocument(*state);
    return ok;
}

std::uint32_t SpoolDirectory::GetPrinterData(PrinterHandle handle, const std::string& valueName,
                                             unsigned char* buffer, std::uint32_t bufferSize,
                                             std::uint32_t& reportedSize) {
    reportedSize = 0;
    OpenPrinterState* state = Find(handle);
    if (state == nullptr) {
        return kSpoolInvalidHandle;
    }
    if (valueName.empty() || valueName.size() > spoolwire::kMaxValueName) {
        return kSpoolNotFound;
    }
    const int fd = spoolwire::Connect(state->socketPath, timeoutMs_);
    if (fd < 0) {
        return kSpoolNotReady;
    }
    std::vector<unsigned char> request(4);
    WriteU32BE(request.data(), bufferSize);
    request.insert(request.end(), valueName.begin(), valueName.end());
    std::uint32_t status = kSpoolNotReady;
    if (spoolwire::SendFrame(fd, spoolwire::kReadValue, request)) {
        const auto answer = spoolwire::ReceiveFrame(fd, 8 + bufferSize);
        if (answer && answer->type == spoolwire::kValue && answer->payload.size() >= 8 &&
            answer->payload.size() - 8 <= bufferSize) {
            status = ReadU32BE(answer->payload.data());
            reportedSize = ReadU32BE(answer->payload.data() + 4);
            std::copy(answer->payload.begin() + 8, answer->payload.end(), buffer);
        }
    }
    close(fd);
    return status;
}

}  // namespace qx7
