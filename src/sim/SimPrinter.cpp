#include "sim/SimPrinter.h"

#include <algorithm>

#include "core/base/ByteOrder.h"
#include "core/comm/CommandJob.h"
#include "core/comm/ISpooler.h"

namespace qx7::sim {
namespace {

constexpr std::uint32_t kChunk = kReplyChunkSize;

}  // namespace

std::uint32_t SimPrinter::PrinterClock() const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::steady_clock::now() - clockSetAt_);
    return clockBase_ + static_cast<std::uint32_t>(elapsed.count());
}

void SimPrinter::SetClock(std::uint32_t value) {
    clockBase_ = value;
    clockSetAt_ = std::chrono::steady_clock::now();
}

std::vector<unsigned char> SimPrinter::Reply(std::uint8_t replyCode, std::uint32_t status) const {
    std::vector<unsigned char> reply;
    const std::uint32_t now = PrinterClock();
    const auto start = StartPacket(now);
    reply.insert(reply.end(), start.begin(), start.end());
    reply[6] = 'R';  // the printer's own packet
    const unsigned char header[8] = {0x23, 0x23, 0x00, replyCode, 0x00, 0x00, 0x00, 0x10};
    reply.insert(reply.end(), header, header + 8);
    unsigned char data[16] = {};
    WriteU32BE(data, status);
    WriteU32BE(data + 4, now);
    reply.insert(reply.end(), data, data + 16);
    const auto end = EndPacket(now);
    reply.insert(reply.end(), end.begin(), end.end());
    return reply;
}

void SimPrinter::Queue(const std::vector<unsigned char>& reply) {
    for (auto& chunk : ReplyChunks(reply)) {
        chunks_.push_back(std::move(chunk));
    }
}

std::string SimPrinter::TakeJob(const std::vector<unsigned char>& job) {
    chunks_.clear();  // a reply nobody fetched is stale once the next job arrives
    JobError error = JobError::kNone;
    const auto command = ParseCommandJob(job, &error);
    if (!command) {
        return std::string("rejected job: ") + JobErrorText(error);
    }
    const std::vector<unsigned char>& data = command->data;
    std::uint32_t status = 0;
    std::string line;
    switch (command->code) {
        case kBlockInitializeRecord: {
            const int kind = data[0];
            line = "record " + std::to_string(kind);
            if (kind == kRecordStatistics) {
                ++statisticsResets;
            } else if (kind == kRecordTubeWarning) {
                tubeCleanWarning = false;
            } else if (kind >= kRecordPump && kind <= kRecordBattery) {
                exchangeRecords[kind] = PrinterClock();
            } else {
                status = 1;  // a record this printer does not keep
            }
            break;
        }
        case kBlockSetClock:
            clockBase_ = ReadU32BE(data.data());
            clockSetAt_ = std::chrono::steady_clock::now();
            line = "clock " + std::to_string(clockBase_);
            break;
        case kBlockCarriageSpeed:
            carriageSpeedAdjustmentRunning = true;
            line = "carriage-speed";
            break;
        case kBlockThermistor: {
            const int value = ReadU16BE(data.data());
            line = "thermistor " + std::to_string(value);
            if (value < 50 || value > 95) {
                status = 1;  // far from anything a room can be
            } else {
                thermistorFahrenheit = value;
            }
            break;
        }
        case kBlockSetAddress:
            for (int i = 0; i < 3; ++i) {
                ipAddress[i] = ReadU32BE(data.data() + 4 * i);
            }
            line = "address " + std::to_string(ipAddress[0]) + " " + std::to_string(ipAddress[1]) +
                   " " + std::to_string(ipAddress[2]);
            break;
        default:
            return "rejected job: unknown command block";
    }
    journal_(line);
    const Fault fault = ActiveFault();
    ++commandsTaken_;
    auto header = *ReplyHeaderFor(command->code);
    switch (fault) {
        case Fault::kSilent:
            return line + " (silent: no reply)";
        case Fault::kRefuse:
            status = 1;
            break;
        case Fault::kGarble:
            header[3] = static_cast<unsigned char>(header[3] ^ 0x40);
            break;
        default:
            break;
    }
    Queue(Reply(header[3], status));
    return line + (status == 0 ? " (accepted)" : " (refused)");
}

ValueAnswer SimPrinter::ReadValue(const std::string& name, std::uint32_t bufferSize) {
    ValueAnswer answer;
    if (name == "QvMatCheck") {
        answer.reportedSize = 4;
        answer.data = {static_cast<unsigned char>(ActiveFault() == Fault::kOffline ? 1 : 0), 0, 0,
                       0};
    } else if (name == "QvMatRawReadTest") {
        if (chunks_.empty()) {
            return answer;  // nothing pending: success, size 0
        }
        answer.reportedSize = kChunk;
        if (bufferSize < kChunk) {
            answer.status = kSpoolMoreData;  // kept for a caller with a big enough buffer
            return answer;
        }
        answer.data = std::move(chunks_.front());
        chunks_.pop_front();
        return answer;
    } else {
        answer.status = kSpoolNotFound;
        return answer;
    }
    if (bufferSize < answer.reportedSize) {
        answer.status = kSpoolMoreData;
        answer.data.clear();
    }
    return answer;
}

}  // namespace qx7::sim
