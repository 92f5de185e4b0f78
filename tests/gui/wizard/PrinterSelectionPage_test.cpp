// The printer selection page 217 against simulated printers (qx7-printer-sim processes in a
// spool directory of the test's own) and in demo mode.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "core/app/PageFlow.h"
#include "core/app/PrinterList.h"
#include "gui/wizard/PrinterSelectionPage.h"
#include "gui/support/PageTest.h"

namespace qx7::test {
namespace {

class PrinterSelectionTest : public PageTest, public ::testing::TestWithParam<LanguageId> {
  protected:
    explicit PrinterSelectionTest(const std::string& arguments = {})
        : PageTest(GetParam(), arguments) {}

    // Arrives at 217 on the road of the operation code, as from page 130.
    void Arrive(const std::string& road, int operation) {
        Open(road, PageNumber(PageId::kConnection));
        harness.app.SetOperation(operation);
        harness.app.GoNext(PageNumber(PageId::kConnection));
        ASSERT_TRUE(NextTo(PageNumber(PageId::kPrinterSelection)));
    }
    QComboBox& List() { return *driver->ControlAs<QComboBox>(1000); }
    QStringList Listed() {
        QStringList names;
        for (int i = 0; i < List().count(); ++i) {
            names << List().itemText(i);
        }
        return names;
    }
    void Search() {
        QTest::mouseClick(driver->ControlAs<QPushButton>(1177), Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    std::string NotFound() const { return EntryText(Language(), 244); }
};

TEST_P(PrinterSelectionTest, ReadyPrinterIsListedSelectedAndChosenOnNext) {
    StartPrinter("QX-7 Simulator");
    Arrive("select", kOperationCarriageMotor);
    EXPECT_EQ(sheet->windowTitle(), Entry(Language(), 5002));
    ExpectTableTexts();
    EXPECT_EQ(Listed(), QStringList{"QX-7 Simulator"});
    EXPECT_EQ(List().currentIndex(), 0);
    EXPECT_FALSE(List().isEditable());
    // The list is named by its caption for assistive tools, and has the focus.
    EXPECT_EQ(List().accessibleName(), Entry(Language(), 318));
    EXPECT_EQ(QApplication::focusWidget(), &List());
    EXPECT_TRUE(driver->IsEnabled("backButton"));
    EXPECT_TRUE(driver->IsEnabled("nextButton"));
    EXPECT_EQ(harness.app.GetCurrentPage(), PageNumber(PageId::kPrinterSelection));
    EXPECT_TRUE(harness.sink.shown.empty());
    // Not the application's printer until Next.
    EXPECT_EQ(harness.app.Printer().GetSelectedPrinter(), "");
    ExpectNothingClipped();
    driver->Screenshot();

    ASSERT_TRUE(NextTo(206));
    EXPECT_EQ(harness.app.Printer().GetSelectedPrinter(), "QX-7 Simulator");
    EXPECT_EQ(harness.app.History(), (std::vector<int>{130, 217, 206}));
    EXPECT_EQ(simulators[0]->Journal(), "");  // listing asks readiness, sends no command
}

TEST_P(PrinterSelectionTest, OfflinePrinterGivesNotFoundOncePerShowingOrSearchAndOnlyBack) {
    StartPrinter("QX-7 Simulator", {"--fault", "offline"});
    Arrive("offline", kOperationBattery);
    EXPECT_EQ(harness.sink.shown, std::vector<std::string>{NotFound()});
    EXPECT_EQ(List().count(), 0);
    EXPECT_TRUE(driver->IsEnabled("backButton"));
    EXPECT_FALSE(driver->IsEnabled("nextButton"));
    driver->Press(Qt::Key_Return);  // Enter does not pass a greyed Next
    QCoreApplication::processEvents();
    EXPECT_EQ(driver->Current(), PageNumber(PageId::kPrinterSelection));
    ExpectNothingClipped();
    driver->Screenshot();

    Search();
    EXPECT_EQ(harness.sink.shown, (std::vector<std::string>{NotFound(), NotFound()}));
    EXPECT_FALSE(driver->IsEnabled("nextButton"));

    // Switched on meanwhile: the search finds it, without another message.
    StartPrinter("QX-7 Second");
    Search();
    EXPECT_EQ(harness.sink.shown.size(), 2u);
    EXPECT_EQ(Listed(), QStringList{"QX-7 Second"});
    EXPECT_TRUE(driver->IsEnabled("nextButton"));
    ASSERT_TRUE(NextTo(160));
    EXPECT_EQ(harness.app.Printer().GetSelectedPrinter(), "QX-7 Second");

    // Back and again: a new showing lists afresh.
    simulators[1]->Stop();
    ASSERT_TRUE(BackTo(PageNumber(PageId::kPrinterSelection)));
    EXPECT_EQ(harness.sink.shown.size(), 3u);
    EXPECT_EQ(harness.sink.shown.back(), NotFound());
    EXPECT_EQ(List().count(), 0);
    EXPECT_FALSE(driver->IsEnabled("nextButton"));
    EXPECT_EQ(simulators[0]->Journal(), "");
}

TEST_P(PrinterSelectionTest, PrintersAreSortedByNameAndTheOneChosenGetsTheCommand) {
    // The spooler lists by file name ("QX-7-Alpha" before "QX-7_Zulu"); the list sorts by
    // name, where the blank comes first.
    PrinterSimulator& alpha = StartPrinter("QX-7-Alpha");
    PrinterSimulator& zulu = StartPrinter("QX-7 Zulu");
    Arrive("sorted", kOperationCarriageMotor);
    EXPECT_EQ(Listed(), (QStringList{"QX-7 Zulu", "QX-7-Alpha"}));
    EXPECT_EQ(driver->Text(1000), "QX-7 Zulu");
    EXPECT_EQ(dynamic_cast<gui::PrinterSelectionPage*>(sheet->CurrentPage())->ChosenName(),
              "QX-7 Zulu");
    driver->Screenshot();

    // The keyboard moves the selection; the chosen name follows it.
    driver->Press(Qt::Key_Down);
    EXPECT_EQ(driver->Text(1000), "QX-7-Alpha");
    ASSERT_TRUE(NextTo(206));
    EXPECT_EQ(harness.app.Printer().GetSelectedPrinter(), "QX-7-Alpha");
    ASSERT_TRUE(NextTo(148));
    EXPECT_EQ(alpha.Journal(), "record 5\n");
    EXPECT_EQ(zulu.Journal(), "");
}

TEST_P(PrinterSelectionTest, FilePortsAndFileOutputNamesAreNotListed) {
    StartPrinter("QX-7 Simulator");
    // Further queues on the same monitor: each description file has a socket that answers.
    const std::filesystem::path dir = spool.Path();
    const auto install = [&](const std::string& stem, const std::string& name,
                             const std::string& driverName, const std::string& port) {
        WriteFile(
            (dir / (stem + ".printer")).string(),
            "QX7-PRINTER 1\nname=" + name + "\ndriver=" + driverName + "\nport=" + port + "\n");
        std::filesystem::create_symlink(dir / "QX-7_Simulator.sock", dir / (stem + ".sock"));
    };
    install("File", "QX-7 on FILE", "Quorvel QX-7 Series", "FILE:");
    install("File2", "QX-7 on FILE:2", "Quorvel QX-7 Series", "FILE:2");
    install("Out", "QX-7 FileOutput", "Quorvel QX-7 Series", "USB002");
    install("out2", "QX-7 fileoutput", "Quorvel QX-7 Series", "USB003");
    install("Lower", "QX-7 lower driver", "quorvel qx-7 series", "USB004");
    install("Other", "Office Laser", "Other Vendor PCL", "USB005");
    Arrive("file-ports", kOperationTubePump);
    EXPECT_EQ(Listed(), (QStringList{"QX-7 Simulator", "QX-7 fileoutput", "QX-7 on FILE:2"}));
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_P(PrinterSelectionTest, OperationWithoutARoadStays) {
    StartPrinter();
    Arrive("no-road", kOperationNone);
    EXPECT_TRUE(driver->Next());
    QCoreApplication::processEvents();
    EXPECT_EQ(driver->Current(), PageNumber(PageId::kPrinterSelection));
    EXPECT_EQ(harness.app.History(), (std::vector<int>{130, 217}));
}

class DemoPrinterSelectionTest : public PrinterSelectionTest {
  protected:
    DemoPrinterSelectionTest() : PrinterSelectionTest("-demo") {}
};

TEST_P(DemoPrinterSelectionTest, DemoModeListsOnlyTheDemonstrationEntryAndContactsNoPrinter) {
    PrinterSimulator& printer = StartPrinter();
    Arrive("demo", kOperationResetTubeWarning);
    EXPECT_EQ(Listed(), QStringList{kDemoPrinterName});
    EXPECT_TRUE(driver->IsEnabled("nextButton"));
    ExpectTableTexts();
    ExpectNothingClipped();
    driver->Screenshot();
    Search();
    EXPECT_EQ(Listed(), QStringList{kDemoPrinterName});
    ASSERT_TRUE(NextTo(281));
    EXPECT_EQ(harness.app.Printer().GetSelectedPrinter(), kDemoPrinterName);
    EXPECT_TRUE(harness.sink.shown.empty());
    EXPECT_EQ(printer.Journal(), "");
}

std::string LanguageName(const ::testing::TestParamInfo<LanguageId>& info) {
    return info.param == kJapanese ? "Japanese" : "English";
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, PrinterSelectionTest,
                         ::testing::Values(kEnglish, kJapanese), LanguageName);
INSTANTIATE_TEST_SUITE_P(BothLanguages, DemoPrinterSelectionTest,
                         ::testing::Values(kEnglish, kJapanese), LanguageName);

}  // namespace
}  // namespace qx7::test
