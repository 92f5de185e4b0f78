#include "core/app/PrinterList.h"

#include <gtest/gtest.h>

#include "core/app/QVJServToolApp.h"
#include "support/FakeSleeper.h"
#include "support/FakeSpooler.h"
#include "support/RecordingMessageSink.h"

namespace qx7 {
namespace {

const std::string kNotFound =
    "QX-7 Printer not found. \nCheck USB connection, power and Printer Driver installed.";

class PrinterListTest : public ::testing::Test {
  protected:
    PrinterListTest() { app.Printer().SetServices(&spooler, &sleeper, &clock); }

    test::FakeSpooler spooler;
    test::FakeSleeper sleeper;
    test::SteppingClock clock{1700000000};
    test::RecordingMessageSink sink;
    CQVJServToolApp app{sink};
};

TEST_F(PrinterListTest, ReadyPrintersInByteOrderFirstSelected) {
    spooler.Add("beta QX");
    spooler.Add("Office", "Generic PCL");
    spooler.Add("Zeta QX");
    spooler.Add("\xE5\x8F\xB3 QX");  // a Japanese name sorts after every ASCII one
    spooler.Add("Alpha QX");
    spooler.Add("Off QX").ready.bytes[0] = 1;
    const PrinterListResult result = FillPrinterList(app);
    EXPECT_TRUE(result.filled);
    EXPECT_EQ(result.names,
              (std::vector<std::string>{"Alpha QX", "Zeta QX", "beta QX", "\xE5\x8F\xB3 QX"}));
    EXPECT_EQ(result.selected, 0);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(spooler.openHandles, 0);
}

TEST_F(PrinterListTest, NoReadyPrinterOrNoSpoolerShows244EachTime) {
    spooler.Add("Off QX").ready.bytes[0] = 1;
    PrinterListResult result = FillPrinterList(app);
    EXPECT_FALSE(result.filled);
    EXPECT_TRUE(result.names.empty());
    EXPECT_EQ(result.selected, -1);

    spooler.enumFails = true;
    result = FillPrinterList(app);
    EXPECT_FALSE(result.filled);

    CQVJServToolApp withoutServices(sink);
    EXPECT_FALSE(FillPrinterList(withoutServices).filled);
    EXPECT_EQ(sink.shown, (std::vector<std::string>{kNotFound, kNotFound, kNotFound}));

    // "Search Printer" after switching the printer on.
    spooler.enumFails = false;
    spooler.printers[0].ready.bytes[0] = 0;
    result = FillPrinterList(app);
    EXPECT_TRUE(result.filled);
    EXPECT_EQ(result.names, std::vector<std::string>{"Off QX"});
    EXPECT_EQ(sink.shown.size(), 3u);
}

// The page and `qx7ctl list` list through one function: a session of their own (as the
// command line has) gives the page's names, whatever the filter and readiness leave out.
TEST_F(PrinterListTest, TheSameNamesAsTheSessionListing) {
    spooler.Add("QX-7 B");
    spooler.Add("Office", "Generic PCL");
    spooler.Add("QX-7 to file", "Quorvel QX-7", "FILE:");
    spooler.Add("QX-7 FileOutput");
    spooler.Add("QX-7 A");
    spooler.Add("QX-7 off").ready.bytes[0] = 1;
    spooler.Add("QX-7 closed").opens = false;
    PrinterSession commandLine(spooler, sleeper, clock);
    std::vector<std::string> listed;
    ASSERT_EQ(commandLine.ListReadyPrinters(listed), 0);
    EXPECT_EQ(listed, (std::vector<std::string>{"QX-7 A", "QX-7 B"}));
    EXPECT_EQ(FillPrinterList(app).names, listed);

    // Nothing to list is a failure for both.
    spooler.enumFails = true;
    listed.clear();
    EXPECT_NE(commandLine.ListReadyPrinters(listed), 0);
    EXPECT_FALSE(FillPrinterList(app).filled);
    EXPECT_EQ(sink.shown, std::vector<std::string>{kNotFound});
}

TEST_F(PrinterListTest, DemoModeListsOnlyTheDemonstrationEntry) {
    spooler.Add("Alpha QX");
    app.Start("/opt/qx7/qx7-service-tool", "-demo", kEnglish);
    const PrinterListResult result = FillPrinterList(app);
    EXPECT_TRUE(result.filled);
    EXPECT_EQ(result.names, std::vector<std::string>{"Demonstration mode"});
    EXPECT_EQ(result.selected, 0);
    EXPECT_TRUE(spooler.calls.empty());
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(PrinterListTest, NextStoresTheChosenPrinterAndFollowsTheRoad) {
    app.SetOperation(11);
    app.GoNext(217);
    EXPECT_EQ(PrinterSelectionNext(app, "Zeta QX"), 283);
    EXPECT_EQ(app.Printer().GetSelectedPrinter(), "Zeta QX");
    app.SetOperation(9);  // no road behind this page: stays, the name is stored all the same
    EXPECT_EQ(PrinterSelectionNext(app, "Alpha QX"), -1);
    EXPECT_EQ(app.Printer().GetSelectedPrinter(), "Alpha QX");
    EXPECT_EQ(app.History(), (std::vector<int>{217, 283}));
}

}  // namespace
}  // namespace qx7
