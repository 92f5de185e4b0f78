// The QX-7 queue's filter against backends a test plays: the job passes unchanged, the reply is
// reported once it is whole and only then, and a printer that says nothing costs no more than
// the filter's deadline.

#include <cups/cups.h>
#include <cups/sidechannel.h>
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/comm/CommandJob.h"
#include "platform/cups/ReplyReport.h"
#include "support/CupsChain.h"
#include "support/FakeSpooler.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using test::ChainIo;
using test::ChainResult;
using test::ChainSide;
using test::CupsArgs;

const std::string kFilter = QX7_COMMAND_FILTER_PATH;
constexpr int kJobId = 42;
constexpr double kDeadlineSeconds = 2.5;

// How a played backend behaves.
struct Script {
    bool bidi = true;                 // answers GET_BIDI "supported"
    bool drains = true;               // answers DRAIN_OUTPUT (after writing the reply)
    std::vector<std::string> pieces;  // the reply, written piece by piece on the back channel
    int pauseMs = 30;                 // between two pieces
    bool drainAnsweredFirst = false;  // the drain is answered before the reply is written
    std::string readyFile;            // touched once the job is in
    std::string lastPieceFile;        // touched once the last piece is written
};

void Touch(const std::string& path) {
    if (!path.empty()) {
        test::WriteFile(path, "x");
    }
}

// Writes all of it on a descriptor the scheduler made non-blocking.
void WriteAllOn(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        }
        pollfd watch{fd, POLLOUT, 0};
        poll(&watch, 1, 1000);
    }
}

// A backend run by the script: reads the job, serves the side channel, writes the reply on
// the drain, and stays until the filter closes its output, as the usb backend does.
int PlayBackend(ChainIo& io, const Script& script) {
    bool inputOpen = true;
    bool sideOpen = true;
    while (inputOpen) {
        pollfd watch[2] = {{STDIN_FILENO, POLLIN, 0}, {sideOpen ? CUPS_SC_FD : -1, POLLIN, 0}};
        if (poll(watch, 2, -1) < 0) {
            continue;
        }
        if ((watch[0].revents & (POLLIN | POLLHUP)) != 0) {
            char buffer[65536];
            inputOpen = io.Read(buffer, sizeof buffer) > 0;
        }
        if ((watch[1].revents & (POLLHUP | POLLERR)) != 0 && (watch[1].revents & POLLIN) == 0) {
            sideOpen = false;
        }
        if ((watch[1].revents & POLLIN) == 0) {
            continue;
        }
        cups_sc_command_t command = CUPS_SC_CMD_NONE;
        cups_sc_status_t status = CUPS_SC_STATUS_NONE;
        char data[1024];
        int length = sizeof data;
        if (cupsSideChannelRead(&command, &status, data, &length, 1.0) != 0) {
            sideOpen = false;
            continue;
        }
        if (command == CUPS_SC_CMD_GET_BIDI) {
            data[0] = static_cast<char>(script.bidi ? CUPS_SC_BIDI_SUPPORTED
                                                    : CUPS_SC_BIDI_NOT_SUPPORTED);
            cupsSideChannelWrite(command, CUPS_SC_STATUS_OK, data, 1, 1.0);
        } else if (command == CUPS_SC_CMD_DRAIN_OUTPUT) {
            io.ReadAvailable();
            Touch(script.readyFile);
            if (!script.drains) {
                continue;  // never answered: the filter's deadline ends its wait
            }
            if (script.drainAnsweredFirst) {
                cupsSideChannelWrite(command, CUPS_SC_STATUS_OK, nullptr, 0, 1.0);
            }
            for (std::size_t i = 0; i < script.pieces.size(); ++i) {
                if (i > 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(script.pauseMs));
                }
                WriteAllOn(CUPS_BC_FD, script.pieces[i]);
            }
            if (!script.lastPieceFile.empty()) {
                // The monotonic clock is the machine's: the test compares it with its own.
                test::WriteFile(
                    script.lastPieceFile,
                    std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
            }
            if (!script.drainAnsweredFirst) {
                cupsSideChannelWrite(command, CUPS_SC_STATUS_OK, nullptr, 0, 1.0);
            }
        } else {
            cupsSideChannelWrite(command, CUPS_SC_STATUS_NOT_IMPLEMENTED, nullptr, 0, 1.0);
        }
    }
    return 0;
}

ChainSide Filter(const std::vector<std::string>& args = CupsArgs(kJobId),
                 const test::EnvList& env = {}) {
    return ChainSide::Program(kFilter, args, env);
}

ChainSide Backend(const Script& script) {
    return ChainSide::Function([script](ChainIo& io) { return PlayBackend(io, script); });
}

std::string Text(const std::vector<unsigned char>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// The filter's WARNING lines, each without its prefix.
std::vector<std::string> Warnings(const std::string& err) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < err.size()) {
        std::size_t end = err.find('\n', at);
        if (end == std::string::npos) {
            end = err.size();
        }
        const std::string line = err.substr(at, end - at);
        if (line.rfind("WARNING: ", 0) == 0) {
            lines.push_back(line.substr(9));
        }
        at = end + 1;
    }
    return lines;
}

std::string AllByteValues() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) {
        bytes += static_cast<char>(i);
    }
    return bytes;
}

// A command job's length, with every byte value in it.
std::string JobOf2520Bytes() {
    std::string job;
    while (job.size() < 2520) {
        job += static_cast<char>((job.size() * 7 + 3) % 256);
    }
    return job;
}

const std::vector<unsigned char> kReply = test::FakeSpooler::MakeReply(0x43, 0);

TEST(CupsCommandFilterTest, WrongArgumentCountShowsUsage) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>{"1", "u", "t", "1"},
          std::vector<std::string>{"1", "u", "t", "1", "", "f", "extra"}}) {
        const test::ProgramResult result = test::RunProgram(kFilter, args);
        EXPECT_EQ(result.exitCode, 1) << args.size();
        EXPECT_NE(result.err.find("Usage: "), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("job-id user title copies options [file]"), std::string::npos);
        EXPECT_TRUE(result.out.empty());
    }
}

TEST(CupsCommandFilterTest, JobReachesTheBackendUnchangedAndTheReplyIsReported) {
    Script script;
    script.pieces = {Text(kReply)};
    const std::string expected = FormatReplyReport(kJobId, kReply);
    for (const std::string& job : {AllByteValues(), JobOf2520Bytes()}) {
        const ChainResult result = test::RunChain(Filter(), Backend(script), job);
        EXPECT_EQ(result.received, job) << job.size();
        EXPECT_EQ(result.filter.exitCode, 0) << result.filter.err;
        EXPECT_EQ(Warnings(result.filter.err), std::vector<std::string>{expected})
            << result.filter.err;
        EXPECT_EQ(result.backend.exitCode, 0);
    }
    // The job from a file argument, with nothing on standard input.
    test::TempDir dir;
    const std::string file = dir.File("job.bin");
    test::WriteFile(file, JobOf2520Bytes());
    const ChainResult result = test::RunChain(Filter(CupsArgs(kJobId, file)), Backend(script), "");
    EXPECT_EQ(result.received, JobOf2520Bytes());
    EXPECT_EQ(Warnings(result.filter.err), std::vector<std::string>{expected});
    // A file that is not there fails the job.
    const ChainResult missing =
        test::RunChain(Filter(CupsArgs(kJobId, dir.File("none"))), Backend(script), "");
    EXPECT_EQ(missing.filter.exitCode, 1);
    EXPECT_NE(missing.filter.err.find("ERROR: "), std::string::npos);
    EXPECT_TRUE(Warnings(missing.filter.err).empty());
}

// The end marker opens the last packet; in pieces, split inside the marker itself, the reply
// is reported as soon as its last byte arrives, not at the deadline.
TEST(CupsCommandFilterTest, ReplyInPiecesIsReportedOnceItsEndPacketIsWhole) {
    test::TempDir dir;
    const std::string reply = Text(kReply);
    const std::size_t end = reply.size() - kPacketSize;  // where the marker starts
    Script script;
    script.pieces = {reply.substr(0, end + 2), reply.substr(end + 2, 6), reply.substr(end + 8)};
    script.lastPieceFile = dir.File("last");
    test::CupsChain chain(Filter(), Backend(script));
    std::string error;
    ASSERT_TRUE(chain.Start(JobOf2520Bytes(), error)) << error;
    ASSERT_TRUE(chain.WaitForFilter(60000));
    const auto filterEnded = std::chrono::steady_clock::now();
    const ChainResult result = chain.Wait();
    EXPECT_EQ(result.filter.exitCode, 0);
    EXPECT_EQ(Warnings(result.filter.err),
              std::vector<std::string>{FormatReplyReport(kJobId, kReply)});
    // Waiting for the deadline would end the filter 2.5 s after the copy, about 2.4 s after
    // the last piece; reading the reply takes milliseconds. The margin covers a slow machine.
    const std::string lastPiece = test::ReadFile(script.lastPieceFile);
    ASSERT_FALSE(lastPiece.empty());
    const std::chrono::steady_clock::time_point lastPieceAt(
        std::chrono::steady_clock::duration(std::stoll(lastPiece)));
    EXPECT_LT(std::chrono::duration<double>(filterEnded - lastPieceAt).count(), 1.5);
}

TEST(CupsCommandFilterTest, NothingIsReportedBeforeTheEndPacketIsWhole) {
    const std::string reply = Text(kReply);
    Script script;
    // The marker came, the rest of its packet never does.
    script.pieces = {reply.substr(0, reply.size() - kPacketSize + 6)};
    const ChainResult result =
        test::RunChain(Filter(CupsArgs(kJobId), {{"QX7_FILTER_REPLY_DEADLINE_MS", "400"}}),
                       Backend(script), JobOf2520Bytes());
    EXPECT_EQ(result.filter.exitCode, 0);
    EXPECT_TRUE(Warnings(result.filter.err).empty()) << result.filter.err;
    EXPECT_NE(result.filter.err.find("DEBUG: "), std::string::npos);
}

TEST(CupsCommandFilterTest, SilentPrinterReportsNothingAndEndsByTheDeadline) {
    Script silent;  // drains, answers nothing
    const ChainResult result =
        test::RunChain(Filter(CupsArgs(kJobId), {{"QX7_FILTER_REPLY_DEADLINE_MS", "400"}}),
                       Backend(silent), JobOf2520Bytes());
    EXPECT_EQ(result.filter.exitCode, 0);
    EXPECT_TRUE(Warnings(result.filter.err).empty()) << result.filter.err;
    EXPECT_GE(result.filter.seconds, 0.4);
    EXPECT_LT(result.filter.seconds, 30.0);  // only a hang fails here
}

// The variable only shortens the deadline: asking for 10 s still ends at 2.5 s.
TEST(CupsCommandFilterTest, DeadlineIsTwoAndAHalfSecondsAtMost) {
    Script silent;
    const ChainResult result =
        test::RunChain(Filter(CupsArgs(kJobId), {{"QX7_FILTER_REPLY_DEADLINE_MS", "10000"}}),
                       Backend(silent), JobOf2520Bytes());
    EXPECT_EQ(result.filter.exitCode, 0);
    EXPECT_TRUE(Warnings(result.filter.err).empty());
    EXPECT_GE(result.filter.seconds, kDeadlineSeconds);
    EXPECT_LT(result.filter.seconds, 9.0);
}

TEST(CupsCommandFilterTest, BackendThatNeverDrainsCostsTheDeadline) {
    Script neverDrains;
    neverDrains.drains = false;
    const ChainResult result =
        test::RunChain(Filter(CupsArgs(kJobId), {{"QX7_FILTER_REPLY_DEADLINE_MS", "400"}}),
                       Backend(neverDrains), JobOf2520Bytes());
    EXPECT_EQ(result.filter.exitCode, 0);
    EXPECT_TRUE(Warnings(result.filter.err).empty());
    EXPECT_GE(result.filter.seconds, 0.4);
    EXPECT_EQ(result.received, JobOf2520Bytes());
}

TEST(CupsCommandFilterTest, NoBackChannelNoReport) {
    Script oneWay;
    oneWay.bidi = false;
    oneWay.pieces = {Text(kReply)};
    ChainResult result = test::RunChain(Filter(), Backend(oneWay), JobOf2520Bytes());
    EXPECT_EQ(result.filter.exitCode, 0);
    EXPECT_TRUE(Warnings(result.filter.err).empty());
    EXPECT_NE(result.filter.err.find("back channel"), std::string::npos) << result.filter.err;
    EXPECT_EQ(result.received, JobOf2520Bytes());

    // A backend that serves no side channel at all.
    const ChainSide mute = ChainSide::Function([](ChainIo& io) {
        close(CUPS_SC_FD);
        io.ReadAll();
        return 0;
    });
    result = test::RunChain(Filter(), mute, JobOf2520Bytes());
    EXPECT_EQ(result.filter.exitCode, 0);
    EXPECT_TRUE(Warnings(result.filter.err).empty());
    EXPECT_EQ(result.received, JobOf2520Bytes());
}

TEST(CupsCommandFilterTest, OverlongRepliesBecomeNoReplyLinesNeverCutOnes) {
    // Longer than a status line holds: the cause is reported, not a part of the reply.
    std::string longReply(kMaxReportedReplyBytes + 100, '\x11');
    longReply += Text(kReply);
    Script script;
    script.pieces = {longReply};
    ChainResult result = test::RunChain(Filter(), Backend(script), JobOf2520Bytes());
    const std::vector<unsigned char> longBytes(longReply.begin(), longReply.end());
    ASSERT_EQ(Warnings(result.filter.err),
              std::vector<std::string>{FormatReplyReport(kJobId, longBytes)});
    EXPECT_EQ(ReadReplyReport(Warnings(result.filter.err)[0], kJobId).kind,
              ReplyReportKind::kNoReply);

    // Bytes without end beyond what the filter reads: said so, without waiting the deadline.
    // (More than a pipe holds: the backend writes them while the filter reads.)
    script.pieces = {std::string(70000, '\x22')};
    script.drainAnsweredFirst = true;
    result = test::RunChain(Filter(), Backend(script), JobOf2520Bytes());
    const auto warnings = Warnings(result.filter.err);
    ASSERT_EQ(warnings.size(), 1u) << result.filter.err;
    const ReplyReading reading = ReadReplyReport(warnings[0], kJobId);
    EXPECT_EQ(reading.kind, ReplyReportKind::kNoReply);
    EXPECT_NE(reading.cause.find("65536"), std::string::npos) << reading.cause;
    EXPECT_LT(result.filter.seconds, kDeadlineSeconds);
}

// Also when the filter was started with SIGTERM ignored and blocked.
TEST(CupsCommandFilterTest, CancelEndsTheFilterAtOnceWithoutAReport) {
    for (const bool inherited : {false, true}) {
        test::TempDir dir;
        Script neverDrains;
        neverDrains.drains = false;
        neverDrains.pieces = {Text(kReply)};
        neverDrains.readyFile = dir.File("ready");
        ChainSide filter = Filter();
        if (inherited) {
            filter.inheritedIgnored = {SIGTERM};
        }
        test::CupsChain chain(filter, Backend(neverDrains));
        std::string error;
        ASSERT_TRUE(chain.Start(JobOf2520Bytes(), error)) << error;
        // The filter waits for its drain now.
        ASSERT_TRUE(test::WaitForPath(neverDrains.readyFile, 20000));
        ASSERT_EQ(kill(chain.FilterPid(), SIGTERM), 0);
        ASSERT_TRUE(chain.WaitForFilter(20000));
        const ChainResult result = chain.Wait();
        EXPECT_EQ(result.filter.signal, SIGTERM) << inherited;
        EXPECT_TRUE(Warnings(result.filter.err).empty());
    }
}

TEST(CupsCommandFilterTest, BackendThatClosesItsInputFailsTheJob) {
    const ChainSide closes = ChainSide::Function([](ChainIo&) {
        close(STDIN_FILENO);
        // Stays, so that only the closed input can end the filter.
        std::this_thread::sleep_for(std::chrono::seconds(3));
        return 0;
    });
    // More than a pipe holds: the filter's writes cannot all land before the close.
    const std::string job(1 << 20, '\x5a');
    const ChainResult result = test::RunChain(Filter(), closes, job);
    EXPECT_EQ(result.filter.exitCode, 1);
    EXPECT_NE(result.filter.err.find("ERROR: "), std::string::npos) << result.filter.err;
    EXPECT_TRUE(Warnings(result.filter.err).empty());
}

}  // namespace
}  // namespace qx7
