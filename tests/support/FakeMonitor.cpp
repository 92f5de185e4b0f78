#include "support/FakeMonitor.h"

#include <chrono>
#include <cstring>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "core/base/ByteOrder.h"
#include "platform/posix/SpoolWire.h"

namespace qx7::test {
namespace {

std::string FrameBytes(unsigned char type, const std::vector<unsigned char>& payload) {
    std::string bytes(5, '\0');
    bytes[0] = static_cast<char>(type);
    WriteU32BE(reinterpret_cast<unsigned char*>(bytes.data()) + 1,
               static_cast<std::uint32_t>(payload.size()));
    bytes.append(payload.begin(), payload.end());
    return bytes;
}

std::string AnswerFrame(std::uint32_t status) {
    std::vector<unsigned char> payload(4);
    WriteU32BE(payload.data(), status);
    return FrameBytes(spoolwire::kAnswer, payload);
}

std::string ValueFrame(std::uint32_t reported, const std::vector<unsigned char>& data) {
    std::vector<unsigned char> payload(8);
    WriteU32BE(payload.data() + 4, reported);
    payload.insert(payload.end(), data.begin(), data.end());
    return FrameBytes(spoolwire::kValue, payload);
}

// A whole chunk carrying a reply that ends with the end marker: what a working printer sends.
std::vector<unsigned char> ReplyChunk() {
    std::vector<unsigned char> chunk(516, 0);
    const unsigned char marker[5] = {0x1B, 0x7C, 0x31, 0x30, 0x24};
    std::memcpy(chunk.data() + 4 + 40, marker, sizeof marker);
    return chunk;
}

bool SendBytes(int fd, const std::string& bytes) {
    return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

}  // namespace

FakeMonitor::FakeMonitor(const std::string& socketPath, Step step, Manner manner,
                         int dripIntervalMs)
    : path_(socketPath), step_(step), manner_(manner), dripIntervalMs_(dripIntervalMs) {
    sockaddr_un address{};
    if (path_.size() >= sizeof address.sun_path) {
        return;
    }
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path_.data(), path_.size());
    if (listener_ < 0 ||
        bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 16) != 0) {
        if (listener_ >= 0) {
            close(listener_);
        }
        listener_ = -1;
        return;
    }
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

FakeMonitor::~FakeMonitor() {
    Release();
    if (acceptor_.joinable()) {
        acceptor_.join();
    }
    for (std::thread& thread : threads_) {
        thread.join();
    }
    for (const int fd : connections_) {
        close(fd);
    }
    if (listener_ >= 0) {
        close(listener_);
        unlink(path_.c_str());
    }
}

void FakeMonitor::Release() {
    const std::lock_guard lock(mutex_);
    releasedFlag_ = true;
    for (const int fd : connections_) {
        shutdown(fd, SHUT_RDWR);
    }
    released_.notify_all();
}

bool FakeMonitor::WaitReleased(int milliseconds) {
    std::unique_lock lock(mutex_);
    return released_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                              [this] { return releasedFlag_; });
}

void FakeMonitor::AcceptLoop() {
    for (;;) {
        pollfd watch{listener_, POLLIN, 0};
        if (poll(&watch, 1, 50) > 0) {
            const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                const std::lock_guard lock(mutex_);
                connections_.push_back(fd);
                threads_.emplace_back([this, fd] { Serve(fd); });
            }
        }
        const std::lock_guard lock(mutex_);
        if (releasedFlag_) {
            return;
        }
    }
}

void FakeMonitor::Stall(int fd, const std::string& frame) {
    if (manner_ == Manner::kSilent) {
        // Until the client hangs up (its socket reads as closed) or the test lets go.
        for (;;) {
            pollfd watch{fd, POLLIN, 0};
            if (poll(&watch, 1, 50) != 0 || WaitReleased(0)) {
                return;
            }
        }
    }
    for (const char byte : frame) {
        if (WaitReleased(dripIntervalMs_) || !SendBytes(fd, std::string(1, byte))) {
            return;
        }
    }
}

void FakeMonitor::Serve(int fd) {
    // The requests themselves come at once; a generous deadline only guards the test.
    while (const auto request = spoolwire::ReceiveFrame(fd, spoolwire::kMaxFramePayload,
                                                        spoolwire::DeadlineIn(30000))) {
        Step step = Step::kNone;
        std::string answer;
        const std::string name =
            request->payload.size() > 4
                ? std::string(request->payload.begin() + 4, request->payload.end())
                : std::string();
        switch (request->type) {
            case spoolwire::kReadValue:
                if (name == "QvMatCheck") {
                    ++readyChecks;
                    step = Step::kReadyCheck;
                    answer = ValueFrame(4, {0, 0, 0, 0});
                } else {
                    ++replyReads;
                    step = Step::kReplyRead;
                    answer = ValueFrame(516, ReplyChunk());
                }
                break;
            case spoolwire::kStartDoc:
                ++documents;
                step = Step::kStartDoc;
                answer = AnswerFrame(0);
                break;
            case spoolwire::kWrite:
                ++writes;
                step = Step::kWrite;
                answer = AnswerFrame(0);
                break;
            default:
                answer = AnswerFrame(0);
                break;
        }
        if (step == step_) {
            Stall(fd, answer);
            return;
        }
        if (!SendBytes(fd, answer)) {
            return;
        }
    }
}

}  // namespace qx7::test
