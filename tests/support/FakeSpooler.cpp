#include "support/FakeSpooler.h"

#include <algorithm>

#include "core/base/ByteOrder.h"
#include "core/comm/CommandJob.h"

namespace qx7::test {

FakeSpooler::Printer& FakeSpooler::Add(const std::string& name, const std::string& driver,
                                       const std::string& port) {
    for (Printer& printer : printers) {
        if (printer.record.name == name) {
            printer = Printer{{name, driver, port}};
            return printer;
        }
    }
    printers.push_back(Printer{{name, driver, port}});
    return printers.back();
}

void FakeSpooler::QueueReply(const std::vector<unsigned char>& reply) {
    for (std::size_t at = 0; at < reply.size() || at == 0; at += 512) {
        ScriptedRead read{kSpoolSuccess, 516, std::vector<unsigned char>(516, 0)};
        const std::size_t n = std::min<std::size_t>(512, reply.size() - at);
        std::copy_n(reply.begin() + static_cast<std::ptrdiff_t>(at), n, read.bytes.begin() + 4);
        replyReads.push_back(std::move(read));
        if (reply.empty()) {
            break;
        }
    }
}

std::vector<unsigned char> FakeSpooler::MakeReply(std::uint8_t replyCode, std::uint32_t status) {
    std::vector<unsigned char> reply;
    const auto start = StartPacket(0x12345678);
    reply.insert(reply.end(), start.begin(), start.end());
    const unsigned char header[8] = {0x23, 0x23, 0x00, replyCode, 0x00, 0x00, 0x00, 0x10};
    reply.insert(reply.end(), header, header + 8);
    unsigned char data[16] = {};
    WriteU32BE(data, status);
    reply.insert(reply.end(), data, data + 16);
    const auto end = EndPacket(0x12345678);
    reply.insert(reply.end(), end.begin(), end.end());
    return reply;
}

bool FakeSpooler::EnumPrinters(std::vector<PrinterRecord>& records) {
    calls.push_back("enum");
    if (enumFails) {
        return false;
    }
    records.clear();
    for (const Printer& printer : printers) {
        records.push_back(printer.record);
    }
    return true;
}

bool FakeSpooler::OpenPrinter(const std::string& name, std::uint32_t desiredAccess,
                              PrinterHandle& handle) {
    calls.push_back("open " + name);
    lastAccess = desiredAccess;
    for (const Printer& printer : printers) {
        if (printer.record.name == name && printer.opens) {
            handle = next_++;
            open_[handle] = name;
            ++openHandles;
            return true;
        }
    }
    handle = kNoPrinterHandle;
    return false;
}

void FakeSpooler::ClosePrinter(PrinterHandle handle) {
    calls.push_back("close");
    if (open_.erase(handle) != 0) {
        --openHandles;
    }
}

bool FakeSpooler::StartDocPrinter(PrinterHandle handle, const std::string& documentName,
                                  const std::string& dataType) {
    calls.push_back("startdoc " + documentName + " " + dataType);
    return open_.count(handle) != 0 && !startDocFails;
}

bool FakeSpooler::StartPagePrinter(PrinterHandle) {
    calls.push_back("startpage");
    return !startPageFails;
}

bool FakeSpooler::WritePrinter(PrinterHandle, const unsigned char* data, std::uint32_t size,
                               std::uint32_t& written) {
    calls.push_back("write");
    if (writeFails) {
        written = 0;
        return false;
    }
    jobs.emplace_back(data, data + size);
    written = size;
    return true;
}

bool FakeSpooler::EndPagePrinter(PrinterHandle) {
    calls.push_back("endpage");
    return !endPageFails;
}

void FakeSpooler::CancelLastDocument(PrinterHandle /*handle*/) {
    calls.push_back("cancel");
}

bool FakeSpooler::EndDocPrinter(PrinterHandle) {
    calls.push_back("enddoc");
    return !endDocFails;
}

std::uint32_t FakeSpooler::GetPrinterData(PrinterHandle handle, const std::string& valueName,
                                          unsigned char* buffer, std::uint32_t bufferSize,
                                          std::uint32_t& reportedSize) {
    calls.push_back("read " + valueName);
    const auto it = open_.find(handle);
    if (it == open_.end()) {
        reportedSize = 0;
        return kSpoolInvalidHandle;
    }
    ScriptedRead read;
    if (valueName == "QvMatCheck") {
        for (const Printer& printer : printers) {
            if (printer.record.name == it->second) {
                read = printer.ready;
            }
        }
    } else if (valueName == "QvMatRawReadTest") {
        ++replyReadCount;
        if (!replyReads.empty()) {
            read = std::move(replyReads.front());
            replyReads.pop_front();
        }
    } else {
        reportedSize = 0;
        return kSpoolNotFound;
    }
    // Like the real spooler: never more than the caller's buffer is written.
    std::copy_n(read.bytes.begin(), std::min<std::size_t>(read.bytes.size(), bufferSize), buffer);
    reportedSize = read.reportedSize;
    return read.status;
}

int FakeSpooler::Count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

}  // namespace qx7::test
