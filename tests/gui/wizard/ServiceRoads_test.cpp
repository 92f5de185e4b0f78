// The roads through the date, thermistor and maintenance tool pages, walked as a user walks
// them, in both languages: in demo mode nothing reaches the simulated printer; against it, the
// journal holds exactly the road's commands. Back from the road's last page walks it back to
// its menu.

#include <QAbstractButton>
#include <tuple>

#include "gui/wizard/InputPageTest.h"

namespace qx7::test {
namespace {

struct Road {
    const char* name;
    int menu;
    int choice;
    bool serviceMode;  // the choice is one of the hidden ones
    std::vector<int> pages;
    // What reaches the printer, and from which pages; "CLOCK" stands for the harness's time in
    // printer seconds.
    std::string journal;
    std::vector<int> sending;
};

const Road kRoads[] = {
    {"4",
     133,
     1009,
     false,
     {133, 130, 217, 160, 163, 172, 173, 133},
     "CLOCK\nrecord 6\n",
     {160, 172}},
    {"12", 156, 1026, false, {156, 130, 217, 160, 163, 156}, "CLOCK\n", {160}},
    {"9", 133, 1004, true, {133, 257, 265, 156}, "", {}},
    {"8", 133, 1007, true, {133, 130, 217, 157, 135, 136, 147, 156}, "thermistor 68\n", {136}},
    {"5",
     133,
     1008,
     true,
     {133, 263, 130, 217, 157, 160, 163, 279, 148, 149, 135, 136, 257, 265, 286, 156},
     "CLOCK\nrecord 2\naddress 0 0 0\ncarriage-speed\nthermistor 68\n",
     {160, 279, 148, 136}},
};

using RoadCase = std::tuple<int, LanguageId, bool>;  // road index, language, simulator

class ServiceRoadTest : public ::testing::TestWithParam<RoadCase> {
  protected:
    const Road& TheRoad() const { return kRoads[std::get<0>(GetParam())]; }
    LanguageId Language() const { return std::get<1>(GetParam()); }
    bool AgainstPrinter() const { return std::get<2>(GetParam()); }

    void SetUp() override {
        harness = std::make_unique<GuiHarness>(Language(), AgainstPrinter() ? "" : "-demo");
        harness->options.serviceMode = TheRoad().serviceMode;
        sim = std::make_unique<SimPrinterProcess>();
        ASSERT_TRUE(sim->Started()) << sim->Log();
        sim->Attach(*harness);
    }
    void TearDown() override {
        driver.reset();
        sheet.reset();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }

    // The classes not built yet (stand-ins) of the road's pages that send to the printer.
    // The other stand-ins walk on as their pages will: the printer is selected already, as
    // the printer selection page selects the only one listed.
    std::string MissingSenders() const {
        std::string missing;
        for (int page : TheRoad().sending) {
            if (gui::PageRegistry::Global().Find(PageId{page}) == nullptr) {
                missing +=
                    std::string(missing.empty() ? "" : ", ") + FindWizardPage(page)->className;
            }
        }
        return missing;
    }

    // A new sheet on the road's menu, the road's choice made; answers the index in
    // PagesShown() where the road starts.
    std::size_t OpenOnMenu(const std::string& shots) {
        sheet = harness->MakeSheet(WizardPages(), registry);
        driver = std::make_unique<SheetDriver>(*sheet, shots);
        EXPECT_TRUE(driver->Show());
        if (TheRoad().menu != driver->Current()) {
            EXPECT_TRUE(sheet->SetActivePage(TheRoad().menu));
            EXPECT_TRUE(driver->WaitForPage(TheRoad().menu));
        }
        EXPECT_TRUE(driver->Choose(TheRoad().choice));
        return driver->PagesShown().size() - 1;
    }
    // Next along the road up to (and with) its page `last`; a confirmation box is ticked first.
    void WalkTo(std::size_t last) {
        const std::vector<int>& pages = TheRoad().pages;
        for (std::size_t step = 1; step <= last; ++step) {
            driver->Screenshot();
            const WizardPageInfo* info = FindWizardPage(driver->Current());
            if (info->confirmBox != 0 &&
                driver->ControlAs<QAbstractButton>(info->confirmBox) != nullptr) {
                ASSERT_TRUE(driver->Choose(info->confirmBox)) << driver->Current();
                QCoreApplication::processEvents();  // Next opens
            }
            ASSERT_TRUE(driver->Next()) << "on " << driver->Current();
            ASSERT_TRUE(driver->WaitForPage(pages[step]))
                << "step " << step << ": expected " << pages[step] << ", on " << driver->Current()
                << "; messages: "
                << (harness->sink.shown.empty() ? "" : harness->sink.shown.back());
        }
    }
    std::string ExpectedJournal() const {
        std::string journal = TheRoad().journal;
        const std::string clock = "clock " + std::to_string(kHarnessNow - kPrinterEpoch);
        if (const auto at = journal.find("CLOCK"); at != std::string::npos) {
            journal.replace(at, 5, clock);
        }
        return AgainstPrinter() ? journal : "";
    }

    std::unique_ptr<GuiHarness> harness;
    std::unique_ptr<SimPrinterProcess> sim;
    gui::PageRegistry registry = RegistryWithStandIns();
    std::unique_ptr<gui::WizardSheet> sheet;
    std::unique_ptr<SheetDriver> driver;
};

TEST_P(ServiceRoadTest, TheRoadLeadsBackToAMenuAndSendsExactlyItsCommands) {
    if (AgainstPrinter() && !MissingSenders().empty()) {
        GTEST_SKIP() << "pages not built yet: " << MissingSenders();
    }
    const std::vector<int>& pages = TheRoad().pages;
    const std::size_t start = OpenOnMenu(TheRoad().name);
    WalkTo(pages.size() - 1);
    const std::vector<int> shown(driver->PagesShown().begin() + static_cast<std::ptrdiff_t>(start),
                                 driver->PagesShown().end());
    EXPECT_EQ(shown, pages);
    EXPECT_EQ(harness->app.History(), std::vector<int>{pages.back()});
    EXPECT_EQ(harness->app.GetOperation(), kOperationNone);
    EXPECT_EQ(sim->Journal(), ExpectedJournal());
    EXPECT_TRUE(harness->sink.shown.empty());
}

TEST_P(ServiceRoadTest, BackFromTheLastStepWalksTheRoadBackToItsMenu) {
    const std::vector<int>& pages = TheRoad().pages;
    OpenOnMenu(std::string(TheRoad().name) + "-back");
    WalkTo(pages.size() - 2);
    for (std::size_t step = pages.size() - 2; step > 0; --step) {
        ASSERT_TRUE(driver->Back()) << "on " << driver->Current();
        ASSERT_TRUE(driver->WaitForPage(pages[step - 1])) << "on " << driver->Current();
    }
    EXPECT_FALSE(driver->IsEnabled("backButton"));
    EXPECT_EQ(harness->app.History(), std::vector<int>{pages.front()});
    EXPECT_TRUE(harness->sink.shown.empty());
}

std::string CaseName(const ::testing::TestParamInfo<RoadCase>& info) {
    return std::string("Road") + kRoads[std::get<0>(info.param)].name + "_" +
           LanguageName(std::get<1>(info.param)) +
           (std::get<2>(info.param) ? "_Simulator" : "_Demo");
}

INSTANTIATE_TEST_SUITE_P(Roads, ServiceRoadTest,
                         ::testing::Combine(::testing::Range(0, 5),
                                            ::testing::Values(kEnglish, kJapanese),
                                            ::testing::Bool()),
                         CaseName);

}  // namespace
}  // namespace qx7::test
