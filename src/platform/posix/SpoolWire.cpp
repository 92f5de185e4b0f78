#include "platform/posix/SpoolWire.h"

#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include "core/base/ByteOrder.h"

namespace qx7::spoolwire {

Deadline DeadlineIn(int milliseconds) {
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

int RemainingMs(Deadline deadline) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) {
        return 0;
    }
    // Rounded up, so that a wait never ends just short of the deadline and spins.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return ms > 3600000 ? 3600000 : static_cast<int>(ms);
}

std::size_t MaxSocketPath() {
    return sizeof(sockaddr_un::sun_path) - 1;
}

int Connect(const std::string& path, Deadline deadline) {
    if (path.empty() || path.size() > MaxSocketPath()) {
        return -1;
    }
    const int remaining = RemainingMs(deadline);
    if (remaining == 0) {
        return -1;  // a zero timeout below would mean "wait for ever"
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    // A local connect succeeds or fails at once, except on a full backlog, where it waits up to
    // the send timeout.
    timeval tv{};
    tv.tv_sec = remaining / 1000;
    tv.tv_usec = static_cast<suseconds_t>((remaining % 1000) * 1000);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int Connect(const std::string& path, int timeoutMs) {
    return Connect(path, DeadlineIn(timeoutMs));
}

namespace {

// Waits until fd is ready for events or the deadline passes; false on the deadline or an error.
bool WaitFor(int fd, short events, Deadline deadline) {
    for (;;) {
        const int remaining = RemainingMs(deadline);
        if (remaining == 0) {
            return false;
        }
        pollfd watch{fd, events, 0};
        const int ready = poll(&watch, 1, remaining);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        // Hang-up or error: the next call says which and whether any bytes are left to read.
        return true;
    }
}

bool SendAll(int fd, const unsigned char* data, std::size_t size, Deadline deadline) {
    while (size > 0) {
        if (!WaitFor(fd, POLLOUT, deadline)) {
            return false;
        }
        const ssize_t sent = send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
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

bool ReceiveAll(int fd, unsigned char* data, std::size_t size, Deadline deadline) {
    while (size > 0) {
        if (!WaitFor(fd, POLLIN, deadline)) {
            return false;
        }
        const ssize_t got = recv(fd, data, size, MSG_DONTWAIT);
        if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
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

bool SendFrame(int fd, unsigned char type, const std::vector<unsigned char>& payload,
               Deadline deadline) {
    if (payload.size() > kMaxFramePayload) {
        return false;
    }
    unsigned char header[kFrameHeaderSize];
    header[0] = type;
    WriteU32BE(header + 1, static_cast<std::uint32_t>(payload.size()));
    return SendAll(fd, header, sizeof header, deadline) &&
           (payload.empty() || SendAll(fd, payload.data(), payload.size(), deadline));
}

bool SendFrame(int fd, unsigned char type, const std::vector<unsigned char>& payload) {
    return SendFrame(fd, type, payload, DeadlineIn(kDefaultTimeoutMs));
}

std::optional<Frame> ReceiveFrame(int fd, std::uint32_t maxPayload, Deadline deadline) {
    unsigned char header[kFrameHeaderSize];
    if (!ReceiveAll(fd, header, sizeof header, deadline)) {
        return std::nullopt;
    }
    const std::uint32_t length = ReadU32BE(header + 1);
    if (length > maxPayload || length > kMaxFramePayload) {
        return std::nullopt;
    }
    Frame frame;
    frame.type = header[0];
    frame.payload.resize(length);
    if (length > 0 && !ReceiveAll(fd, frame.payload.data(), length, deadline)) {
        return std::nullopt;
    }
    return frame;
}

std::optional<Frame> ReceiveFrame(int fd, std::uint32_t maxPayload) {
    return ReceiveFrame(fd, maxPayload, DeadlineIn(kDefaultTimeoutMs));
}

}  // namespace qx7::spoolwire
