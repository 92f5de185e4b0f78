// A port monitor that stalls or drips must not hold a printer operation: every request has a
// whole-frame deadline and every opened printer a budget, so the operation ends with its failure
// code in bounded time.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <future>

#include "core/app/QVJServToolApp.h"
#include "core/comm/PrinterLink.h"
#include "platform/SystemLocalTime.h"
#include "platform/SystemSleeper.h"
#include "platform/posix/SpoolDirectory.h"
#include "support/FakeMonitor.h"
#include "support/RecordingMessageSink.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using Step = test::FakeMonitor::Step;
using Manner = test::FakeMonitor::Manner;

// Far beyond the bound an operation keeps; only there so that a regression fails instead of
// hanging the suite.
constexpr auto kWatchdog = std::chrono::seconds(30);

struct Outcome {
    bool ended = false;  // within the watchdog
    int result = 0;
    double seconds = 0;
};

class SpoolDeadlineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteFile(dir.File("m.printer"),
                        "QX7-PRINTER 1\nname=M\ndriver=Quorvel QX-7\nport=USB001\n");
    }

    // Records a battery exchange on printer M against the monitor, as the wizard would.
    Outcome RecordBattery(test::FakeMonitor& monitor) {
        auto run = std::async(std::launch::async, [this] {
            SpoolDirectory spooler(dir.Path().string());
            SystemSleeper sleeper;
            SystemLocalTime clock;
            test::RecordingMessageSink sink;
            CQVJServToolApp tool(sink);
            tool.Printer().SetServices(&spooler, &sleeper, &clock);
            tool.Printer().SetSelectedPrinter("M");
            const auto started = std::chrono::steady_clock::now();
            tool.Printer().RecordBatteryExchange();
            return Outcome{
                true, tool.Printer().GetLastResult(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()};
        });
        if (run.wait_for(kWatchdog) != std::future_status::ready) {
            monitor.Release();  // lets the operation return so that the test can fail
            run.wait();
            return Outcome{};
        }
        const Outcome outcome = run.get();
        std::printf("[ measured ] %s: result %d after %.2f s\n",
                    ::testing::UnitTest::GetInstance()->current_test_info()->name(), outcome.result,
                    outcome.seconds);
        return outcome;
    }

    test::TempDir dir;
};

TEST_F(SpoolDeadlineTest, MonitorThatTakesTheJobAndNeverAnswersTheReply) {
    test::FakeMonitor monitor(dir.File("m.sock"), Step::kReplyRead, Manner::kSilent);
    ASSERT_TRUE(monitor.Listening());
    const Outcome outcome = RecordBattery(monitor);
    EXPECT_TRUE(outcome.ended);
    EXPECT_EQ(outcome.result, kLinkNoReply);
    EXPECT_EQ(monitor.documents, 1);
    // Each read waits out its deadline; the printer's budget stops the polling before all six
    // reads have spent theirs.
    EXPECT_GE(monitor.replyReads, 1);
    EXPECT_LT(monitor.replyReads, kPollCycles);
}

TEST_F(SpoolDeadlineTest, MonitorThatDripsTheReplyAByteAtATime) {
    test::FakeMonitor monitor(dir.File("m.sock"), Step::kReplyRead, Manner::kDrip);
    ASSERT_TRUE(monitor.Listening());
    const Outcome outcome = RecordBattery(monitor);
    EXPECT_TRUE(outcome.ended);
    // A reply that never arrives whole is no reply.
    EXPECT_EQ(outcome.result, kLinkNoReply);
    EXPECT_LT(monitor.replyReads, kPollCycles);
}

TEST_F(SpoolDeadlineTest, StallAtEveryOtherStepEndsWithThatStepsCode) {
    struct Case {
        Step step;
        Manner manner;
        int expected;
    };
    const Case cases[] = {
        {Step::kReadyCheck, Manner::kDrip, kLinkNotReady},
        {Step::kStartDoc, Manner::kSilent, kLinkStartDocFailed},
        {Step::kStartDoc, Manner::kDrip, kLinkStartDocFailed},
        {Step::kWrite, Manner::kDrip, kLinkWriteFailed},
    };
    for (const Case& c : cases) {
        test::FakeMonitor monitor(dir.File("m.sock"), c.step, c.manner);
        ASSERT_TRUE(monitor.Listening());
        const Outcome outcome = RecordBattery(monitor);
        EXPECT_TRUE(outcome.ended) << static_cast<int>(c.step);
        EXPECT_EQ(outcome.result, c.expected) << static_cast<int>(c.step);
        // Nothing gets past the step that stalled.
        EXPECT_EQ(monitor.replyReads, 0);
    }
}

}  // namespace
}  // namespace qx7
