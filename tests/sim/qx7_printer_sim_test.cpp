// The simulator as a port monitor, run as a process: clients that stall do not hold up others,
// and clients at the same time see one consistent printer.

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "core/app/QVJServToolApp.h"
#include "core/comm/PrinterLink.h"
#include "platform/SystemLocalTime.h"
#include "platform/SystemSleeper.h"
#include "platform/posix/SpoolDirectory.h"
#include "platform/posix/SpoolWire.h"
#include "support/ChildProcess.h"
#include "support/FakeSleeper.h"
#include "support/RecordingMessageSink.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

const std::string kSim = QX7_PRINTER_SIM_PATH;
const char kName[] = "QX-7 Simulator";

class SimulatorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim = std::make_unique<test::ChildProcess>(
            kSim,
            std::vector<std::string>{"--spool", dir.Path().string(), "--journal", Journal(),
                                     "--quiet"},
            dir.File("sim.log"));
        ASSERT_TRUE(test::WaitForPath(Socket())) << test::ReadFile(dir.File("sim.log"));
    }
    std::string Socket() const { return dir.File("QX-7_Simulator.sock"); }
    std::string Journal() const { return dir.File("journal"); }

    // A client that connects and then sends nothing.
    int Stall() const {
        const int fd = spoolwire::Connect(Socket());
        // A generous bound on the client's own wait, should the simulator never let go.
        timeval tv{30, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        return fd;
    }

    test::TempDir dir;
    std::unique_ptr<test::ChildProcess> sim;
};

TEST_F(SimulatorTest, StalledClientsDoNotHoldUpAnother) {
    // One after another, each of these would hold a one-at-a-time server for a full frame
    // deadline, far longer than the deadline of the client that follows them.
    std::vector<int> stalled;
    for (int i = 0; i < 3; ++i) {
        stalled.push_back(Stall());
        ASSERT_GE(stalled.back(), 0);
    }
    SpoolDirectory spooler(dir.Path().string());
    SystemSleeper sleeper;
    SystemLocalTime clock;
    {
        PrinterLink link(spooler, sleeper, clock);
        EXPECT_EQ(link.Connect(kName), 0);
    }
    test::RecordingMessageSink sink;
    CQVJServToolApp tool(sink);
    tool.Printer().SetServices(&spooler, &sleeper, &clock);
    tool.Printer().SetSelectedPrinter(kName);
    EXPECT_TRUE(tool.Printer().RecordBatteryExchange()) << tool.Printer().GetLastResult();
    EXPECT_EQ(test::ReadFile(Journal()), "record 6\n");

    // The stalled clients are dropped once their frame is overdue.
    for (const int fd : stalled) {
        char byte = 0;
        EXPECT_EQ(recv(fd, &byte, 1, 0), 0);
        close(fd);
    }
    // A client stalled at the moment of stopping does not keep the simulator alive.
    const int last = Stall();
    EXPECT_EQ(sim->Stop(SIGTERM), 0);
    close(last);
    EXPECT_FALSE(test::WaitForPath(Socket(), 0));
}

TEST_F(SimulatorTest, JobsFromManyClientsAtOnceAllReachThePrinter) {
    constexpr int kClients = 8;
    constexpr int kJobsEach = 5;
    std::vector<std::thread> clients;
    std::vector<int> sent(kClients, 0);
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([this, c, &sent] {
            SpoolDirectory spooler(dir.Path().string());
            test::FakeSleeper sleeper;
            SystemLocalTime clock;
            for (int j = 0; j < kJobsEach; ++j) {
                PrinterLink link(spooler, sleeper, clock);
                // Record kinds 4, 5 and 6 by turns; the reply is not collected, as several
                // clients of one printer would take each other's.
                if (link.Connect(kName) == 0 && link.BuildInitializeRecord(4 + (c + j) % 3) == 0 &&
                    link.SendJob() == 0) {
                    ++sent[static_cast<std::size_t>(c)];
                }
            }
        });
    }
    for (std::thread& client : clients) {
        client.join();
    }
    for (int c = 0; c < kClients; ++c) {
        EXPECT_EQ(sent[static_cast<std::size_t>(c)], kJobsEach) << "client " << c;
    }
    const std::string journal = test::ReadFile(Journal());
    int lines[3] = {};
    std::size_t at = 0;
    while (at < journal.size()) {
        const std::size_t end = journal.find('\n', at);
        ASSERT_NE(end, std::string::npos);
        const std::string line = journal.substr(at, end - at);
        ASSERT_TRUE(line == "record 4" || line == "record 5" || line == "record 6") << line;
        ++lines[line.back() - '4'];
        at = end + 1;
    }
    int expected[3] = {};
    for (int c = 0; c < kClients; ++c) {
        for (int j = 0; j < kJobsEach; ++j) {
            ++expected[(c + j) % 3];
        }
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(lines[k], expected[k]) << "record " << 4 + k;
    }
    // And the printer still answers, ready.
    SpoolDirectory spooler(dir.Path().string());
    test::FakeSleeper sleeper;
    SystemLocalTime clock;
    PrinterLink link(spooler, sleeper, clock);
    EXPECT_EQ(link.Connect(kName), 0);
}

TEST_F(SimulatorTest, StartOfDocumentWithoutItsSeparatorEndsTheConnection) {
    const auto startDoc = [this](const std::string& payload) {
        const int fd = spoolwire::Connect(Socket());
        EXPECT_GE(fd, 0);
        EXPECT_TRUE(spoolwire::SendFrame(
            fd, spoolwire::kStartDoc, std::vector<unsigned char>(payload.begin(), payload.end())));
        auto answer = spoolwire::ReceiveFrame(fd, 64);
        // Whatever the answer, the rest of a document follows on the same connection.
        const std::vector<unsigned char> job(64, 0);
        const bool rest = answer && spoolwire::SendFrame(fd, spoolwire::kWrite, job) &&
                          spoolwire::ReceiveFrame(fd, 64) &&
                          spoolwire::SendFrame(fd, spoolwire::kEndDoc, {}) &&
                          spoolwire::ReceiveFrame(fd, 64);
        close(fd);
        return std::make_pair(answer, rest);
    };
    for (const std::string& malformed :
         {std::string("QX DataRAW"), std::string(), std::string("QX Data\0RAW\0", 12)}) {
        const auto [answer, rest] = startDoc(malformed);
        EXPECT_FALSE(answer.has_value()) << malformed.size() << " bytes";
        EXPECT_FALSE(rest);
    }
    // The well-formed start is answered, and the document goes on.
    const auto [answer, rest] = startDoc(std::string("QX Data\0RAW", 11));
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->type, spoolwire::kAnswer);
    EXPECT_EQ(answer->payload, (std::vector<unsigned char>{0, 0, 0, 0}));
    EXPECT_TRUE(rest);
}

// The fault of --fault-after starts with the command after the first N, and stays.
TEST(SimulatorFaultAfter, FirstCommandsPassThenTheFaultStays) {
    const struct {
        const char* fault;
        int code;  // of the command after the first one
        const char* journal;
    } cases[] = {
        {"refuse", kLinkReplyStatus, "record 2\naddress 0 0 0\naddress 0 0 0\n"},
        {"offline", kLinkNotReady, "record 2\n"},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        test::ChildProcess sim(kSim,
                               {"--spool", dir.Path().string(), "--journal", dir.File("journal"),
                                "--fault", c.fault, "--fault-after", "1", "--quiet"},
                               dir.File("sim.log"));
        ASSERT_TRUE(test::WaitForPath(dir.File("QX-7_Simulator.sock")))
            << test::ReadFile(dir.File("sim.log"));
        SpoolDirectory spooler(dir.Path().string());
        test::FakeSleeper sleeper;
        SystemLocalTime clock;
        test::RecordingMessageSink sink;
        CQVJServToolApp tool(sink);
        tool.Printer().SetServices(&spooler, &sleeper, &clock);
        tool.Printer().SetSelectedPrinter(kName);
        EXPECT_TRUE(tool.Printer().ResetStatistics())
            << c.fault << " " << tool.Printer().GetLastResult();
        EXPECT_FALSE(tool.Printer().ResetIpAddress()) << c.fault;
        EXPECT_EQ(tool.Printer().GetLastResult(), c.code) << c.fault;
        EXPECT_FALSE(tool.Printer().ResetIpAddress()) << c.fault;
        EXPECT_EQ(test::ReadFile(dir.File("journal")), c.journal) << c.fault;
    }
}

}  // namespace
}  // namespace qx7
