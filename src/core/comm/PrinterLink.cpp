#include "core/comm/PrinterLink.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <new>

#include "core/base/ByteOrder.h"

namespace qx7 {

PrinterLink::PrinterLink(ISpooler& spooler, ISleeper& sleeper, const ILocalTime& clock)
    : spooler_(spooler), sleeper_(sleeper), clock_(clock) {
    try {
        job_.assign(kJobPreambleSize, 0);
        hasJobBuffer_ = true;
    } catch (const std::bad_alloc&) {
        job_.clear();
        hasJobBuffer_ = false;
    }
}

PrinterLink::~PrinterLink() {
    ClosePrinter();
}

void PrinterLink::ClosePrinter() {
    if (handle_ != kNoPrinterHandle) {
        spooler_.ClosePrinter(handle_);
        handle_ = kNoPrinterHandle;
    }
}

void PrinterLink::DropJobBuffer() {
    job_.clear();
    job_.shrink_to_fit();
    hasJobBuffer_ = false;
}

int PrinterLink::Connect(const std::string& printerName) {
    ClosePrinter();  // a second Connect on the same link must not leak the first handle
    if (printerName.empty()) {
        return kLinkNotReady;
    }
    PrinterHandle handle = kNoPrinterHandle;
    if (!spooler_.OpenPrinter(printerName, kPrinterAllAccess, handle) ||
        handle == kNoPrinterHandle) {
        return kLinkNotReady;
    }
    handle_ = handle;
    PrinterValueRead read;
    read.opened = true;
    read.bytes.assign(kReadyValueSize, 0xFF);
    read.status = spooler_.GetPrinterData(handle_, kReadyValueName, read.bytes.data(),
                                          kReadyValueSize, read.reportedSize);
    return IsReadyAnswer(read) ? 0 : kLinkNotReady;
}

PrinterVerdict FilterPrinterRecord(const PrinterRecord& record) {
    if (record.driverName.find(kQxDriverName) == std::string::npos) {
        return PrinterVerdict::kOtherDriver;
    }
    if (record.name.find(kFileOutputWord) != std::string::npos) {
        return PrinterVerdict::kFileOutputName;
    }
    if (record.portName == kFilePortName) {
        return PrinterVerdict::kFilePort;
    }
    return PrinterVerdict::kListed;
}

bool IsReadyAnswer(const PrinterValueRead& read) {
    // A success without any byte says nothing about readiness: not ready.
    return read.opened && read.status == kSpoolSuccess && read.reportedSize > 0 &&
           !read.bytes.empty() && read.bytes[0] == 0x00;
}

bool PrinterLink::IsReadyPrinter(const std::string& printerName) {
    const bool ready = Connect(printerName) == 0;
    ClosePrinter();
    return ready;
}

int PrinterLink::EnumeratePrinters() {
    std::vector<PrinterRecord> records;
    if (!spooler_.EnumPrinters(records)) {
        printers_.clear();
        return kLinkEnumerateFailed;
    }
    printers_ = std::move(records);
    return 0;
}

std::vector<bool> PrinterLink::ReadyOfEach(const std::vector<std::string>& names) {
    ClosePrinter();  // the reads open and close the printers themselves
    const SpoolDeadline deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kListingReadinessMs);
    const std::vector<PrinterValueRead> reads = spooler_.ReadValueOfEach(
        names, kPrinterAllAccess, kReadyValueName, kReadyValueSize, deadline);
    std::vector<bool> ready(names.size(), false);
    for (std::size_t i = 0; i < names.size() && i < reads.size(); ++i) {
        ready[i] = IsReadyAnswer(reads[i]);
    }
    return ready;
}

int PrinterLink::ListQxPrinters(std::vector<std::string>& sortedList) {
    std::vector<std::string> candidates;
    for (const PrinterRecord& record : printers_) {
        if (FilterPrinterRecord(record) != PrinterVerdict::kListed) {
            continue;
        }
        // A name the spooler lists twice is still one printer: asked once, listed once.
        if (std::find(candidates.begin(), candidates.end(), record.name) == candidates.end()) {
            candidates.push_back(record.name);
        }
    }
    const std::vector<bool> ready = ReadyOfEach(candidates);
    bool added = false;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (!ready[i]) {
            continue;
        }
        sortedList.insert(std::upper_bound(sortedList.begin(), sortedList.end(), candidates[i]),
                          candidates[i]);
        added = true;
    }
    return added ? 0 : kLinkNoPrinterListed;
}

PrinterVerdict PrinterLink::JudgePrinter(const std::string& printerName, PrinterRecord* record) {
    const auto found =
        std::find_if(printers_.begin(), printers_.end(),
                     [&printerName](const PrinterRecord& r) { return r.name == printerName; });
    if (found == printers_.end()) {
        return PrinterVerdict::kUnknown;
    }
    if (record != nullptr) {
        *record = *found;
    }
    if (const PrinterVerdict filtered = FilterPrinterRecord(*found);
        filtered != PrinterVerdict::kListed) {
        return filtered;
    }
    return ReadyOfEach({printerName}).front() ? PrinterVerdict::kListed : PrinterVerdict::kNotReady;
}

int PrinterLink::AppendBlock(const unsigned char* bytes, std::size_t length) {
    if (!hasJobBuffer_) {
        return kLinkNoJobBufferAppend;
    }
    try {
        job_.reserve(job_.size() + length);
    } catch (const std::exception&) {
        return kLinkAllocationFailed;
    }
    job_.insert(job_.end(), bytes, bytes + length);
    return 0;
}

int PrinterLink::BuildJob(const unsigned char* block, std::size_t length) {
    const auto stamp = static_cast<std::uint32_t>(clock_.Now());  // read once for both packets
    const auto start = StartPacket(stamp);
    if (const int result = AppendBlock(start.data(), start.size()); result != 0) {
        return result;
    }
    if (const int result = AppendBlock(kLeadBlock.data(), kLeadBlock.size()); result != 0) {
        return result;
    }
    if (const int result = AppendBlock(block, length); result != 0) {
        return result;
    }
    const auto end = EndPacket(stamp);
    return AppendBlock(end.data(), end.size());
}

namespace {

// A command block with its header filled and its data zero.
template <std::size_t N>
std::array<unsigned char, N> BlockHeader(std::uint16_t code) {
    std::array<unsigned char, N> block{};
    block[0] = 0x23;
    block[1] = 0x23;
    WriteU16BE(block.data() + 2, code);
    WriteU32BE(block.data() + 4, static_cast<std::uint32_t>(N - kBlockHeaderSize));
    return block;
}

}  // namespace

int PrinterLink::BuildInitializeRecord(int kind) {
    auto block = BlockHeader<40>(kBlockInitializeRecord);
    block[8] = static_cast<unsigned char>(kind);
    constexpr char kText[] = "InitializeRecord";
    std::copy(kText, kText + 16, block.begin() + 24);
    return BuildJob(block.data(), block.size());
}

int PrinterLink::BuildSetClock(std::uint32_t printerTime) {
    auto block = BlockHeader<16>(kBlockSetClock);
    WriteU32BE(block.data() + 8, printerTime);
    return BuildJob(block.data(), block.size());
}

int PrinterLink::BuildCarriageSpeedStart() {
    const auto block = BlockHeader<24>(kBlockCarriageSpeed);
    return BuildJob(block.data(), block.size());
}

int PrinterLink::BuildThermistorValue(int value) {
    auto block = BlockHeader<24>(kBlockThermistor);
    WriteU16BE(block.data() + 8, static_cast<std::uint16_t>(static_cast<unsigned int>(value)));
    return BuildJob(block.data(), block.size());
}

int PrinterLink::BuildSetAddress(std::uint32_t first, std::uint32_t second, std::uint32_t third) {
    auto block = BlockHeader<20>(kBlockSetAddress);
    WriteU32BE(block.data() + 8, first);
    WriteU32BE(block.data() + 12, second);
    WriteU32BE(block.data() + 16, third);
    return BuildJob(block.data(), block.size());
}

int PrinterLink::EndJob() {
    if (!spooler_.EndPagePrinter(handle_)) {
        return kLinkEndPageFailed;
    }
    if (!spooler_.EndDocPrinter(handle_)) {
        return kLinkEndDocFailed;
    }
    return 0;
}

int PrinterLink::SendJob() {
    int result = 0;
    if (!hasJobBuffer_) {
        result = kLinkNoJobBufferSend;
    } else if (!spooler_.StartDocPrinter(handle_, kJobDocumentName, kRawDataType)) {
        result = kLinkStartDocFailed;
    } else if (!spooler_.StartPagePrinter(handle_)) {
        spooler_.EndDocPrinter(handle_);
        spooler_.CancelLastDocument(handle_);
        result = kLinkStartPageFailed;
    } else {
        const bool written = spooler_.WritePrinter(
            handle_, job_.data(), static_cast<std::uint32_t>(job_.size()), bytesWritten_);
        static_cast<void>(EndJob());  // the job is out or lost either way; ending is not judged
        if (!written) {
            // Part of a command must never reach the printer after the failure is reported.
            spooler_.CancelLastDocument(handle_);
        }
        result = written ? 0 : kLinkWriteFailed;
    }
    if (hasJobBuffer_) {
        job_.resize(kJobPreambleSize);  // the preamble stays zero: it is never written over
    }
    return result;
}

int PrinterLink::CollectReply(int count) {
    std::vector<unsigned char> chunk(kChunkSize);
    reply_.clear();
    std::size_t collected = 0;
    std::size_t searchFrom = 0;
    int cycles = 0;
    int markersExpected = count;
    int result = 0;
    for (;;) {
        if (collected > 0) {
            break;
        }
        sleeper_.SleepMilliseconds(kPollIntervalMs);
        std::uint32_t reported = 0;
        std::uint32_t status =
            spooler_.GetPrinterData(handle_, kReplyValueName, chunk.data(), kChunkSize, reported);
        int chunksThisCycle = 0;
        while (reported >= kChunkSize) {
            if (status != kSpoolSuccess) {
                result = kLinkReadFailed;
                break;
            }
            if (chunksThisCycle == kMaxChunksPerCycle) {
                break;  // as if the data had stopped
            }
            ++chunksThisCycle;
            // A driver that reports more than the buffer holds still only filled the buffer.
            const std::size_t payload = kChunkSize - kChunkHeaderSize;
            const std::size_t newLength = collected + payload;
            reply_.resize(newLength);
            std::copy(chunk.begin() + kChunkHeaderSize, chunk.end(),
                      reply_.begin() + static_cast<std::ptrdiff_t>(collected));
            while (markersExpected > 0) {
                const auto from = reply_.begin() + static_cast<std::ptrdiff_t>(searchFrom);
                const auto found =
                    std::search(from, reply_.end(), kEndMarker.begin(), kEndMarker.end());
                if (found == reply_.end()) {
                    break;
                }
                searchFrom = static_cast<std::size_t>(found - reply_.begin()) + kEndMarker.size();
                --markersExpected;
            }
            if (markersExpected <= 0) {
                collected = newLength;
                break;
            }
            status = spooler_.GetPrinterData(handle_, kReplyValueName, chunk.data(), kChunkSize,
                                             reported);
            collected = newLength;
        }
        ++cycles;
        if (cycles >= kPollCycles) {
            if (collected == 0) {
                result = kLinkNoReply;
            }
            break;
        }
    }
    if (result != 0) {
        // Given up: a command still held for a switched-off printer is withdrawn, so that the
        // printer never carries out what the user was told had failed.
        spooler_.CancelLastDocument(handle_);
    }
    return result;
}

int PrinterLink::CheckReply(const ReplyHeader& expected) const {
    constexpr std::array<unsigned char, 6> kFraming{0x1B, 0x7C, 0x31, 0x30, 0x40, 0x0A};
    if (reply_.size() < 28) {
        return kLinkReplyFraming;
    }
    if (!std::equal(kFraming.begin(), kFraming.end(), reply_.begin())) {
        return kLinkReplyFraming;
    }
    if (!std::equal(expected.begin(), expected.end(), reply_.begin() + 16)) {
        return kLinkReplyFraming;
    }
    return ReadU32BE(reply_.data() + 24) == 0 ? 0 : kLinkReplyStatus;
}

int PrinterLink::CheckInitializeRecordReply() const {
    return CheckReply(*ReplyHeaderFor(kBlockInitializeRecord));
}
int PrinterLink::CheckSetClockReply() const {
    return CheckReply(*ReplyHeaderFor(kBlockSetClock));
}
int PrinterLink::CheckCarriageSpeedReply() const {
    return CheckReply(*ReplyHeaderFor(kBlockCarriageSpeed));
}
int PrinterLink::CheckThermistorReply() const {
    return CheckReply(*ReplyHeaderFor(kBlockThermistor));
}
int PrinterLink::CheckSetAddressReply() const {
    return CheckReply(*ReplyHeaderFor(kBlockSetAddress));
}

}  // namespace qx7
