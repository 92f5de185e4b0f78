// Arbitrary sequences of reply reads through CollectReply and every CheckReply variant; the
// same bytes also go through the command-job reader the simulator uses.
//
// Input: a series of reads, each = 1 byte flags (bit 0: error status, bit 1: report a full
// chunk, bit 2: report an oversized value), 2 bytes big-endian size for short reports, then
// bytes that fill the chunk buffer (up to 516).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "core/comm/CommandJob.h"
#include "core/comm/PrinterLink.h"

namespace {

using namespace qx7;

struct Read {
    std::uint32_t status;
    std::uint32_t reported;
    std::vector<unsigned char> bytes;
};

class ScriptSpooler final : public ISpooler {
  public:
    std::deque<Read> reads;

    bool EnumPrinters(std::vector<PrinterRecord>&) override { return false; }
    bool OpenPrinter(const std::string&, std::uint32_t, PrinterHandle& handle) override {
        handle = 1;
        return true;
    }
    void ClosePrinter(PrinterHandle) override {}
    bool StartDocPrinter(PrinterHandle, const std::string&, const std::string&) override {
        return true;
    }
    bool StartPagePrinter(PrinterHandle) override { return true; }
    bool WritePrinter(PrinterHandle, const unsigned char*, std::uint32_t size,
                      std::uint32_t& written) override {
        written = size;
        return true;
    }
    bool EndPagePrinter(PrinterHandle) override { return true; }
    bool EndDocPrinter(PrinterHandle) override { return true; }
    std::uint32_t GetPrinterData(PrinterHandle, const std::string& name, unsigned char* buffer,
                                 std::uint32_t bufferSize, std::uint32_t& reported) override {
        if (name == kReadyValueName) {
            std::fill_n(buffer, bufferSize, 0);
            reported = 4;
            return kSpoolSuccess;
        }
        if (reads.empty()) {
            reported = 0;
            return kSpoolSuccess;
        }
        const Read read = std::move(reads.front());
        reads.pop_front();
        std::copy_n(read.bytes.begin(), std::min<std::size_t>(read.bytes.size(), bufferSize),
                    buffer);
        reported = read.reported;
        return read.status;
    }
};

class NoSleep final : public ISleeper {
  public:
    void SleepMilliseconds(int) override {}
};

class FixedClock final : public ILocalTime {
  public:
    std::int64_t Now() const override { return 1700000000; }
    std::int64_t StandardOffsetWestSeconds() const override { return 0; }
    TimeZoneFacts ZoneFacts() const override { return {}; }
    std::optional<std::int64_t> FromLocal(const CivilTime&) const override { return 0; }
    std::optional<CivilTime> ToLocal(std::int64_t) const override { return std::nullopt; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ParseCommandJob(std::span<const unsigned char>(data, size));

    ScriptSpooler spooler;
    std::size_t at = 0;
    while (at + 3 <= size) {
        const std::uint8_t flags = data[at];
        const std::uint32_t shortSize =
            static_cast<std::uint32_t>(data[at + 1] << 8 | data[at + 2]);
        at += 3;
        const std::size_t n = std::min<std::size_t>(516, size - at);
        Read read{(flags & 1) != 0 ? kSpoolMoreData : kSpoolSuccess, shortSize % 516,
                  std::vector<unsigned char>(data + at, data + at + n)};
        if ((flags & 2) != 0) {
            read.reported = 516;
        }
        if ((flags & 4) != 0) {
            read.reported = 516 + shortSize;
        }
        at += n;
        spooler.reads.push_back(std::move(read));
    }
    NoSleep sleeper;
    FixedClock clock;
    PrinterLink link(spooler, sleeper, clock);
    if (link.Connect("fuzz") != 0) {
        __builtin_trap();
    }
    const int markers = size > 0 ? 1 + (data[0] >> 7) : 1;
    const int collected = link.CollectReply(markers);
    if (collected != 0 && collected != kLinkReadFailed && collected != kLinkNoReply) {
        __builtin_trap();
    }
    if (link.Reply().size() > static_cast<std::size_t>(kMaxChunksPerCycle) * 512) {
        __builtin_trap();
    }
    for (const int result : {link.CheckInitializeRecordReply(), link.CheckSetClockReply(),
                             link.CheckCarriageSpeedReply(), link.CheckThermistorReply(),
                             link.CheckSetAddressReply()}) {
        if (result != 0 && result != kLinkReplyFraming && result != kLinkReplyStatus) {
            __builtin_trap();
        }
    }
    return 0;
}
