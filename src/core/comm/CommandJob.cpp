#include "core/comm/CommandJob.h"

#include <algorithm>
#include <cstring>

#include "core/base/ByteOrder.h"

namespace qx7 {
namespace {

constexpr std::array<unsigned char, 16> kInitializeRecordText{
    'I', 'n', 'i', 't', 'i', 'a', 'l', 'i', 'z', 'e', 'R', 'e', 'c', 'o', 'r', 'd'};

bool AllZero(std::span<const unsigned char> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](unsigned char b) { return b == 0; });
}

std::optional<ParsedCommand> Fail(JobError* error, JobError what) {
    if (error != nullptr) {
        *error = what;
    }
    return std::nullopt;
}

// The data bytes a block must leave zero (beyond its parameters) and fixed text it must carry.
bool BlockDataValid(std::uint16_t code, std::span<const unsigned char> data) {
    switch (code) {
        case kBlockInitializeRecord:
            return AllZero(data.subspan(1, 15)) &&
                   std::equal(kInitializeRecordText.begin(), kInitializeRecordText.end(),
                              data.begin() + 16);
        case kBlockSetClock:
            return AllZero(data.subspan(4));
        case kBlockCarriageSpeed:
            return AllZero(data);
        case kBlockThermistor:
            return AllZero(data.subspan(2));
        case kBlockSetAddress:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<ReplyHeader> ReplyHeaderFor(std::uint16_t commandCode) {
    std::uint8_t replyCode = 0;
    switch (commandCode) {
        case kBlockInitializeRecord:
            replyCode = 0x24;
            break;
        case kBlockSetClock:
            replyCode = 0x21;
            break;
        case kBlockCarriageSpeed:
            replyCode = 0x28;
            break;
        case kBlockThermistor:
            replyCode = 0x29;
            break;
        case kBlockSetAddress:
            replyCode = 0x2D;
            break;
        default:
            return std::nullopt;
    }
    return ReplyHeader{0x23, 0x23, 0x00, replyCode, 0x00, 0x00, 0x00, 0x10};
}

std::size_t CommandBlockLength(std::uint16_t commandCode) {
    switch (commandCode) {
        case kBlockInitializeRecord:
            return 40;
        case kBlockSetClock:
            return 16;
        case kBlockCarriageSpeed:
            return 24;
        case kBlockThermistor:
            return 24;
        case kBlockSetAddress:
            return 20;
        default:
            return 0;
    }
}

std::array<unsigned char, 16> StartPacket(std::uint32_t timeStamp) {
    std::array<unsigned char, 16> packet{0x1B, 0x7C, 0x31, 0x30, 0x40, 0x0A, 0x43, 0x00};
    WriteU32BE(packet.data() + 8, timeStamp);
    return packet;
}

std::array<unsigned char, 16> EndPacket(std::uint32_t timeStamp) {
    std::array<unsigned char, 16> packet{0x1B, 0x7C, 0x31, 0x30, 0x24, 0x00, 0x00, 0x00};
    WriteU32BE(packet.data() + 8, timeStamp);
    return packet;
}

std::optional<ParsedCommand> ParseCommandJob(std::span<const unsigned char> job, JobError* error) {
    if (error != nullptr) {
        *error = JobError::kNone;
    }
    constexpr std::size_t kHead = kJobPreambleSize + kPacketSize + kLeadBlock.size();
    if (job.size() < kHead + kBlockHeaderSize + kPacketSize) {
        return Fail(error, JobError::kTooShort);
    }
    if (!AllZero(job.first(kJobPreambleSize))) {
        return Fail(error, JobError::kPreamble);
    }
    const auto start = job.subspan(kJobPreambleSize, kPacketSize);
    const std::uint32_t stamp = ReadU32BE(start.data() + 8);
    const auto expectedStart = StartPacket(stamp);
    if (!std::equal(start.begin(), start.end(), expectedStart.begin())) {
        return Fail(error, JobError::kStartPacket);
    }
    const auto lead = job.subspan(kJobPreambleSize + kPacketSize, kLeadBlock.size());
    if (!std::equal(lead.begin(), lead.end(), kLeadBlock.begin())) {
        return Fail(error, JobError::kLeadBlockBytes);
    }
    const auto block = job.subspan(kHead);
    if (block[0] != 0x23 || block[1] != 0x23) {
        return Fail(error, JobError::kUnknownBlock);
    }
    const std::uint16_t code = ReadU16BE(block.data() + 2);
    const std::size_t length = CommandBlockLength(code);
    if (length == 0) {
        return Fail(error, JobError::kUnknownBlock);
    }
    if (ReadU32BE(block.data() + 4) != length - kBlockHeaderSize) {
        return Fail(error, JobError::kBlockLength);
    }
    if (block.size() < length + kPacketSize) {
        return Fail(error, JobError::kTooShort);
    }
    const auto data = block.subspan(kBlockHeaderSize, length - kBlockHeaderSize);
    if (!BlockDataValid(code, data)) {
        return Fail(error, JobError::kBlockData);
    }
    const auto end = block.subspan(length, kPacketSize);
    const auto expectedEnd = EndPacket(stamp);
    if (!std::equal(end.begin(), end.end(), expectedEnd.begin())) {
        return Fail(error, JobError::kEndPacket);
    }
    if (block.size() != length + kPacketSize) {
        return Fail(error, JobError::kTrailingBytes);
    }
    ParsedCommand parsed;
    parsed.code = code;
    parsed.timeStamp = stamp;
    parsed.data.assign(data.begin(), data.end());
    return parsed;
}

const char* JobErrorText(JobError error) {
    switch (error) {
        case JobError::kNone:
            return "valid";
        case JobError::kTooShort:
            return "job too short";
        case JobError::kPreamble:
            return "preamble not all zero";
        case JobError::kStartPacket:
            return "bad start packet";
        case JobError::kLeadBlockBytes:
            return "bad lead block";
        case JobError::kUnknownBlock:
            return "unknown command block";
        case JobError::kBlockLength:
            return "wrong block length";
        case JobError::kBlockData:
            return "bad block data";
        case JobError::kEndPacket:
            return "bad end packet";
        case JobError::kTrailingBytes:
            return "bytes behind the end packet";
    }
    return "unknown";
}

std::vector<std::vector<unsigned char>> ReplyChunks(std::span<const unsigned char> reply) {
    std::vector<std::vector<unsigned char>> chunks;
    for (std::size_t at = 0; at < reply.size(); at += kReplyChunkPayload) {
        const std::size_t n = std::min(kReplyChunkPayload, reply.size() - at);
        std::vector<unsigned char> chunk(kReplyChunkSize, 0);
        chunk[0] = 'Q';
        chunk[1] = 'R';
        WriteU16BE(chunk.data() + 2, static_cast<std::uint16_t>(n));
        std::copy_n(reply.begin() + static_cast<std::ptrdiff_t>(at), n, chunk.begin() + 4);
        chunks.push_back(std::move(chunk));
    }
    return chunks;
}

}  // namespace qx7
