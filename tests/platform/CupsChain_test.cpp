// The queue's filter with the simulator as its backend: each command gets the reply the
// stand-in simulator gives, the printer keeps the same journal and receives the same bytes, and
// the printer's faults (switched off, silent, refusing, garbling, held off while queued) reach
// the filter as a printer on USB would make them. Last, the whole way through a private CUPS
// scheduler, sent by an ordinary user.

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/base/ByteOrder.h"
#include "core/comm/CommandJob.h"
#include "core/comm/PrinterLink.h"
#include "platform/cups/CupsSpooler.h"
#include "platform/cups/ReplyReport.h"
#include "platform/posix/PosixSleeper.h"
#include "platform/posix/SpoolDirectory.h"
#include "sim/SimPrinter.h"
#include "support/ChildProcess.h"
#include "support/CupsChain.h"
#include "support/FakeSleeper.h"
#include "support/FakeSpooler.h"
#include "support/FixedNowLocalTime.h"
#include "support/PrivateCupsd.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using test::ChainResult;
using test::ChainSide;
using test::CupsArgs;

const std::string kFilter = QX7_COMMAND_FILTER_PATH;
const std::string kSim = QX7_PRINTER_SIM_PATH;
const char kStandInName[] = "QX-7 Simulator";
// The moment the jobs are built at: both ways send the same bytes.
constexpr std::int64_t kJobTime = test::kPrinterEpoch + 800000000;
constexpr std::uint32_t kClockSetTo = 800000000;

struct Command {
    const char* name;
    std::function<int(PrinterLink&)> build;
    std::string journal;
};

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"record", [](PrinterLink& l) { return l.BuildInitializeRecord(kRecordBattery); },
         "record 6"},
        {"clock", [](PrinterLink& l) { return l.BuildSetClock(kClockSetTo); },
         "clock " + std::to_string(kClockSetTo)},
        {"carriage", [](PrinterLink& l) { return l.BuildCarriageSpeedStart(); }, "carriage-speed"},
        {"thermistor", [](PrinterLink& l) { return l.BuildThermistorValue(72); }, "thermistor 72"},
        {"address",
         [](PrinterLink& l) { return l.BuildSetAddress(0xC0A80105u, 0xFFFFFF00u, 0xC0A80101u); },
         "address " + std::to_string(0xC0A80105u) + " " + std::to_string(0xFFFFFF00u) + " " +
             std::to_string(0xC0A80101u)},
    };
    return commands;
}

// The job bytes the link sends for the command.
std::string JobFor(const Command& command) {
    test::FakeSpooler spooler;
    test::FakeSleeper sleeper;
    test::FixedNowLocalTime clock(kJobTime);
    PrinterLink link(spooler, sleeper, clock);
    EXPECT_EQ(command.build(link), 0) << command.name;
    return std::string(link.Job().begin(), link.Job().end());
}

// The reply with its three clock readings checked equal and set to zero: two simulators that
// started at different moments differ there only.
std::vector<unsigned char> WithoutClock(std::vector<unsigned char> reply) {
    if (reply.size() < 3 * kPacketSize) {
        ADD_FAILURE() << "reply of " << reply.size() << " bytes";
        return reply;
    }
    const std::size_t stamps[] = {8, kPacketSize + kBlockHeaderSize + 4,
                                  reply.size() - kPacketSize + 8};
    const std::uint32_t first = ReadU32BE(reply.data() + stamps[0]);
    for (const std::size_t at : stamps) {
        EXPECT_EQ(ReadU32BE(reply.data() + at), first) << at;
        WriteU32BE(reply.data() + at, 0);
    }
    return reply;
}

// The tool reads a reply as whole chunks, zero-filled after the end packet: the printer's
// bytes are those up to it.
std::vector<unsigned char> ThroughEndPacket(std::vector<unsigned char> reply) {
    const auto marker =
        std::search(reply.begin(), reply.end(), kEndMarker.begin(), kEndMarker.end());
    if (marker == reply.end() || reply.end() - marker < static_cast<std::ptrdiff_t>(kPacketSize)) {
        ADD_FAILURE() << "no end packet in a reply of " << reply.size() << " bytes";
        return reply;
    }
    const auto end = marker + static_cast<std::ptrdiff_t>(kPacketSize);
    EXPECT_TRUE(std::all_of(end, reply.end(), [](unsigned char b) { return b == 0; }));
    reply.erase(end, reply.end());
    return reply;
}

std::vector<std::string> Lines(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(at, end - at);
        if (line.rfind(prefix, 0) == 0) {
            lines.push_back(line.substr(prefix.size()));
        }
        at = end + 1;
    }
    return lines;
}

std::string Uri(const std::string& query) {
    return "qx7sim://QX7-Sim" + (query.empty() ? "" : "?" + query);
}

ChainSide Filter(int jobId, const test::EnvList& extra = {}) {
    test::EnvList env = test::CupsEnv(Uri(""));
    env.insert(env.end(), extra.begin(), extra.end());
    return ChainSide::Program(kFilter, CupsArgs(jobId), env);
}

// The backend as the scheduler runs it: argv[0] and DEVICE_URI are the device URI.
ChainSide SimBackend(int jobId, const std::string& uri) {
    return ChainSide::Program(kSim, CupsArgs(jobId), test::CupsEnv(uri), uri);
}

// What the filter reported for the job: a reply, or why not, or nothing.
ReplyReading Reported(const ChainResult& result, int jobId) {
    const auto warnings = Lines(result.filter.err, "WARNING: ");
    if (warnings.empty()) {
        return {};
    }
    EXPECT_EQ(warnings.size(), 1u) << result.filter.err;
    return ReadReplyReport(warnings[0], jobId);
}

// The stand-in simulator behind a spool folder, its journal and job bytes kept.
class StandIn {
  public:
    explicit StandIn(std::vector<std::string> extra = {}) {
        std::filesystem::create_directory(JobsDir());
        std::vector<std::string> args{"--spool", dir_.Path().string(), "--journal",
                                      Journal(), "--jobs-dir",         JobsDir(),
                                      "--quiet"};
        args.insert(args.end(), extra.begin(), extra.end());
        sim_ = std::make_unique<test::ChildProcess>(kSim, args, dir_.File("sim.log"));
        EXPECT_TRUE(test::WaitForPath(dir_.File("QX-7_Simulator.sock")))
            << test::ReadFile(dir_.File("sim.log"));
    }
    std::string Journal() const { return dir_.File("journal"); }
    std::string JobsDir() const { return dir_.File("jobs"); }

    // Sends the command as the tool does; the link's result and the reply it collected.
    std::pair<int, std::vector<unsigned char>> Send(const Command& command) {
        SpoolDirectory spooler(dir_.Path().string());
        test::FakeSleeper sleeper;
        test::FixedNowLocalTime clock(kJobTime);
        PrinterLink link(spooler, sleeper, clock);
        int result = link.Connect(kStandInName);
        if (result == 0) {
            result = command.build(link);
        }
        if (result == 0) {
            result = link.SendJob();
        }
        if (result == 0) {
            result = link.CollectReply(1);
        }
        return {result, link.Reply()};
    }

  private:
    test::TempDir dir_;
    std::unique_ptr<test::ChildProcess> sim_;
};

// Every job file of a folder, in order of its name.
std::vector<std::string> JobFiles(const std::filesystem::path& dir) {
    std::vector<std::string> contents;
    for (const std::string& name : test::FileNames(dir)) {
        contents.push_back(name + ":" + test::ReadFile((dir / name).string()));
    }
    return contents;
}

TEST(CupsChainTest, EachCommandGetsTheStandInsReplyJournalAndBytes) {
    test::TempDir state;
    StandIn standIn;
    int jobId = 100;
    for (const Command& command : Commands()) {
        ++jobId;
        const auto [linkResult, standInReply] = standIn.Send(command);
        ASSERT_EQ(linkResult, 0) << command.name;
        const ChainResult result =
            test::RunChain(Filter(jobId), SimBackend(jobId, Uri("state=" + state.Path().string())),
                           JobFor(command));
        EXPECT_EQ(result.filter.exitCode, 0) << command.name << result.filter.err;
        EXPECT_EQ(result.backend.exitCode, 0) << command.name << result.backend.err;
        const ReplyReading reading = Reported(result, jobId);
        ASSERT_EQ(reading.kind, ReplyReportKind::kReply) << command.name << result.filter.err;
        EXPECT_EQ(WithoutClock(reading.reply), WithoutClock(ThroughEndPacket(standInReply)))
            << command.name;
        if (command.journal.rfind("clock ", 0) == 0) {
            // Set a moment ago on both printers: the replies read that clock.
            EXPECT_LT(ReadU32BE(reading.reply.data() + 8) - kClockSetTo, 60u);
            EXPECT_LT(ReadU32BE(standInReply.data() + 8) - kClockSetTo, 60u);
        }
    }
    std::string journal;
    for (const Command& command : Commands()) {
        journal += command.journal + "\n";
    }
    EXPECT_EQ(test::ReadFile((state.Path() / "journal").string()), journal);
    EXPECT_EQ(test::ReadFile(standIn.Journal()), journal);
    const auto jobs = JobFiles(state.Path() / "jobs");
    EXPECT_EQ(jobs.size(), Commands().size());
    EXPECT_EQ(jobs, JobFiles(standIn.JobsDir()));
    EXPECT_EQ(test::ReadFile((state.Path() / "jobs" / "0001.bin").string()), JobFor(Commands()[0]));
}

// Each fault as the stand-in plays it: the same reply, or none.
TEST(CupsChainTest, FaultsGiveTheStandInsRepliesThroughTheFilter) {
    const Command& command = Commands()[3];  // thermistor
    for (const char* fault : {"none", "refuse", "garble", "silent"}) {
        test::TempDir state;
        StandIn standIn({"--fault", fault});
        const auto [linkResult, standInReply] = standIn.Send(command);
        const ChainResult result = test::RunChain(
            Filter(7, {{"QX7_FILTER_REPLY_DEADLINE_MS", "500"}}),
            SimBackend(7, Uri(std::string("fault=") + fault + "&state=" + state.Path().string())),
            JobFor(command));
        EXPECT_EQ(result.filter.exitCode, 0) << fault;
        EXPECT_EQ(result.backend.exitCode, 0) << fault << result.backend.err;
        const ReplyReading reading = Reported(result, 7);
        if (std::string(fault) == "silent") {
            EXPECT_EQ(linkResult, kLinkNoReply);
            EXPECT_EQ(reading.kind, ReplyReportKind::kAbsent) << result.filter.err;
        } else {
            EXPECT_EQ(linkResult, 0) << fault;
            ASSERT_EQ(reading.kind, ReplyReportKind::kReply) << fault << result.filter.err;
            EXPECT_EQ(WithoutClock(reading.reply), WithoutClock(ThroughEndPacket(standInReply)))
                << fault;
        }
        // The printer took the command whatever it answered.
        EXPECT_EQ(test::ReadFile((state.Path() / "journal").string()), "thermistor 72\n");
        EXPECT_EQ(test::ReadFile((state.Path() / "jobs" / "0001.bin").string()), JobFor(command));
    }
    // Refusing and garbling show in the reply as the tool reads it.
    const auto replyOf = [&](const char* fault) {
        const ChainResult result = test::RunChain(
            Filter(8), SimBackend(8, Uri(std::string("fault=") + fault)), JobFor(command));
        return Reported(result, 8).reply;
    };
    const std::vector<unsigned char> good = replyOf("none");
    const std::vector<unsigned char> refused = replyOf("refuse");
    const std::vector<unsigned char> garbled = replyOf("garble");
    ASSERT_EQ(good.size(), refused.size());
    ASSERT_EQ(good.size(), garbled.size());
    EXPECT_EQ(ReadU32BE(good.data() + kPacketSize + kBlockHeaderSize), 0u);
    EXPECT_EQ(ReadU32BE(refused.data() + kPacketSize + kBlockHeaderSize), 1u);
    EXPECT_EQ(garbled[kPacketSize + 3], good[kPacketSize + 3] ^ 0x40);
}

TEST(CupsChainTest, SwitchedOffPrinterFailsTheJobWithoutTakingIt) {
    test::TempDir state;
    const ChainResult result = test::RunChain(
        Filter(9, {{"QX7_FILTER_REPLY_DEADLINE_MS", "500"}}),
        SimBackend(9, Uri("fault=offline&state=" + state.Path().string())), JobFor(Commands()[0]));
    EXPECT_EQ(result.backend.exitCode, 1);  // CUPS_BACKEND_FAILED
    EXPECT_NE(result.backend.err.find("STATE: +offline-report\n"), std::string::npos);
    EXPECT_EQ(Lines(result.backend.err, "ERROR: ").size(), 1u) << result.backend.err;
    EXPECT_EQ(Reported(result, 9).kind, ReplyReportKind::kAbsent) << result.filter.err;
    EXPECT_FALSE(std::filesystem::exists(state.Path() / "journal"));
    EXPECT_TRUE(test::FileNames(state.Path() / "jobs").empty());
}

// Each job is a backend run of its own; the printer's count of commands lives in the state.
TEST(CupsChainTest, FaultAfterCountsCommandsAcrossBackendRuns) {
    const Command& record = Commands()[0];
    {
        test::TempDir state;
        const std::string uri = Uri("fault=refuse&after=1&state=" + state.Path().string());
        std::vector<std::uint32_t> statuses;
        for (int run = 1; run <= 3; ++run) {
            const ChainResult result =
                test::RunChain(Filter(run), SimBackend(run, uri), JobFor(record));
            const ReplyReading reading = Reported(result, run);
            ASSERT_EQ(reading.kind, ReplyReportKind::kReply) << run << result.filter.err;
            statuses.push_back(ReadU32BE(reading.reply.data() + kPacketSize + kBlockHeaderSize));
        }
        EXPECT_EQ(statuses, (std::vector<std::uint32_t>{0, 1, 1}));
        EXPECT_EQ(test::ReadFile((state.Path() / "journal").string()),
                  "record 6\nrecord 6\nrecord 6\n");
        EXPECT_EQ(test::FileNames(state.Path() / "jobs"),
                  (std::vector<std::string>{"0001.bin", "0002.bin", "0003.bin"}));
    }
    {
        test::TempDir state;
        const std::string uri = Uri("fault=offline&after=1&state=" + state.Path().string());
        const ChainResult first = test::RunChain(Filter(1), SimBackend(1, uri), JobFor(record));
        EXPECT_EQ(first.backend.exitCode, 0) << first.backend.err;
        EXPECT_EQ(Reported(first, 1).kind, ReplyReportKind::kReply);
        const ChainResult second =
            test::RunChain(Filter(2, {{"QX7_FILTER_REPLY_DEADLINE_MS", "300"}}), SimBackend(2, uri),
                           JobFor(record));
        EXPECT_EQ(second.backend.exitCode, 1);
        EXPECT_NE(second.backend.err.find("STATE: +offline-report"), std::string::npos);
        EXPECT_EQ(test::FileNames(state.Path() / "jobs"), std::vector<std::string>{"0001.bin"});
    }
}

// Switched off while its queue holds the job: nothing reaches the printer, a cancel leaves
// nothing behind, and switching it on lets the job through.
TEST(CupsChainTest, HeldPrinterTakesNothingUntilSwitchedOn) {
    const Command& record = Commands()[0];
    for (const bool cancel : {true, false}) {
        test::TempDir state;
        const std::string hold = state.File("off");
        test::WriteFile(hold, "");
        ChainSide backend = SimBackend(5, Uri("state=" + state.Path().string() + "&hold=" + hold));
        if (cancel) {
            backend.inheritedIgnored = {SIGTERM};  // a cancel ends it all the same
        }
        test::CupsChain chain(Filter(5, {{"QX7_FILTER_REPLY_DEADLINE_MS", "300"}}), backend);
        std::string error;
        ASSERT_TRUE(chain.Start(JobFor(record), error)) << error;
        for (int i = 0; i < 2000 &&
                        chain.BackendErrSoFar().find("STATE: +offline-report") == std::string::npos;
             ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_NE(chain.BackendErrSoFar().find("STATE: +offline-report"), std::string::npos);
        // The filter gives up on its reply meanwhile; the backend still holds the job.
        ASSERT_TRUE(chain.WaitForFilter(20000));
        EXPECT_TRUE(test::FileNames(state.Path() / "jobs").empty());
        EXPECT_FALSE(std::filesystem::exists(state.Path() / "journal"));
        if (cancel) {
            ASSERT_EQ(kill(chain.BackendPid(), SIGTERM), 0);
            const ChainResult result = chain.Wait(20000);
            EXPECT_EQ(result.backend.signal, SIGTERM);
            EXPECT_EQ(Lines(result.filter.err, "WARNING: ").size(), 0u);
            EXPECT_TRUE(test::FileNames(state.Path() / "jobs").empty());
            EXPECT_FALSE(std::filesystem::exists(state.Path() / "journal"));
        } else {
            std::filesystem::remove(hold);
            const ChainResult result = chain.Wait(20000);
            EXPECT_EQ(result.backend.exitCode, 0) << result.backend.err;
            EXPECT_NE(result.backend.err.find("STATE: -offline-report\n"), std::string::npos);
            EXPECT_EQ(test::ReadFile((state.Path() / "journal").string()), "record 6\n");
            EXPECT_EQ(test::ReadFile((state.Path() / "jobs" / "0001.bin").string()),
                      JobFor(record));
        }
    }
}

// The reply a fresh simulator gives the job, taken at once (the clock it reads is the one the
// job sets).
std::vector<unsigned char> FreshReply(const std::string& job) {
    sim::SimPrinter printer(sim::Fault::kNone, [](const std::string&) {});
    printer.TakeJob(std::vector<unsigned char>(job.begin(), job.end()));
    std::vector<unsigned char> reply;
    for (;;) {
        const sim::ValueAnswer chunk = printer.ReadValue(kReplyValueName, kReplyChunkSize);
        if (chunk.data.size() < 4) {
            return reply;
        }
        reply.insert(reply.end(), chunk.data.begin() + 4,
                     chunk.data.begin() + 4 + ReadU16BE(chunk.data.data() + 2));
    }
}

// In a forked child running as nobody: submits the job to the queue and reads the job's
// printer-state message back; "id\nmessage", or what went wrong.
std::string SubmitAsNobody(const std::string& socket, const std::string& queue,
                           const std::string& job) {
    constexpr uid_t kNobody = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
        return "cannot become nobody";
    }
    http_t* http = httpConnect2(socket.c_str(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1,
                                30000, nullptr);
    if (http == nullptr) {
        return "no connection";
    }
    const int id = cupsCreateJob(http, queue.c_str(), "qx7 command", 0, nullptr);
    if (id <= 0 ||
        cupsStartDocument(http, queue.c_str(), id, "command", "application/vnd.qx7-command", 1) !=
            HTTP_STATUS_CONTINUE ||
        cupsWriteRequestData(http, job.data(), job.size()) != HTTP_STATUS_CONTINUE ||
        cupsFinishDocument(http, queue.c_str()) != IPP_STATUS_OK) {
        httpClose(http);
        return std::string("submission failed: ") + cupsLastErrorString();
    }
    std::string message;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
        const std::string uri = "ipp://localhost/jobs/" + std::to_string(id);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                     cupsUser());
        ipp_t* response = cupsDoRequest(http, request, "/");
        int state = 0;
        if (response != nullptr) {
            if (ipp_attribute_t* a =
                    ippFindAttribute(response, "job-printer-state-message", IPP_TAG_TEXT)) {
                message = ippGetString(a, 0, nullptr);
            }
            if (ipp_attribute_t* a = ippFindAttribute(response, "job-state", IPP_TAG_ENUM)) {
                state = ippGetInteger(a, 0);
            }
            ippDelete(response);
        }
        if (message.rfind("QX7-REPLY job=", 0) == 0 || state >= IPP_JSTATE_CANCELED) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    httpClose(http);
    return std::to_string(id) + "\n" + message;
}

TEST(CupsChainCupsdTest, OrdinaryUsersCommandJobGetsTheSimulatorsReply) {
    const std::string skip = test::PrivateCupsd::SkipReason();
    if (!skip.empty()) {
        GTEST_SKIP() << skip;
    }
    test::PrivateCupsd cupsd;
    const std::filesystem::path state = cupsd.Root() / "qx7state";
    std::filesystem::create_directory(state);
    // The backend runs as lp and keeps the printer's state there.
    ASSERT_EQ(test::RunProgram("/bin/chown", {"lp:lp", state.string()}).exitCode, 0);
    ASSERT_TRUE(cupsd.InstallQx7Programs(kFilter, kSim));
    std::string error;
    ASSERT_TRUE(cupsd.Start(error)) << error;
    ASSERT_TRUE(cupsd.AddQueue("qx7sim", Uri("state=" + state.string()),
                               test::PrivateCupsd::Qx7Ppd(), error))
        << error;

    const std::string job = JobFor(Commands()[1]);  // sets the clock: the reply is foreseeable
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        const std::string text = SubmitAsNobody(cupsd.Socket(), "qx7sim", job);
        const bool written =
            write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        _exit(written ? 0 : 3);
    }
    close(fds[1]);
    std::string text;
    char chunk[4096];
    for (ssize_t n; (n = read(fds[0], chunk, sizeof chunk)) > 0;) {
        text.append(chunk, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::size_t newline = text.find('\n');
    ASSERT_NE(newline, std::string::npos) << text;
    const int id = std::stoi(text.substr(0, newline));
    const std::string message = text.substr(newline + 1);
    EXPECT_EQ(message, FormatReplyReport(id, FreshReply(job)))
        << test::ReadFile((cupsd.Root() / "log" / "error_log").string());
    EXPECT_EQ(test::ReadFile((state / "journal").string()),
              "clock " + std::to_string(kClockSetTo) + "\n");
    EXPECT_EQ(test::ReadFile((state / "jobs" / "0001.bin").string()), job);
}

// The tool's own link through the scheduler's client, the queue's filter and the simulator:
// what a technician's command meets, fault by fault.
TEST(CupsChainCupsdTest, TheLinkGetsEachFaultsAnswerThroughTheQueue) {
    const std::string skip = test::PrivateCupsd::SkipReason();
    if (!skip.empty()) {
        GTEST_SKIP() << skip;
    }
    test::PrivateCupsd cupsd;
    ASSERT_TRUE(cupsd.InstallQx7Programs(kFilter, kSim));
    std::string error;
    ASSERT_TRUE(cupsd.Start(error)) << error;
    const struct {
        const char* fault;
        int collected;  // CollectReply's result
        int checked;    // CheckInitializeRecordReply's, when a reply came
    } cases[] = {
        {"none", 0, 0},
        {"refuse", 0, kLinkReplyStatus},
        {"garble", 0, kLinkReplyFraming},
        {"silent", kLinkNoReply, 0},
    };
    CupsSpooler spooler(cupsd.Socket());
    PosixSleeper sleeper;
    test::FixedNowLocalTime clock(kJobTime);
    for (const auto& c : cases) {
        const std::string queue = std::string("qx7-") + c.fault;
        const std::filesystem::path state = cupsd.Root() / queue;
        std::filesystem::create_directory(state);
        ASSERT_EQ(test::RunProgram("/bin/chown", {"lp:lp", state.string()}).exitCode, 0);
        ASSERT_TRUE(
            cupsd.AddQueue(queue, Uri(std::string("fault=") + c.fault + "&state=" + state.string()),
                           test::PrivateCupsd::Qx7Ppd(), error))
            << error;
        PrinterLink link(spooler, sleeper, clock);
        ASSERT_EQ(link.Connect(queue), 0) << c.fault;
        ASSERT_EQ(link.BuildInitializeRecord(kRecordBattery), 0);
        ASSERT_EQ(link.SendJob(), 0) << c.fault;
        EXPECT_EQ(link.CollectReply(1), c.collected) << c.fault;
        if (c.collected == 0) {
            EXPECT_EQ(link.CheckInitializeRecordReply(), c.checked) << c.fault;
        }
        EXPECT_EQ(test::ReadFile((state / "journal").string()), "record 6\n") << c.fault;
        EXPECT_EQ(test::ReadFile((state / "jobs" / "0001.bin").string()), JobFor(Commands()[0]))
            << c.fault;
    }
}

}  // namespace
}  // namespace qx7
