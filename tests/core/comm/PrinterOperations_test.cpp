#include <gtest/gtest.h>

#include "core/comm/PrinterLink.h"
#include "core/comm/PrinterSession.h"
#include "support/FakeSleeper.h"
#include "support/FakeSpooler.h"

namespace qx7 {
namespace {

using Bytes = std::vector<unsigned char>;

TEST(ListQxPrintersTest, FilterRulesAndSortedOrder) {
    test::FakeSpooler spooler;
    test::FakeSleeper sleeper;
    test::SteppingClock clock{1};
    spooler.Add("Zeta QX", "Quorvel QX-7 Series v2", "USB002");  // more words: still a candidate
    spooler.Add("On File", "Quorvel QX-7", "FILE:");
    spooler.Add("On File 2", "Quorvel QX-7", "FILE:2");
    spooler.Add("QX FileOutput", "Quorvel QX-7", "USB003");
    spooler.Add("QX fileoutput", "Quorvel QX-7", "USB004");
    spooler.Add("Lower driver", "quorvel qx-7", "USB005");
    spooler.Add("Office laser", "Generic PCL", "LPT1:");
    spooler.Add("Alpha QX", "Quorvel QX-7", "USB001");
    spooler.Add("Off QX", "Quorvel QX-7", "USB006").ready.bytes[0] = 1;

    PrinterLink link(spooler, sleeper, clock);
    ASSERT_EQ(link.EnumeratePrinters(), 0);
    std::vector<std::string> list;
    EXPECT_EQ(link.ListQxPrinters(list), 0);
    EXPECT_EQ(list,
              (std::vector<std::string>{"Alpha QX", "On File 2", "QX fileoutput", "Zeta QX"}));
    // Only the family's own printers were opened for the readiness test.
    EXPECT_EQ(spooler.Count("open Office laser"), 0);
    EXPECT_EQ(spooler.Count("open Lower driver"), 0);
    EXPECT_EQ(spooler.Count("open On File"), 0);
    EXPECT_EQ(spooler.Count("open QX FileOutput"), 0);
    EXPECT_EQ(spooler.Count("open Off QX"), 1);
    EXPECT_EQ(spooler.openHandles, 0);
    EXPECT_EQ(sleeper.calls, 0);
}

TEST(ListQxPrintersTest, NothingQualifiesOrSpoolerFails) {
    test::FakeSpooler spooler;
    test::FakeSleeper sleeper;
    test::SteppingClock clock{1};
    spooler.Add("Office", "Generic", "USB001");
    PrinterLink link(spooler, sleeper, clock);
    ASSERT_EQ(link.EnumeratePrinters(), 0);
    std::vector<std::string> list;
    EXPECT_EQ(link.ListQxPrinters(list), kLinkNoPrinterListed);
    EXPECT_TRUE(list.empty());

    spooler.enumFails = true;
    EXPECT_EQ(link.EnumeratePrinters(), kLinkEnumerateFailed);
    EXPECT_EQ(link.ListQxPrinters(list), kLinkNoPrinterListed);
}

class OperationsTest : public ::testing::Test {
  protected:
    OperationsTest() {
        spooler.Add("QX-7 A");
        session.SetSelectedPrinter("QX-7 A");
    }
    // The command block of the only job sent.
    Bytes SentBlock(std::size_t length) const {
        EXPECT_EQ(spooler.jobs.size(), 1u);
        if (spooler.jobs.empty()) {
            return {};
        }
        const Bytes& job = spooler.jobs[0];
        return Bytes(job.begin() + 2464, job.begin() + 2464 + static_cast<std::ptrdiff_t>(length));
    }

    test::FakeSpooler spooler;
    test::FakeSleeper sleeper;
    test::SteppingClock clock{1700000000};
    PrinterSession session{spooler, sleeper, clock};
};

TEST_F(OperationsTest, EachOperationSendsItsCommandAndChecksItsReply) {
    struct Case {
        const char* name;
        bool (*run)(PrinterSession&);
        std::uint8_t replyCode;
        Bytes blockStart;
    };
    const Case cases[] = {
        {"statistics",
         [](PrinterSession& a) { return a.ResetStatistics(); },
         0x24,
         {0x23, 0x23, 0x00, 0x42, 0, 0, 0, 0x20, 2}},
        {"ip",
         [](PrinterSession& a) { return a.ResetIpAddress(); },
         0x2D,
         {0x23, 0x23, 0x00, 0x41, 0, 0, 0, 0x0C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"tube",
         [](PrinterSession& a) { return a.ResetTubeCleanWarning(); },
         0x24,
         {0x23, 0x23, 0x00, 0x42, 0, 0, 0, 0x20, 3}},
        {"pump",
         [](PrinterSession& a) { return a.RecordPumpExchange(); },
         0x24,
         {0x23, 0x23, 0x00, 0x42, 0, 0, 0, 0x20, 4}},
        {"motor",
         [](PrinterSession& a) { return a.RecordCarriageMotorExchange(); },
         0x24,
         {0x23, 0x23, 0x00, 0x42, 0, 0, 0, 0x20, 5}},
        {"battery",
         [](PrinterSession& a) { return a.RecordBatteryExchange(); },
         0x24,
         {0x23, 0x23, 0x00, 0x42, 0, 0, 0, 0x20, 6}},
        {"speed",
         [](PrinterSession& a) { return a.StartCarriageSpeedAdjustment(); },
         0x28,
         {0x23, 0x23, 0x00, 0x35, 0, 0, 0, 0x10, 0, 0}},
        {"thermistor",
         [](PrinterSession& a) { return a.CalibrateThermistor(75); },
         0x29,
         {0x23, 0x23, 0x00, 0x36, 0, 0, 0, 0x10, 0x00, 0x4B}},
        {"clock",
         [](PrinterSession& a) { return a.SetPrinterClock(0x11223344); },
         0x21,
         {0x23, 0x23, 0x00, 0x1D, 0, 0, 0, 0x08, 0x11, 0x22, 0x33, 0x44}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        spooler.jobs.clear();
        spooler.QueueReply(test::FakeSpooler::MakeReply(c.replyCode, 0));
        EXPECT_TRUE(c.run(session));
        EXPECT_EQ(session.GetLastResult(), 0);
        EXPECT_EQ(SentBlock(c.blockStart.size()), c.blockStart);
        EXPECT_EQ(spooler.openHandles, 0);

        // Another command's reply, then a refusal.
        spooler.QueueReply(test::FakeSpooler::MakeReply(0x77, 0));
        EXPECT_FALSE(c.run(session));
        EXPECT_EQ(session.GetLastResult(), kLinkReplyFraming);
        spooler.QueueReply(test::FakeSpooler::MakeReply(c.replyCode, 1));
        EXPECT_FALSE(c.run(session));
        EXPECT_EQ(session.GetLastResult(), kLinkReplyStatus);
    }
}

TEST_F(OperationsTest, NoPrinterMeansNothingIsSent) {
    session.SetSelectedPrinter("");
    EXPECT_FALSE(session.RecordBatteryExchange());
    EXPECT_EQ(session.GetLastResult(), kLinkNotReady);
    session.SetSelectedPrinter("QX-7 A");
    spooler.printers[0].ready.bytes[0] = 1;  // switched off
    EXPECT_FALSE(session.SetPrinterClock(5));
    EXPECT_EQ(session.GetLastResult(), kLinkNotReady);
    EXPECT_EQ(spooler.Count("write"), 0);
    EXPECT_EQ(sleeper.calls, 0);
    EXPECT_EQ(spooler.openHandles, 0);

    PrinterSession bare;
    bare.SetSelectedPrinter("QX-7 A");
    EXPECT_FALSE(bare.ResetStatistics());
    EXPECT_EQ(bare.GetLastResult(), kLinkNotReady);
}

TEST_F(OperationsTest, SilentPrinterFailsAfterSixPolls) {
    EXPECT_FALSE(session.StartCarriageSpeedAdjustment());
    EXPECT_EQ(session.GetLastResult(), kLinkNoReply);
    EXPECT_EQ(sleeper.totalMilliseconds, 3000);
    EXPECT_EQ(spooler.jobs.size(), 1u);
    // The job given up is withdrawn before the failure is reported, and only then closed.
    ASSERT_GE(spooler.calls.size(), 2u);
    EXPECT_EQ(spooler.calls[spooler.calls.size() - 2], "cancel");
    EXPECT_EQ(spooler.Count("cancel"), 1);
}

TEST_F(OperationsTest, SendFailureStopsBeforePolling) {
    spooler.writeFails = true;
    EXPECT_FALSE(session.ResetTubeCleanWarning());
    EXPECT_EQ(session.GetLastResult(), kLinkWriteFailed);
    EXPECT_EQ(sleeper.calls, 0);
    EXPECT_EQ(spooler.Count("cancel"), 1);  // a half-sent command must not reach the printer
}

TEST_F(OperationsTest, AnsweredCommandsAreNotWithdrawn) {
    spooler.QueueReply(test::FakeSpooler::MakeReply(0x28, 1));  // answered, but refused
    EXPECT_FALSE(session.StartCarriageSpeedAdjustment());
    EXPECT_EQ(session.GetLastResult(), kLinkReplyStatus);
    EXPECT_EQ(spooler.Count("cancel"), 0);
}

}  // namespace
}  // namespace qx7
