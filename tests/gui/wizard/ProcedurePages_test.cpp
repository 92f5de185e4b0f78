// The procedure pages without input of Parts exchange records, resets and carriage procedures
// (263 279 172 173 283 284 281 282 206 148 149 157) on their own: what each shows on arrival
// in both languages, its buttons, focus and Cancel rule, the confirmation box of 157, and
// where Next leads in demo mode.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>

#include "core/app/PageFlow.h"
#include "gui/app/PageRegistry.h"
#include "gui/app/WizardSheet.h"
#include "gui/support/PageTest.h"

namespace qx7::test {
namespace {

struct Arrival {
    int page;
    int operation;            // a road the page lies on
    std::vector<int> labels;  // the instruction labels, top to bottom
};

const Arrival kArrivals[] = {
    {263, kOperationMainBoard, {1304}},
    {279, kOperationMainBoard, {1321, 1322}},
    {172, kOperationBattery, {1083}},
    {173, kOperationBattery, {1084}},
    {283, kOperationTubePump, {1330}},
    {284, kOperationTubePump, {1331}},
    {281, kOperationResetTubeWarning, {1324, 1323}},
    {282, kOperationResetTubeWarning, {1325, 1326}},
    {206, kOperationCarriageMotor, {1161}},
    {148, kOperationCarriageMotor, {1043}},
    {149, kOperationCarriageMotor, {1044}},
    {157, kOperationCarriageBoard, {1329}},
};

void PrintTo(const Arrival& arrival, std::ostream* os) {
    *os << "page " << arrival.page << " code " << arrival.operation;
}

class ProcedurePageTest : public PageTest,
                          public ::testing::TestWithParam<std::tuple<LanguageId, Arrival>> {
  protected:
    ProcedurePageTest() : PageTest(std::get<0>(GetParam()), "-demo") {}
    const Arrival& Page() const { return std::get<1>(GetParam()); }
};

TEST_P(ProcedurePageTest, ArrivalShowsTheTextsButtonsAndFocusOfThePage) {
    const Arrival& arrival = Page();
    const WizardPageInfo& info = *FindWizardPage(arrival.page);
    harness.app.SetOperation(arrival.operation);
    Open("arrival", arrival.page);
    ASSERT_EQ(driver->Current(), arrival.page);

    EXPECT_EQ(sheet->windowTitle(), Entry(Language(), info.titleString));
    ExpectTableTexts();
    // The labels stack in the layout's order, each one with its whole text.
    int previousBottom = -1;
    for (const int number : arrival.labels) {
        const QWidget* label = driver->Control(number);
        ASSERT_NE(label, nullptr) << number;
        EXPECT_TRUE(label->isVisible()) << number;
        EXPECT_FALSE(driver->Text(number).isEmpty()) << number;
        EXPECT_GT(label->y(), previousBottom) << number;
        previousBottom = label->geometry().bottom();
    }
    ExpectNothingClipped();

    EXPECT_TRUE(driver->IsEnabled("backButton"));
    if (arrival.page == 157) {
        // Next waits for the box, which has the focus.
        EXPECT_FALSE(driver->IsEnabled("nextButton"));
        EXPECT_FALSE(driver->IsChecked(1328));
        EXPECT_EQ(QApplication::focusWidget(), driver->Control(1328));
    } else {
        // Instructions only: the focus rests on Next, which Enter presses.
        EXPECT_TRUE(driver->IsEnabled("nextButton"));
        EXPECT_EQ(QApplication::focusWidget(), driver->Button("nextButton"));
    }
    driver->Screenshot();
}

TEST_P(ProcedurePageTest, NextInDemoModeFollowsTheRoadWithoutAPrinter) {
    const Arrival& arrival = Page();
    harness.app.SetOperation(arrival.operation);
    Open("demo-next", arrival.page);
    if (arrival.page == 157) {
        ASSERT_TRUE(driver->Choose(1328));
        QCoreApplication::processEvents();
    }
    const int expected =
        PageNumber(NextPageAfter(static_cast<PageId>(arrival.page), arrival.operation));
    ASSERT_TRUE(NextTo(expected)) << arrival.page;
    EXPECT_EQ(harness.app.History().back(), expected);
    EXPECT_TRUE(harness.spooler.calls.empty());
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_P(ProcedurePageTest, CancelAsksWhereThePageTableSaysAndNoKeepsThePage) {
    const Arrival& arrival = Page();
    harness.app.SetOperation(arrival.operation);
    Open("cancel", arrival.page);
    harness.sink.answer = false;
    ASSERT_TRUE(driver->Cancel());
    if (FindWizardPage(arrival.page)->cancelAsks) {
        EXPECT_EQ(harness.sink.asked, std::vector<std::string>{EntryText(Language(), 113)});
        EXPECT_TRUE(sheet->isVisible());
        EXPECT_EQ(driver->Current(), arrival.page);
        EXPECT_TRUE(driver->IsEnabled("nextButton") || arrival.page == 157);
        harness.sink.answer = true;
        ASSERT_TRUE(driver->Cancel());
    } else {
        EXPECT_TRUE(harness.sink.asked.empty());
    }
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
}

std::string ArrivalName(const ::testing::TestParamInfo<std::tuple<LanguageId, Arrival>>& info) {
    return std::string(std::get<0>(info.param) == kJapanese ? "Japanese" : "English") +
           std::to_string(std::get<1>(info.param).page);
}

INSTANTIATE_TEST_SUITE_P(EveryPage, ProcedurePageTest,
                         ::testing::Combine(::testing::Values(kEnglish, kJapanese),
                                            ::testing::ValuesIn(kArrivals)),
                         ArrivalName);

class ProcedurePageRulesTest : public PageTest, public ::testing::Test {
  protected:
    ProcedurePageRulesTest() : PageTest(kEnglish, "-demo") {}
};

TEST_F(ProcedurePageRulesTest, OriginPageOpensNextOnlyWhileTickedAndClearsTheBoxOnEveryArrival) {
    harness.app.SetOperation(kOperationCarriageBoard);
    harness.app.GoNext(157);
    Open("origin", 157);
    EXPECT_FALSE(driver->Next());
    ASSERT_TRUE(driver->Choose(1328));
    QCoreApplication::processEvents();
    EXPECT_TRUE(driver->IsEnabled("nextButton"));
    ASSERT_TRUE(driver->Choose(1328));  // cleared again
    QCoreApplication::processEvents();
    EXPECT_FALSE(driver->IsEnabled("nextButton"));
    // Space on the focused box ticks it as a click does.
    driver->Press(Qt::Key_Space);
    QCoreApplication::processEvents();
    EXPECT_TRUE(driver->IsChecked(1328));
    EXPECT_TRUE(driver->IsEnabled("nextButton"));

    // Code 8 goes on to the thermistor; coming back finds the box clear and Next greyed.
    ASSERT_TRUE(NextTo(135));
    ASSERT_TRUE(BackTo(157));
    EXPECT_FALSE(driver->IsChecked(1328));
    EXPECT_FALSE(driver->IsEnabled("nextButton"));

    // Any other code goes on to the printer clock.
    harness.app.SetOperation(kOperationMainBoard);
    ASSERT_TRUE(driver->Choose(1328));
    QCoreApplication::processEvents();
    ASSERT_TRUE(NextTo(160));
}

// The rows of the procedure page table: each page is made by the class its kind names (not a
// stand-in), under its own number.
TEST_F(ProcedurePageRulesTest, EachTablePageIsServedByTheClassOfItsKind) {
    const std::pair<int, std::string> served[] = {
        {263, "ProcedurePage"},       {279, "ProcedurePage"},       {148, "ProcedurePage"},
        {149, "ProcedurePage"},       {172, "ProcedurePage"},       {173, "ProcedurePage"},
        {283, "ProcedurePage"},       {284, "ProcedurePage"},       {206, "ProcedurePage"},
        {281, "ProcedurePage"},       {282, "ProcedurePage"},       {157, "ProcedurePage"},
        {257, "MaintenanceToolPage"}, {265, "MaintenanceToolPage"}, {286, "MaintenanceToolPage"},
    };
    Open("classes", 263);
    for (const auto& [page, className] : served) {
        const gui::PageRegistry::Entry* entry =
            gui::PageRegistry::Global().Find(static_cast<PageId>(page));
        ASSERT_NE(entry, nullptr) << page;
        EXPECT_EQ(entry->className, className) << page;
        const gui::WizardPage* made = sheet->Page(page);
        ASSERT_NE(made, nullptr) << page;
        EXPECT_EQ(PageNumber(made->TemplateId()), page);
        EXPECT_EQ(made->metaObject()->className(), "qx7::gui::" + className) << page;
    }
}

TEST_F(ProcedurePageRulesTest, TubeWarningPagesKeepTheButtonsThePageBeforeLeft) {
    harness.app.SetOperation(kOperationResetTubeWarning);
    Open("unchanged", 157);  // Back only
    ASSERT_TRUE(sheet->SetActivePage(281));
    QCoreApplication::processEvents();
    EXPECT_TRUE(driver->IsEnabled("backButton"));
    EXPECT_FALSE(driver->IsEnabled("nextButton"));
    ASSERT_TRUE(sheet->SetActivePage(130));  // Back and Next
    ASSERT_TRUE(sheet->SetActivePage(282));
    QCoreApplication::processEvents();
    EXPECT_TRUE(driver->IsEnabled("nextButton"));
    EXPECT_TRUE(driver->IsEnabled("backButton"));
}

TEST_F(ProcedurePageRulesTest, PagesThatDependOnTheOperationCodeTakeTheirRoad) {
    const struct {
        int page;
        int operation;
        int next;
    } cases[] = {
        {173, kOperationBattery, 133},      {173, kOperationMainBoard, 148},
        {173, kOperationSetClock, 156},     {284, kOperationTubePump, 133},
        {284, kOperationMainBoard, 148},    {284, kOperationResetTubeWarning, 156},
        {149, kOperationMainBoard, 135},    {149, kOperationCarriageMotor, 133},
        {149, kOperationCarriageBelt, 133}, {279, kOperationMainBoard, 148},
        {263, kOperationMainBoard, 130},
    };
    Open("codes", 263);
    for (const auto& c : cases) {
        harness.app.SetOperation(c.operation);
        ASSERT_TRUE(sheet->SetActivePage(c.page));
        QCoreApplication::processEvents();
        ASSERT_TRUE(NextTo(c.next)) << c.page << " code " << c.operation;
    }
}

}  // namespace
}  // namespace qx7::test
