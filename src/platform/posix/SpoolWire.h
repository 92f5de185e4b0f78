#pragma once
// The small protocol between the tool and a printer's port monitor on Linux: frames over a local
// stream socket, each frame bounded by a deadline on the monotonic clock. docs/spooler-stand-in.md
// describes it for anyone writing a monitor of their own.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qx7::spoolwire {

// Frame types. Requests come from the tool, answers from the monitor.
inline constexpr unsigned char kReadValue = 'V';  // u32 buffer size, value name
inline constexpr unsigned char kValue = 'v';      // u32 status, u32 reported size, data
inline constexpr unsigned char kStartDoc = 'D';   // document name, NUL, data type
inline constexpr unsigned char kWrite = 'W';      // raw bytes
inline constexpr unsigned char kEndDoc = 'E';     // empty
inline constexpr unsigned char kAnswer = 'a';     // u32 status

inline constexpr std::size_t kFrameHeaderSize = 5;
inline constexpr std::uint32_t kMaxFramePayload = 1U << 20;
inline constexpr std::size_t kMaxValueName = 255;
inline constexpr int kDefaultTimeoutMs = 2000;

// A point on the monotonic clock by which a whole step must be done, however many send and
// receive calls it takes: a peer that drips bytes cannot stretch it.
using Deadline = std::chrono::steady_clock::time_point;
Deadline DeadlineIn(int milliseconds);
// Milliseconds left until the deadline, rounded up; 0 once it has passed.
int RemainingMs(Deadline deadline);

struct Frame {
    unsigned char type = 0;
    std::vector<unsigned char> payload;
};

// Connects to the socket at path; -1 when it does not answer by the deadline (or the path is
// too long).
int Connect(const std::string& path, Deadline deadline);
int Connect(const std::string& path, int timeoutMs = kDefaultTimeoutMs);

// Sends one frame whole by the deadline (never raising SIGPIPE); false on any failure.
bool SendFrame(int fd, unsigned char type, const std::vector<unsigned char>& payload,
               Deadline deadline);
bool SendFrame(int fd, unsigned char type, const std::vector<unsigned char>& payload);

// Receives one whole frame by the deadline; nullopt on end of stream, an expired deadline, an
// error or a payload above maxPayload. Without a deadline: within kDefaultTimeoutMs from now.
std::optional<Frame> ReceiveFrame(int fd, std::uint32_t maxPayload, Deadline deadline);
std::optional<Frame> ReceiveFrame(int fd, std::uint32_t maxPayload = kMaxFramePayload);

// The longest socket path a sockaddr_un takes (without its terminator).
std::size_t MaxSocketPath();

}  // namespace qx7::spoolwire
