// qx7-command-filter: the QX-7 queue's filter for command jobs. It passes the job to the backend
// unchanged, asks the backend to push it to the printer, waits for the printer's reply on the
// back channel and reports it as the job's status message, where the sender reads it.
//
//   qx7-command-filter job-id user title copies options [file]
//
// Only a WARNING line both sets the job's printer-state message and survives the job's end; a
// job without a reply reports nothing, so the sender tells "no reply" from its own deadline.

#include <cups/cups.h>
#include <cups/sidechannel.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "core/comm/CommandJob.h"
#include "platform/cups/ReplyReport.h"
#include "platform/cups/SchedulerSignals.h"
#include "platform/posix/WholeWrite.h"

namespace {

using Clock = std::chrono::steady_clock;

// From the end of the copy to the report, side-channel requests included: well inside the
// sender's collection window (six polls 500 ms apart), so that a reply is never reported after
// the sender gave up, and a silent printer frees the queue soon.
constexpr int kReplyDeadlineMs = 2500;
// Tests shorten the deadline with this variable; it never lengthens it.
constexpr char kDeadlineVariable[] = "QX7_FILTER_REPLY_DEADLINE_MS";
// A reply is a few dozen bytes; a printer that sends this much without an end is broken.
constexpr std::size_t kMaxReadBytes = 64 * 1024;

// One status line in one write, so that the scheduler never reads half of it.
void StatusLine(const std::string& line) {
    const std::string text = line + "\n";
    qx7::WriteWhole(STDERR_FILENO, text);
}

int DeadlineMs() {
    const char* value = std::getenv(kDeadlineVariable);
    if (value == nullptr) {
        return kReplyDeadlineMs;
    }
    int ms = 0;
    const std::string_view text(value);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), ms);
    if (error != std::errc() || end != text.data() + text.size() || ms <= 0) {
        return kReplyDeadlineMs;
    }
    return std::min(ms, kReplyDeadlineMs);
}

int MsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Copies the job to the backend; false after a read or write error, said on stderr.
bool CopyJob(int in) {
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const ssize_t n = read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            StatusLine(std::string("ERROR: qx7-command-filter: cannot read the job: ") +
                       std::strerror(errno));
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (!qx7::WriteWhole(STDOUT_FILENO, buffer.data(), static_cast<std::size_t>(n))) {
            StatusLine(std::string("ERROR: qx7-command-filter: cannot pass the job to the "
                                   "printer: ") +
                       std::strerror(errno));
            return false;
        }
    }
}

// The reply is whole once its end packet is: the end marker starts that packet, wherever in
// what was read it arrived.
bool ReplyComplete(const std::vector<unsigned char>& bytes) {
    const auto at =
        std::search(bytes.begin(), bytes.end(), qx7::kEndMarker.begin(), qx7::kEndMarker.end());
    return at != bytes.end() && static_cast<std::size_t>(bytes.end() - at) >= qx7::kPacketSize;
}

enum class Collected { kReply, kTooLong, kNone };

// Reads the back channel until the reply is whole, it ends, or the deadline passes. The
// library's own read time-out does not hold, so the filter waits on the descriptor itself.
Collected CollectReply(Clock::time_point deadline, std::vector<unsigned char>& reply,
                       std::string& why) {
    unsigned char buffer[4096];
    while (!ReplyComplete(reply)) {
        if (reply.size() >= kMaxReadBytes) {
            return Collected::kTooLong;
        }
        // Once the deadline has passed, what already came is still read, without waiting.
        const int left = MsLeft(deadline);
        pollfd watch{CUPS_BC_FD, POLLIN, 0};
        const int ready = poll(&watch, 1, left);
        if (ready < 0 && errno != EINTR) {
            why = std::string("cannot wait on the back channel: ") + std::strerror(errno);
            return Collected::kNone;
        }
        if (ready == 0 && left == 0) {
            why = "no whole reply within the deadline (" + std::to_string(reply.size()) +
                  " bytes came)";
            return Collected::kNone;
        }
        if (ready <= 0) {
            continue;
        }
        const std::size_t room = std::min(sizeof buffer, kMaxReadBytes - reply.size());
        const ssize_t n = read(CUPS_BC_FD, buffer, room);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            continue;
        }
        if (n < 0) {
            why = std::string("cannot read the back channel: ") + std::strerror(errno);
            return Collected::kNone;
        }
        if (n == 0) {
            why = "the back channel closed after " + std::to_string(reply.size()) + " bytes";
            return Collected::kNone;
        }
        reply.insert(reply.end(), buffer, buffer + n);
    }
    return Collected::kReply;
}

// A side-channel request within what is left of the deadline.
cups_sc_status_t Request(cups_sc_command_t command, char* data, int* length,
                         Clock::time_point deadline) {
    const int left = MsLeft(deadline);
    if (left == 0) {
        return CUPS_SC_STATUS_TIMEOUT;
    }
    return cupsSideChannelDoRequest(command, data, length, left / 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n",
                     argc > 0 ? argv[0] : "qx7-command-filter");
        return 1;
    }
    // A backend that went away answers a write with EPIPE, which ends the job as failed; the
    // scheduler's cancel ends the filter at once.
    qx7::UseSchedulerSignals();

    int jobId = 0;
    const std::string_view jobText(argv[1]);
    const auto [end, error] =
        std::from_chars(jobText.data(), jobText.data() + jobText.size(), jobId);
    if (error != std::errc() || end != jobText.data() + jobText.size() || jobId <= 0) {
        StatusLine("ERROR: qx7-command-filter: the job id is not a positive number");
        return 1;
    }
    int in = STDIN_FILENO;
    if (argc == 7) {
        in = open(argv[6], O_RDONLY | O_CLOEXEC);
        if (in < 0) {
            StatusLine(std::string("ERROR: qx7-command-filter: cannot open the job file: ") +
                       std::strerror(errno));
            return 1;
        }
    }
    if (!CopyJob(in)) {
        return 1;
    }
    if (in != STDIN_FILENO) {
        close(in);
    }
    // Standard output stays open: the backend goes on reading the printer until it ends.
    const auto deadline = Clock::now() + std::chrono::milliseconds(DeadlineMs());

    char bidi = 0;
    int length = 1;
    const cups_sc_status_t bidiStatus = Request(CUPS_SC_CMD_GET_BIDI, &bidi, &length, deadline);
    if (bidiStatus != CUPS_SC_STATUS_OK || length < 1 || bidi != CUPS_SC_BIDI_SUPPORTED) {
        StatusLine("DEBUG: qx7-command-filter: no back channel to the printer, no reply");
        return 0;
    }
    length = 0;
    const cups_sc_status_t drained = Request(CUPS_SC_CMD_DRAIN_OUTPUT, nullptr, &length, deadline);
    if (drained != CUPS_SC_STATUS_OK) {
        // A printer may answer all the same; the deadline still bounds the wait.
        StatusLine("DEBUG: qx7-command-filter: the backend did not drain the job (status " +
                   std::to_string(static_cast<int>(drained)) + ")");
    }

    std::vector<unsigned char> reply;
    std::string why;
    switch (CollectReply(deadline, reply, why)) {
        case Collected::kReply:
            // FormatReplyReport turns a reply too long for a status line into a no-reply line.
            StatusLine("WARNING: " + qx7::FormatReplyReport(jobId, reply));
            break;
        case Collected::kTooLong:
            StatusLine("WARNING: " +
                       qx7::FormatNoReplyReport(jobId, "the printer sent more than " +
                                                           std::to_string(kMaxReadBytes) +
                                                           " bytes without an end of reply"));
            break;
        case Collected::kNone:
            StatusLine("DEBUG: qx7-command-filter: no reply: " + why);
            break;
    }
    return 0;
}
