#include "core/comm/PrinterSession.h"

#include <gtest/gtest.h>

#include "core/comm/PrinterLink.h"
#include "support/FakeSleeper.h"
#include "support/FakeSpooler.h"

namespace qx7 {
namespace {

using Names = std::vector<std::string>;

class PrinterSessionTest : public ::testing::Test {
  protected:
    test::FakeSpooler spooler;
    test::FakeSleeper sleeper;
    test::SteppingClock clock{1700000000};
};

// The command line's way: list, choose the only ready printer, send, with no wizard around.
TEST_F(PrinterSessionTest, ListsChoosesAndSendsOnItsOwn) {
    spooler.Add("Office", "Generic PCL");
    spooler.Add("QX-7 B");
    spooler.Add("QX-7 A").ready.bytes[0] = 1;  // switched off
    PrinterSession session(spooler, sleeper, clock);
    Names names;
    ASSERT_EQ(session.ListReadyPrinters(names), 0);
    ASSERT_EQ(names, Names{"QX-7 B"});
    EXPECT_EQ(spooler.openHandles, 0);

    session.SetSelectedPrinter(names.front());
    spooler.calls.clear();
    spooler.QueueReply(test::FakeSpooler::MakeReply(0x24, 0));
    EXPECT_TRUE(session.RecordBatteryExchange());
    EXPECT_EQ(session.GetLastResult(), 0);
    ASSERT_EQ(spooler.jobs.size(), 1u);
    EXPECT_EQ(spooler.Count("open QX-7 B"), 1);
    EXPECT_EQ(spooler.Count("open QX-7 A"), 0);
    EXPECT_EQ(spooler.Count("startdoc QX Data RAW"), 1);
    EXPECT_EQ(spooler.openHandles, 0);
}

TEST_F(PrinterSessionTest, ListingCodesAndTheLastResultLeftAlone) {
    PrinterSession session(spooler, sleeper, clock);
    spooler.Add("QX-7 A");
    session.SetSelectedPrinter("QX-7 A");
    spooler.writeFails = true;
    EXPECT_FALSE(session.ResetIpAddress());
    ASSERT_EQ(session.GetLastResult(), kLinkWriteFailed);

    // A listing between a failed command and its message must not change the code shown.
    Names names;
    EXPECT_EQ(session.ListReadyPrinters(names), 0);
    EXPECT_EQ(names, Names{"QX-7 A"});
    EXPECT_EQ(session.GetLastResult(), kLinkWriteFailed);

    spooler.printers[0].ready.bytes[0] = 1;
    names.clear();
    EXPECT_EQ(session.ListReadyPrinters(names), kLinkNoPrinterListed);
    EXPECT_TRUE(names.empty());
    spooler.enumFails = true;
    EXPECT_EQ(session.ListReadyPrinters(names), kLinkEnumerateFailed);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(session.GetLastResult(), kLinkWriteFailed);
}

TEST_F(PrinterSessionTest, WithoutServicesNothingIsAskedOrSent) {
    PrinterSession bare;
    EXPECT_FALSE(bare.HasServices());
    Names names;
    EXPECT_EQ(bare.ListReadyPrinters(names), kLinkEnumerateFailed);
    EXPECT_TRUE(names.empty());
    bare.SetSelectedPrinter("QX-7 A");
    EXPECT_FALSE(bare.CalibrateThermistor(70));
    EXPECT_EQ(bare.GetLastResult(), kLinkNotReady);

    // Services handed in later are used; taking one away disables the session again.
    spooler.Add("QX-7 A");
    bare.SetServices(&spooler, &sleeper, &clock);
    EXPECT_TRUE(bare.HasServices());
    EXPECT_EQ(bare.ListReadyPrinters(names), 0);
    bare.SetServices(&spooler, nullptr, &clock);
    EXPECT_FALSE(bare.HasServices());
    spooler.calls.clear();
    EXPECT_FALSE(bare.ResetStatistics());
    EXPECT_EQ(bare.GetLastResult(), kLinkNotReady);
    EXPECT_TRUE(spooler.calls.empty());
}

}  // namespace
}  // namespace qx7
