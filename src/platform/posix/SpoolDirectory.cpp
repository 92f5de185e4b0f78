#include "platform/posix/SpoolDirectory.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <system_error>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/base/ByteOrder.h"
#include "core/comm/PrinterLink.h"
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

namespace {

// "link/" resolves the link whatever O_NOFOLLOW says: the name itself is what gets checked.
std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

}  // namespace

int OpenSpoolDirectory(const std::string& path, bool create, std::string& problem, bool* missing) {
    problem.clear();
    if (missing != nullptr) {
        *missing = false;
    }
    if (path.empty()) {
        problem = "no spool directory given";
        return -1;
    }
    const std::string name = WithoutTrailingSlashes(path);
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = open(name.c_str(), kFlags);
    if (fd < 0 && errno == ENOENT && create) {
        if (mkdir(name.c_str(), 0700) != 0 && errno != EEXIST) {
            problem = "cannot create spool directory " + path + ": " + std::strerror(errno);
            return -1;
        }
        fd = open(name.c_str(), kFlags);
    }
    if (fd < 0) {
        if (errno == ELOOP || errno == ENOTDIR) {
            problem = "spool directory " + path + " is not a directory";
        } else {
            if (errno == ENOENT && missing != nullptr) {
                *missing = true;
            }
            problem = "spool directory " + path + ": " + std::strerror(errno);
        }
        return -1;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode)) {
        problem = "spool directory " + path + " is not a directory";
    } else if (info.st_uid != geteuid()) {
        problem = "spool directory " + path + " belongs to another user";
    } else if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        problem = "spool directory " + path + " is writable by others";
    }
    if (!problem.empty()) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string PrepareSpoolDirectory(const std::string& path, bool create) {
    std::string problem;
    const int fd = OpenSpoolDirectory(path, create, problem);
    if (fd >= 0) {
        close(fd);
    }
    return problem;
}

namespace {

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong forms, no surrogates,
// nothing above U+10FFFF.
bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t code = 0;
        std::uint32_t lowest = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1FU;
            lowest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0FU;
            lowest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07U;
            lowest = 0x10000;
        } else {
            return false;  // a continuation byte, C0/C1 (always overlong) or F5 and above
        }
        if (text.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0U) != 0x80U) {
                return false;
            }
            code = (code << 6) | (next & 0x3FU);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

// No C0 controls, DEL or C1 controls (U+0080 to U+009F, C2 80 to C2 9F in UTF-8): a value is
// printed on terminals as it is.
bool PrintableValue(const std::string& value) {
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto u = static_cast<unsigned char>(value[i]);
        if (u < 0x20 || u == 0x7F) {
            return false;
        }
        if (u == 0xC2 && i + 1 < value.size() && static_cast<unsigned char>(value[i + 1]) <= 0x9F) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<PrinterRecord> ParsePrinterDescription(const std::string& text) {
    if (text.size() > kMaxPrinterFileSize || !IsUtf8(text)) {
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
        if (stem.size() == kMaxPrinterFileStem) {
            break;
        }
    }
    return stem.empty() ? std::string("printer") : stem;
}

bool IsPrinterFileStem(std::string_view stem) {
    return !stem.empty() && stem.size() <= kMaxPrinterFileStem &&
           std::all_of(stem.begin(), stem.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_';
           });
}

namespace {

// A description file's bytes, refusing links, non-regular files and oversized ones.
std::optional<std::string> ReadSmallFileAt(int directoryFd, const std::string& name) {
    const int fd =
        openat(directoryFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
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

// The stem of a description file's name; nullopt for other names and for stems outside the
// alphabet or the length a printer file may have.
std::optional<std::string> DescriptionStem(const std::string& fileName) {
    const std::string_view suffix = kPrinterFileSuffix;
    if (fileName.size() <= suffix.size() ||
        fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return std::nullopt;
    }
    std::string stem = fileName.substr(0, fileName.size() - suffix.size());
    if (!IsPrinterFileStem(stem)) {
        return std::nullopt;
    }
    return stem;
}

// Runs job(i) for every i below count on up to kMostParallelReads threads, the calling one
// among them, and returns when all are done. With no thread to spare the calling one does all.
void ForEachAtOnce(std::size_t count, const std::function<void(std::size_t)>& job) {
    std::atomic<std::size_t> next{0};
    const auto work = [&next, count, &job] {
        for (;;) {
            const std::size_t i = next++;
            if (i >= count) {
                return;
            }
            try {
                job(i);
            } catch (const std::exception&) {
                // That printer stays unanswered; the others go on.
            }
        }
    };
    std::vector<std::thread> helpers;
    const std::size_t wanted = std::min(count, kMostParallelReads);
    helpers.reserve(wanted);  // no reallocation, and so no throw, once threads run
    for (std::size_t k = 1; k < wanted; ++k) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // no thread to spare: fewer do the work
        }
    }
    work();
    for (std::thread& helper : helpers) {
        helper.join();
    }
}

// One value read from the monitor at socketPath, connecting, request and whole answer by the
// deadline: the status, with the data copied into buffer (never more than bufferSize bytes).
std::uint32_t ReadValueAt(const std::string& socketPath, const std::string& valueName,
                          unsigned char* buffer, std::uint32_t bufferSize,
                          spoolwire::Deadline deadline, std::uint32_t& reportedSize) {
    reportedSize = 0;
    const int fd = spoolwire::Connect(socketPath, deadline);
    if (fd < 0) {
        return kSpoolNotReady;
    }
    std::vector<unsigned char> request(4);
    WriteU32BE(request.data(), bufferSize);
    request.insert(request.end(), valueName.begin(), valueName.end());
    std::uint32_t status = kSpoolNotReady;
    if (spoolwire::SendFrame(fd, spoolwire::kReadValue, request, deadline)) {
        const std::uint32_t most = bufferSize > spoolwire::kMaxFramePayload - 8
                                       ? spoolwire::kMaxFramePayload
                                       : 8 + bufferSize;
        const auto answer = spoolwire::ReceiveFrame(fd, most, deadline);
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

}  // namespace

SpoolDirectory::SpoolDirectory(std::string directory, int timeoutMs, int handleBudgetMs)
    : directory_(WithoutTrailingSlashes(std::move(directory))),
      timeoutMs_(timeoutMs),
      handleBudgetMs_(handleBudgetMs) {}

SpoolDirectory::~SpoolDirectory() {
    for (auto& [handle, state] : open_) {
        DropDocument(state);
    }
}

bool SpoolDirectory::ReadPrinters() {
    listing_.clear();
    ++directoryReads_;
    bool missing = false;
    const int directoryFd = OpenSpoolDirectory(directory_, false, problem_, &missing);
    if (directoryFd < 0) {
        if (missing) {
            problem_.clear();
            return true;  // nothing installed yet
        }
        return false;
    }
    // The names come from a duplicate: closedir closes the descriptor it was given.
    const int listFd = fcntl(directoryFd, F_DUPFD_CLOEXEC, 0);
    DIR* dir = listFd < 0 ? nullptr : fdopendir(listFd);
    if (dir == nullptr) {
        problem_ = "cannot read spool directory " + directory_ + ": " + std::strerror(errno);
        if (listFd >= 0) {
            close(listFd);
        }
        close(directoryFd);
        return false;
    }
    std::vector<std::string> files;  // in byte order of the whole names, not of the stems
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (DescriptionStem(name)) {
            files.push_back(name);
        }
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    std::vector<Installed> found;
    for (const std::string& file : files) {
        const auto text = ReadSmallFileAt(directoryFd, file);
        if (!text) {
            continue;
        }
        std::string stem = *DescriptionStem(file);
        auto record = ParsePrinterDescription(*text);
        if (!record) {
            continue;  // malformed: not installed as far as the tool is concerned
        }
        found.push_back(Installed{std::move(*record), std::move(stem)});
    }
    close(directoryFd);
    listing_ = OnePerName(std::move(found));
    return true;
}

std::vector<SpoolDirectory::Installed> SpoolDirectory::OnePerName(
    std::vector<Installed> found) const {
    // A spooler knows each name once. When several files name the same printer (a stale copy
    // left behind, say), the one whose monitor reports the printer ready stands for it, else
    // the first in byte order; it keeps the place of the first.
    std::map<std::string, std::vector<std::size_t>> byName;
    for (std::size_t i = 0; i < found.size(); ++i) {
        byName[found[i].record.name].push_back(i);
    }
    std::vector<std::size_t> probed;
    for (const auto& [name, indexes] : byName) {
        if (indexes.size() > 1) {
            probed.insert(probed.end(), indexes.begin(), indexes.end());
        }
    }
    // One byte each (not vector<bool>, whose bits share words): each thread writes its own.
    std::vector<unsigned char> ready(found.size(), 0);
    if (!probed.empty()) {
        const spoolwire::Deadline deadline = spoolwire::DeadlineIn(timeoutMs_);
        ForEachAtOnce(probed.size(), [&](std::size_t k) {
            const Installed& printer = found[probed[k]];
            PrinterValueRead read;
            read.opened = true;
            read.bytes.assign(kReadyValueSize, 0xFF);
            read.status =
                ReadValueAt(directory_ + "/" + printer.stem + kSocketSuffix, kReadyValueName,
                            read.bytes.data(), kReadyValueSize, deadline, read.reportedSize);
            ready[probed[k]] = IsReadyAnswer(read) ? 1 : 0;
        });
    }
    // Chosen first, moved after: a later file of the same name may be the one that stands.
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const std::vector<std::size_t>& indexes = byName.at(found[i].record.name);
        if (indexes.front() != i) {
            continue;  // placed with the first of its name
        }
        std::size_t pick = i;
        for (const std::size_t candidate : indexes) {
            if (ready[candidate] != 0) {
                pick = candidate;
                break;
            }
        }
        chosen.push_back(pick);
    }
    std::vector<Installed> unique;
    unique.reserve(chosen.size());
    for (const std::size_t pick : chosen) {
        unique.push_back(std::move(found[pick]));
    }
    return unique;
}

bool SpoolDirectory::EnumPrinters(std::vector<PrinterRecord>& records) {
    if (!ReadPrinters()) {
        return false;
    }
    records.clear();
    for (const Installed& printer : listing_) {
        records.push_back(printer.record);
    }
    return true;
}

std::optional<std::string> SpoolDirectory::Locate(const std::string& name) {
    const auto named = [&name](const Installed& printer) { return printer.record.name == name; };
    auto it = std::find_if(listing_.begin(), listing_.end(), named);
    if (it != listing_.end()) {
        // The readiness checks of a listing open every printer it found: one file each, not the
        // whole directory again.
        std::string problem;
        const int directoryFd = OpenSpoolDirectory(directory_, false, problem);
        if (directoryFd >= 0) {
            const auto text = ReadSmallFileAt(directoryFd, it->stem + kPrinterFileSuffix);
            close(directoryFd);
            const auto record = text ? ParsePrinterDescription(*text) : std::nullopt;
            if (record && record->name == name) {
                return it->stem;
            }
        }
    }
    if (!ReadPrinters()) {
        return std::nullopt;
    }
    it = std::find_if(listing_.begin(), listing_.end(), named);
    if (it == listing_.end()) {
        return std::nullopt;
    }
    return it->stem;
}

bool SpoolDirectory::OpenPrinter(const std::string& name, std::uint32_t, PrinterHandle& handle) {
    handle = kNoPrinterHandle;
    if (name.empty()) {
        return false;
    }
    const spoolwire::Deadline deadline = spoolwire::DeadlineIn(handleBudgetMs_);
    const auto stem = Locate(name);
    if (!stem) {
        return false;
    }
    handle = next_++;
    open_[handle] = OpenPrinterState{directory_ + "/" + *stem + kSocketSuffix, deadline};
    return true;
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

spoolwire::Deadline SpoolDirectory::ExchangeDeadline(const OpenPrinterState& state) const {
    return std::min(spoolwire::DeadlineIn(timeoutMs_), state.deadline);
}

bool SpoolDirectory::Exchange(int fd, unsigned char type, const std::vector<unsigned char>& payload,
                              spoolwire::Deadline deadline, std::uint32_t& status) {
    if (!spoolwire::SendFrame(fd, type, payload, deadline)) {
        return false;
    }
    const auto answer = spoolwire::ReceiveFrame(fd, 64, deadline);
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
    // Connecting and the start of the document share one deadline.
    const spoolwire::Deadline deadline = ExchangeDeadline(*state);
    const int fd = spoolwire::Connect(state->socketPath, deadline);
    if (fd < 0) {
        return false;
    }
    std::vector<unsigned char> payload(documentName.begin(), documentName.end());
    payload.push_back(0);
    payload.insert(payload.end(), dataType.begin(), dataType.end());
    std::uint32_t status = 1;
    if (!Exchange(fd, spoolwire::kStartDoc, payload, deadline, status) || status != 0) {
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
                  std::vector<unsigned char>(data, data + size), ExchangeDeadline(*state),
                  status) ||
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
    const bool ok =
        Exchange(state->documentFd, spoolwire::kEndDoc, {}, ExchangeDeadline(*state), status) &&
        status == 0;
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
    // Connecting, the request and the whole answer share one deadline.
    return ReadValueAt(state->socketPath, valueName, buffer, bufferSize, ExchangeDeadline(*state),
                       reportedSize);
}

std::vector<PrinterValueRead> SpoolDirectory::ReadValueOfEach(const std::vector<std::string>& names,
                                                              std::uint32_t,
                                                              const std::string& valueName,
                                                              std::uint32_t bufferSize,
                                                              SpoolDeadline deadline) {
    std::vector<PrinterValueRead> reads(names.size());
    std::vector<std::string> sockets(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty()) {
            continue;
        }
        if (const auto stem = Locate(names[i])) {
            reads[i].opened = true;
            sockets[i] = directory_ + "/" + *stem + kSocketSuffix;
        }
    }
    const bool validName = !valueName.empty() && valueName.size() <= spoolwire::kMaxValueName;
    // The monitors are asked at once: a silent one holds up only its own printer. The threads
    // touch nothing but their own element and the wire.
    ForEachAtOnce(names.size(), [&](std::size_t i) {
        PrinterValueRead& read = reads[i];
        if (!read.opened) {
            return;
        }
        if (!validName) {
            read.status = kSpoolNotFound;
            return;
        }
        read.bytes.assign(bufferSize, 0xFF);
        read.status =
            ReadValueAt(sockets[i], valueName, read.bytes.data(), bufferSize,
                        std::min(spoolwire::DeadlineIn(timeoutMs_), deadline), read.reportedSize);
    });
    return reads;
}

}  // namespace qx7
