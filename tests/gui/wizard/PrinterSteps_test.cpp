// The pages that send a command (279 172 283 281 206 148) against a simulated printer in each
// of its fault modes: the exact message, the page stays, and the journal shows that nothing
// beyond the failing command reached the printer. Also the hourglass during the step and a
// double click on Next while a silent printer holds it up.

#include <gtest/gtest.h>

#include <ostream>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <functional>

#include "core/app/PageFlow.h"
#include "core/comm/PrinterLink.h"
#include "core/comm/Sleeper.h"
#include "gui/support/PageTest.h"

namespace qx7::test {
namespace {

// The waits between the polls of a reply: no real time passes, but the test may act while
// the step holds the window (as a user clicking meanwhile would).
class WatchingSleeper final : public ISleeper {
  public:
    void SleepMilliseconds(int) override {
        ++calls;
        const QCursor* cursor = QGuiApplication::overrideCursor();
        hourglass = hourglass || (cursor != nullptr && cursor->shape() == Qt::WaitCursor);
        if (calls == 1 && onFirstWait) {
            onFirstWait();
        }
    }
    int calls = 0;
    bool hourglass = false;
    std::function<void()> onFirstWait;
};

struct StepPage {
    int page;
    int operation;
    const char* journal;  // the command the page sends
};

const StepPage kStepPages[] = {
    {279, kOperationMainBoard, "record 2\n"},
    {172, kOperationBattery, "record 6\n"},
    {283, kOperationTubePump, "record 4\n"},
    {281, kOperationResetTubeWarning, "record 3\n"},
    {206, kOperationCarriageMotor, "record 5\n"},
    {148, kOperationCarriageMotor, "carriage-speed\n"},
};

struct Fault {
    const char* mode;
    int linkCode;  // the failing step's result code
};

const Fault kFaults[] = {
    {"offline", kLinkNotReady},
    {"silent", kLinkNoReply},
    {"refuse", kLinkReplyStatus},
    {"garble", kLinkReplyFraming},
};

void PrintTo(const StepPage& step, std::ostream* os) {
    *os << "page " << step.page;
}
void PrintTo(const Fault& fault, std::ostream* os) {
    *os << fault.mode;
}

// The code each page shows with message 237 (0: the text alone).
int ShownCode(int page, int linkCode) {
    switch (page) {
        case 279:
            return -66;
        case 281:
            return -69;
        case 206:
        case 148:
            return linkCode;
        default:
            return 0;
    }
}

class PrinterStepTest : public PageTest {
  protected:
    explicit PrinterStepTest(LanguageId language) : PageTest(language) {}

    // The sheet on the page as the road reaches it, with the simulator as the chosen printer.
    void ArriveWithPrinter(const StepPage& step, const std::vector<std::string>& simOptions) {
        StartPrinter("QX-7 Simulator", simOptions);
        harness.app.Printer().SetServices(harness.spoolDirectory.get(), &sleeper, &harness.clock);
        harness.app.Printer().SetSelectedPrinter("QX-7 Simulator");
        harness.app.SetOperation(step.operation);
        harness.app.GoNext(PageNumber(PageId::kPrinterSelection));
        harness.app.GoNext(step.page);
        Open("steps", step.page);
    }

    // Ends the sheet and the printer, for the next round of a loop.
    void CloseAll() {
        driver.reset();
        sheet.reset();
        simulators.clear();
        harness.sink.shown.clear();
        harness.app.ClearHistory();
    }

    std::string Failure(int code) const {
        const std::string text = EntryText(Language(), 237);
        return code == 0 ? text : text + " (" + std::to_string(code) + ")";
    }

    WatchingSleeper sleeper;
};

class PrinterFaultTest : public PrinterStepTest,
                         public ::testing::TestWithParam<std::tuple<LanguageId, StepPage, Fault>> {
  protected:
    PrinterFaultTest() : PrinterStepTest(std::get<0>(GetParam())) {}
};

TEST_P(PrinterFaultTest, FailureShowsItsMessageStaysAndSendsNoMore) {
    const StepPage& step = std::get<1>(GetParam());
    const Fault& fault = std::get<2>(GetParam());
    ArriveWithPrinter(step, {"--fault", fault.mode});
    const std::vector<int> history = harness.app.History();

    ASSERT_TRUE(driver->Next());
    QCoreApplication::processEvents();
    EXPECT_EQ(driver->Current(), step.page);
    EXPECT_EQ(harness.sink.shown,
              std::vector<std::string>{Failure(ShownCode(step.page, fault.linkCode))});
    EXPECT_EQ(harness.app.History(), history);
    EXPECT_TRUE(driver->IsEnabled("nextButton"));
    EXPECT_TRUE(driver->IsEnabled("backButton"));
    // An offline printer gets nothing; otherwise the page's one command, and on 279 the
    // address is not reset after the statistics failed.
    const std::string sent = std::string(fault.mode) == "offline" ? "" : step.journal;
    EXPECT_EQ(simulators[0]->Journal(), sent);

    // Next again tries again, once more.
    ASSERT_TRUE(driver->Next());
    QCoreApplication::processEvents();
    EXPECT_EQ(driver->Current(), step.page);
    EXPECT_EQ(harness.sink.shown.size(), 2u);
    EXPECT_EQ(simulators[0]->Journal(), sent + sent);
}

std::string FaultName(
    const ::testing::TestParamInfo<std::tuple<LanguageId, StepPage, Fault>>& info) {
    return std::string(std::get<0>(info.param) == kJapanese ? "Japanese" : "English") +
           std::to_string(std::get<1>(info.param).page) + "_" + std::get<2>(info.param).mode;
}

INSTANTIATE_TEST_SUITE_P(EveryPageAndFault, PrinterFaultTest,
                         ::testing::Combine(::testing::Values(kEnglish, kJapanese),
                                            ::testing::ValuesIn(kStepPages),
                                            ::testing::ValuesIn(kFaults)),
                         FaultName);

class PrinterStepRulesTest : public PrinterStepTest, public ::testing::Test {
  protected:
    PrinterStepRulesTest() : PrinterStepTest(kEnglish) {}
};

TEST_F(PrinterStepRulesTest, ResetPageNamesTheSecondResetWhenOnlyItFailsAndRetriesBoth) {
    for (const char* mode : {"refuse", "offline", "silent", "garble"}) {
        SCOPED_TRACE(mode);
        ArriveWithPrinter(kStepPages[0], {"--fault", mode, "--fault-after", "1"});
        ASSERT_TRUE(driver->Next());
        QCoreApplication::processEvents();
        EXPECT_EQ(driver->Current(), 279);
        EXPECT_EQ(harness.sink.shown, std::vector<std::string>{Failure(-67)});
        const bool offline = std::string(mode) == "offline";
        EXPECT_EQ(simulators.back()->Journal(),
                  offline ? "record 2\n" : "record 2\naddress 0 0 0\n");
        // Both resets again: the statistics now fail too, so the address is left alone.
        ASSERT_TRUE(driver->Next());
        QCoreApplication::processEvents();
        EXPECT_EQ(harness.sink.shown, (std::vector<std::string>{Failure(-67), Failure(-66)}));
        EXPECT_EQ(simulators.back()->Journal(),
                  offline ? "record 2\n" : "record 2\naddress 0 0 0\nrecord 2\n");
        CloseAll();
    }
}

TEST_F(PrinterStepRulesTest, SuccessMovesOnAfterExactlyTheCommandsOfThePage) {
    for (const StepPage& step : kStepPages) {
        SCOPED_TRACE(step.page);
        ArriveWithPrinter(step, {});
        ASSERT_TRUE(
            NextTo(PageNumber(NextPageAfter(static_cast<PageId>(step.page), step.operation))));
        EXPECT_EQ(simulators.back()->Journal(),
                  step.page == 279 ? "record 2\naddress 0 0 0\n" : step.journal);
        EXPECT_TRUE(harness.sink.shown.empty());
        CloseAll();
    }
}

TEST_F(PrinterStepRulesTest, HourglassDuringTheStepExceptOnTheCarriageSpeedPage) {
    for (const StepPage& step : kStepPages) {
        SCOPED_TRACE(step.page);
        ArriveWithPrinter(step, {"--fault", "silent"});
        sleeper.hourglass = false;
        sleeper.calls = 0;
        ASSERT_TRUE(driver->Next());
        QCoreApplication::processEvents();
        EXPECT_GT(sleeper.calls, 0);
        EXPECT_EQ(sleeper.hourglass, step.page != 148);
        // Put back once the step is over, message included.
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        CloseAll();
    }
}

TEST_F(PrinterStepRulesTest, DoubleClickOnNextWhileASilentPrinterHoldsTheStepSendsOneCommand) {
    for (const StepPage& step : kStepPages) {
        SCOPED_TRACE(step.page);
        ArriveWithPrinter(step, {"--fault", "silent"});
        QPushButton* next = driver->Button("nextButton");
        // The second click of the double click arrives while the first one's step waits.
        sleeper.calls = 0;
        sleeper.onFirstWait = [next] {
            const QPointF centre = QRectF(next->rect()).center();
            const QPointF global = next->mapToGlobal(centre);
            for (const QEvent::Type type :
                 {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                  QEvent::MouseButtonRelease}) {
                QCoreApplication::postEvent(
                    next, new QMouseEvent(
                              type, centre, global, Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                              Qt::NoModifier));
            }
        };
        ASSERT_TRUE(driver->Next());
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        sleeper.onFirstWait = nullptr;
        EXPECT_EQ(driver->Current(), step.page);
        EXPECT_EQ(simulators.back()->Journal(), step.journal);  // one line: one command
        EXPECT_EQ(harness.sink.shown.size(), 1u);
        CloseAll();
    }
}

}  // namespace
}  // namespace qx7::test
