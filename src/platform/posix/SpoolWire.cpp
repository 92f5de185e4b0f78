#include "platform/posix/SpoolWire.h"

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include "core/base/ByteOrder.h"

namespace qx7::spoolwire {

void SetTimeouts(int fd, int milliseconds) {
    timeval tv{};
    tv.tv_sec = milliseconds / 1000;
    tv.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

std::size_t MaxSocketPath() {
    return sizeof(sockaddr_un::sun_path) - 1;
}

int Connect(const std::string& path, int timeoutMs) {
    if (path.empty() || path.size() > MaxSocketPath()) {
        return -1;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    SetTimeouts(fd, timeoutMs);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    // A local connect either succeeds or fails at once; a full backlog waits at most the
    // send timeout.
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

namespace {

bool SendAll(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = send(fd, data, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool ReceiveAll(int fd, unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t got = recv(fd, data, size, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        data += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace

bool SendFrame(int fd, unsigned char type, const std::vector<unsigned char>& payload) {
    if (payload.size() > kMaxFramePayload) {
        return false;
    }
    unsigned char header[kFrameHeaderSize];
    header[0] = type;
    WriteU32BE(header + 1, static_cast<std::uint32_t>(payload.size()));
    return SendAll(fd, header, sizeof header) &&
           (payload.empty() || SendAll(fd, payload.data(), payload.size()));
}

std::optional<Frame> ReceiveFrame(int fd, std::uint32_t maxPayload) {
    unsigned char header[kFrameHeaderSize];
    if (!ReceiveAll(fd, header, sizeof header)) {
        return std::nullopt;
    }
    const std::uint32_t length = ReadU32BE(header + 1);
    if (length > maxPayload || length > kMaxFramePayload) {
        return std::nullopt;
    }
    Frame frame;
    frame.type = header[0];
    frame.payload.resize(length);
    if (length > 0 && !ReceiveAll(fd, frame.payload.data(), length)) {
        return std::nullopt;
    }
    return frame;
}

}  // namespace qx7::spoolwire
