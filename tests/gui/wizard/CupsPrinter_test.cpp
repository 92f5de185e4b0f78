// The window against a printer behind a CUPS queue: a private scheduler, the QX-7 queue's
// filter and the simulator as the queue's backend, the whole chain a real printer has. Roads 4
// and 10 walked as a user walks them, each fault with the message the window shows, and a
// scheduler that is not there. Root only (the scheduler); skipped with the reason otherwise.

#include <QAbstractButton>
#include <filesystem>
#include <ostream>

#include "core/app/PageFlow.h"
#include "core/comm/PrinterLink.h"
#include "gui/support/PageTest.h"
#include "support/PrivateCupsd.h"

namespace qx7::test {
namespace {

const char kQueue[] = "QX-7-Shop";

struct CupsRoad {
    const char* name;
    int choice;
    std::vector<int> pages;
    std::string journal;  // "CLOCK" stands for the harness's time in printer seconds
};

const CupsRoad kCupsRoads[] = {
    {"4", 1009, {133, 130, 217, 160, 163, 172, 173, 133}, "CLOCK\nrecord 6\n"},
    {"10", 1012, {133, 130, 217, 206, 148, 149, 133}, "record 5\ncarriage-speed\n"},
};

class CupsPrinterTest : public PageTest, public ::testing::TestWithParam<LanguageId> {
  protected:
    CupsPrinterTest() : PageTest(GetParam()) {}

    void SetUp() override {
        const std::string skip = PrivateCupsd::SkipReason();
        if (!skip.empty()) {
            GTEST_SKIP() << skip;
        }
        cupsd_ = std::make_unique<PrivateCupsd>();
        std::string error;
        ASSERT_TRUE(cupsd_->Start(error)) << error;
        ASSERT_TRUE(cupsd_->InstallQx7Programs(QX7_COMMAND_FILTER_PATH, QX7_PRINTER_SIM_PATH));
        state_ = cupsd_->PrinterStateFolder();
        harness.UseCupsServer(cupsd_->Socket());
    }

    // The QX-7 queue with the simulator behind it, in a fault mode ("none": healthy).
    void AddPrinter(const std::string& fault = "none") {
        std::string error;
        ASSERT_TRUE(cupsd_->AddQueue(
            kQueue, "qx7sim://" + std::string(kQueue) + "?fault=" + fault + "&state=" +
                        state_.string(),
            PrivateCupsd::Qx7Ppd(), error))
            << error;
    }

    std::string Journal() const { return ReadFile((state_ / "journal").string()); }

    std::string Expected(std::string journal) const {
        const std::string clock = "clock " + std::to_string(kHarnessNow - kPrinterEpoch);
        if (const auto at = journal.find("CLOCK"); at != std::string::npos) {
            journal.replace(at, 5, clock);
        }
        return journal;
    }

    // Next along the pages from the second on; a confirmation box is ticked first.
    void Walk(const std::vector<int>& pages) {
        for (std::size_t step = 1; step < pages.size(); ++step) {
            driver->Screenshot();
            const WizardPageInfo* info = FindWizardPage(driver->Current());
            if (info->confirmBox != 0 &&
                driver->ControlAs<QAbstractButton>(info->confirmBox) != nullptr) {
                ASSERT_TRUE(driver->Choose(info->confirmBox)) << driver->Current();
                QCoreApplication::processEvents();
            }
            ASSERT_TRUE(driver->Next()) << "on " << driver->Current();
            ASSERT_TRUE(driver->WaitForPage(pages[step]))
                << "step " << step << ": expected " << pages[step] << ", on " << driver->Current()
                << "; messages: "
                << (harness.sink.shown.empty() ? "" : harness.sink.shown.back());
        }
    }

    std::string Failure(int code) const {
        return EntryText(Language(), 237) + " (" + std::to_string(code) + ")";
    }

    std::unique_ptr<PrivateCupsd> cupsd_;
    std::filesystem::path state_;
};

TEST_P(CupsPrinterTest, RoadsFourAndTenReachThePrinterThroughTheQueue) {
    AddPrinter();
    for (const CupsRoad& road : kCupsRoads) {
        SCOPED_TRACE(road.name);
        std::filesystem::remove(state_ / "journal");
        Open(std::string("cups-road-") + road.name, road.pages.front());
        ASSERT_TRUE(driver->Choose(road.choice));
        Walk(road.pages);
        EXPECT_EQ(harness.app.Printer().GetSelectedPrinter(), kQueue);
        EXPECT_EQ(harness.app.History(), std::vector<int>{road.pages.back()});
        EXPECT_EQ(harness.app.GetOperation(), kOperationNone);
        EXPECT_EQ(Journal(), Expected(road.journal));
        EXPECT_TRUE(harness.sink.shown.empty())
            << (harness.sink.shown.empty() ? "" : harness.sink.shown.front());
        driver.reset();
        sheet.reset();
        harness.app.ClearHistory();
    }
}

// On the carriage motor's page (206), which shows the link's code: a printer that is off or
// silent gives no reply (the queue cannot tell it is off before the job), a refusal and a
// garbled reply their own codes; the page stays and Next tries once more.
TEST_P(CupsPrinterTest, EachFaultShowsItsMessageAndThePageStays) {
    const std::pair<const char*, int> faults[] = {{"offline", kLinkNoReply},
                                                  {"silent", kLinkNoReply},
                                                  {"refuse", kLinkReplyStatus},
                                                  {"garble", kLinkReplyFraming}};
    for (const auto& [fault, code] : faults) {
        SCOPED_TRACE(fault);
        std::filesystem::remove(state_ / "journal");
        AddPrinter(fault);
        harness.app.Printer().SetSelectedPrinter(kQueue);
        harness.app.SetOperation(kOperationCarriageMotor);
        harness.app.GoNext(PageNumber(PageId::kPrinterSelection));
        harness.app.GoNext(206);
        Open(std::string("cups-fault-") + fault, 206);
        ASSERT_TRUE(driver->Next());
        QCoreApplication::processEvents();
        EXPECT_EQ(driver->Current(), 206);
        EXPECT_EQ(harness.sink.shown, std::vector<std::string>{Failure(code)});
        EXPECT_TRUE(driver->IsEnabled("nextButton"));
        EXPECT_EQ(Journal(), std::string(fault) == "offline" ? "" : "record 5\n");
        driver->Screenshot();
        driver.reset();
        sheet.reset();
        harness.sink.shown.clear();
        harness.app.ClearHistory();
    }
}

TEST_P(CupsPrinterTest, NoSchedulerGivesNotFoundOnThePrinterPage) {
    AddPrinter();
    ASSERT_TRUE(cupsd_->Stop());
    harness.app.SetOperation(kOperationCarriageMotor);
    harness.app.GoNext(130);
    Open("cups-no-scheduler", 130);
    ASSERT_TRUE(NextTo(PageNumber(PageId::kPrinterSelection)));
    QCoreApplication::processEvents();
    EXPECT_EQ(harness.sink.shown, std::vector<std::string>{EntryText(Language(), 244)});
    EXPECT_FALSE(driver->IsEnabled("nextButton"));
    driver->Screenshot();
}

std::string CupsLanguageName(const ::testing::TestParamInfo<LanguageId>& info) {
    return info.param == kJapanese ? "Japanese" : "English";
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, CupsPrinterTest, ::testing::Values(kEnglish, kJapanese),
                         CupsLanguageName);

}  // namespace
}  // namespace qx7::test
