#include "core/app/ServicePageNext.h"

#include <gtest/gtest.h>

#include "core/app/LogFileChoice.h"
#include "core/app/PageFlow.h"
#include "core/app/PrinterDateFields.h"
#include "core/app/PrinterList.h"
#include "core/app/QVJServToolApp.h"
#include "core/app/ThermistorCalibration.h"
#include "support/FakeSleeper.h"
#include "support/FakeSpooler.h"
#include "support/RecordingMessageSink.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

// The tests write pages by their template numbers, as the history keeps them.
PageId Page(int number) {
    return static_cast<PageId>(number);
}

const std::string kCommunication =
    "Communication Error.\nCheck Connection and try again.\nIf another Communication Error "
    "occurs, QX-7 Printer needs restart.\nTurn QX-7 Printer OFF and ON and try again.";

class ServicePageTest : public ::testing::Test {
  protected:
    ServicePageTest() {
        spooler.Add("QX-7 A");
        app.Printer().SetServices(&spooler, &sleeper, &clock);
        app.Printer().SetSelectedPrinter("QX-7 A");
    }
    // The command codes of the jobs sent (byte 3 of the command block).
    std::vector<int> SentCommands() const {
        std::vector<int> commands;
        for (const auto& job : spooler.jobs) {
            commands.push_back(job[2467]);
        }
        return commands;
    }
    void Reply(std::uint8_t code, std::uint32_t status = 0) {
        spooler.QueueReply(test::FakeSpooler::MakeReply(code, status));
    }

    test::FakeSpooler spooler;
    test::FakeSleeper sleeper;
    test::SteppingClock clock{1700000000};
    test::RecordingMessageSink sink;
    CQVJServToolApp app{sink};
};

TEST_F(ServicePageTest, ResetPageRetriesBothStepsAfterAFailure) {
    app.SetOperation(kOperationMainBoard);
    app.GoNext(279);
    Reply(0x24, 1);
    EXPECT_EQ(ServicePageNext(app, Page(279)), -1);  // statistics refused: the address is not sent
    Reply(0x24);
    Reply(0x2D, 1);
    EXPECT_EQ(ServicePageNext(app, Page(279)), -1);
    Reply(0x24);
    Reply(0x2D);
    EXPECT_EQ(ServicePageNext(app, Page(279)), 148);
    EXPECT_EQ(SentCommands(), (std::vector<int>{0x42, 0x42, 0x41, 0x42, 0x41}));
    EXPECT_EQ(sink.shown,
              (std::vector<std::string>{kCommunication + " (-66)", kCommunication + " (-67)"}));
    EXPECT_EQ(app.History(), (std::vector<int>{279, 148}));
}

TEST_F(ServicePageTest, EachStepFailsWithItsOwnMessage) {
    spooler.printers[0].ready.bytes[0] = 1;  // switched off: every step fails at once
    for (const int page : {172, 283, 281, 206, 148}) {
        EXPECT_EQ(ServicePageNext(app, Page(page)), -1) << page;
    }
    // The carriage steps name the link's failing step: not ready.
    EXPECT_EQ(sink.shown,
              (std::vector<std::string>{kCommunication, kCommunication, kCommunication + " (-69)",
                                        kCommunication + " (-20)", kCommunication + " (-20)"}));
    EXPECT_TRUE(app.History().empty());
    EXPECT_TRUE(spooler.jobs.empty());
}

TEST_F(ServicePageTest, CarriageStepsShowTheCodeOfTheStepThatFailed) {
    app.SetOperation(kOperationCarriageMotor);
    app.GoNext(206);
    Reply(0x24, 1);
    EXPECT_EQ(ServicePageNext(app, Page(206)), -1);  // refused
    EXPECT_EQ(ServicePageNext(app, Page(148)), -1);  // no reply at all
    EXPECT_EQ(sink.shown,
              (std::vector<std::string>{kCommunication + " (-12)", kCommunication + " (-31)"}));
    EXPECT_EQ(app.History(), std::vector<int>{206});
    EXPECT_EQ(SentCommands(), (std::vector<int>{0x42, 0x35}));
}

TEST_F(ServicePageTest, StepsThatPassMoveOn) {
    app.SetOperation(kOperationBattery);
    Reply(0x24);
    EXPECT_EQ(ServicePageNext(app, Page(172)), 173);
    app.SetOperation(kOperationTubePump);
    Reply(0x24);
    EXPECT_EQ(ServicePageNext(app, Page(283)), 284);
    app.SetOperation(kOperationResetTubeWarning);
    Reply(0x24);
    EXPECT_EQ(ServicePageNext(app, Page(281)), 282);
    app.SetOperation(kOperationCarriageMotor);
    Reply(0x24);
    EXPECT_EQ(ServicePageNext(app, Page(206)), 148);
    Reply(0x28);
    EXPECT_EQ(ServicePageNext(app, Page(148)), 149);
    EXPECT_EQ(SentCommands(), (std::vector<int>{0x42, 0x42, 0x42, 0x42, 0x35}));
    // Record kinds: battery 6, pump 4, tube warning 3, carriage motor 5.
    EXPECT_EQ(spooler.jobs[0][2472], 6);
    EXPECT_EQ(spooler.jobs[1][2472], 4);
    EXPECT_EQ(spooler.jobs[2][2472], 3);
    EXPECT_EQ(spooler.jobs[3][2472], 5);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(ServicePageTest, PagesWithInputOfTheirOwnAreNotHandled) {
    for (const int page : {133, 156, 217, 136, 160, 178, 225}) {
        EXPECT_EQ(ServicePageNext(app, Page(page)), -1) << page;
    }
    EXPECT_TRUE(app.History().empty());
    EXPECT_TRUE(spooler.calls.empty());
}

// Every road once more in demo mode, each page answering through the core function its window
// page calls on Next: nothing reaches the printer and the roads come out as the menus promise.
TEST_F(ServicePageTest, DemoModeWalksEveryRoadWithoutAPrinter) {
    app.Start("/opt/qx7/qx7-service-tool", "-demo", kEnglish);
    test::TempDir dir;
    test::WriteFile(dir.File("p1.log"), "QX7LG1XX");
    const auto next = [&](int page) {
        switch (page) {
            case PageNumber(PageId::kPrinterSelection): {
                const PrinterListResult list = FillPrinterList(app);
                return PrinterSelectionNext(app, list.names.at(0));
            }
            case 136: {
                ThermistorValues values;
                return ThermistorCalibrationNext(app, true, ThermistorTextsFrom(values), values)
                    .page;
            }
            case 160:
                return SetDateNext(app, DateFieldTextsFrom({2015, 2, 1, 0, 0, 0}), clock).page;
            case PageNumber(PageId::kLogFileChoice):
                return LogFileNext(app, dir.File("p1.log"));
            default:
                return ServicePageNext(app, Page(page));
        }
    };
    const struct {
        int menu;
        int choice;
        std::vector<int> pages;
    } roads[] = {
        {133, 1009, {130, 217, 160, 163, 172, 173, 133}},
        {133, 1012, {130, 217, 206, 148, 149, 133}},
        {133, 1013, {130, 217, 283, 284, 133}},
        {133, 1010, {130, 217, 148, 149, 133}},
        {133, 1007, {130, 217, 157, 135, 136, 147, 156}},
        {133, 1008, {263, 130, 217, 157, 160, 163, 279, 148, 149, 135, 136, 257, 265, 286, 156}},
        {133, 1004, {257, 265, 156}},
        {156, 1026, {130, 217, 160, 163, 156}},
        {156, 1028, {130, 217, 281, 282, 156}},
        {156, 1025, {178, 225}},
    };
    for (const auto& road : roads) {
        SCOPED_TRACE(road.choice);
        EnterMenuPage(app, Page(road.menu));
        std::vector<int> shown;
        int page = LeaveMenuPage(app, Page(road.menu), {road.choice});
        while (page != kStayOnPage && shown.size() < 20) {
            shown.push_back(page);
            if (IsMenuPage(Page(page))) {
                break;
            }
            page = next(page);
        }
        EXPECT_EQ(shown, road.pages);
    }
    EXPECT_EQ(app.Printer().GetSelectedPrinter(), "Demonstration mode");
    EXPECT_TRUE(spooler.calls.empty());
    EXPECT_TRUE(sink.shown.empty());
}

}  // namespace
}  // namespace qx7
