#pragma once
// The bytes of a command job and of the printer's reply: constants shared by the link that
// builds jobs and by anything that has to read them back (the printer simulator, tests).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qx7 {

inline constexpr std::size_t kJobPreambleSize = 2432;
inline constexpr std::size_t kPacketSize = 16;
inline constexpr std::size_t kBlockHeaderSize = 8;

inline constexpr std::array<unsigned char, 4> kPacketIntro{0x1B, 0x7C, 0x31, 0x30};
inline constexpr std::array<unsigned char, 5> kEndMarker{0x1B, 0x7C, 0x31, 0x30, 0x24};
inline constexpr std::array<unsigned char, 16> kLeadBlock{
    0x23, 0x23, 0x00, 0x16, 0x00, 0x00, 0x00, 0x08, 0, 0, 0, 0, 0, 0, 0, 0};

// Command block codes.
inline constexpr std::uint16_t kBlockInitializeRecord = 0x0042;
inline constexpr std::uint16_t kBlockSetClock = 0x001D;
inline constexpr std::uint16_t kBlockCarriageSpeed = 0x0035;
inline constexpr std::uint16_t kBlockThermistor = 0x0036;
inline constexpr std::uint16_t kBlockSetAddress = 0x0041;

// Record kinds of block 0x0042.
inline constexpr int kRecordStatistics = 2;
inline constexpr int kRecordTubeWarning = 3;
inline constexpr int kRecordPump = 4;
inline constexpr int kRecordCarriageMotor = 5;
inline constexpr int kRecordBattery = 6;

using ReplyHeader = std::array<unsigned char, 8>;

// The reply header that answers a command block; nullopt for an unknown block code.
std::optional<ReplyHeader> ReplyHeaderFor(std::uint16_t commandCode);

// Block length (header included) of a known command block; 0 for an unknown code.
std::size_t CommandBlockLength(std::uint16_t commandCode);

std::array<unsigned char, 16> StartPacket(std::uint32_t timeStamp);
std::array<unsigned char, 16> EndPacket(std::uint32_t timeStamp);

// A command job read back: which block it carries and its parameters.
struct ParsedCommand {
    std::uint16_t code = 0;
    std::uint32_t timeStamp = 0;
    std::vector<unsigned char> data;  // the block's data bytes
};

enum class JobError {
    kNone,
    kTooShort,
    kPreamble,
    kStartPacket,
    kLeadBlockBytes,
    kUnknownBlock,
    kBlockLength,
    kBlockData,
    kEndPacket,
    kTrailingBytes,
};

// Checks a whole job: zero preamble, start packet, lead block, one known command block with its
// fixed bytes, end packet with the start packet's time stamp and nothing behind it.
std::optional<ParsedCommand> ParseCommandJob(std::span<const unsigned char> job,
                                             JobError* error = nullptr);

const char* JobErrorText(JobError error);

// A reply as the driver hands it out through "QvMatRawReadTest": chunks of kReplyChunkSize
// bytes, each "QR", the payload's length (big-endian) and up to kReplyChunkPayload bytes of the
// reply, zero-filled.
inline constexpr std::size_t kReplyChunkSize = 516;
inline constexpr std::size_t kReplyChunkPayload = 512;
std::vector<std::vector<unsigned char>> ReplyChunks(std::span<const unsigned char> reply);

}  // namespace qx7
