// Whole roads through the pages of the carriage and parts-exchange procedures, from the menu
// back to the menu, in both languages, in demo mode and against a simulated printer: the
// pages shown, what reached the printer (the simulator's journal), and Back at every step of
// the road walking it back to its menu.

#include <gtest/gtest.h>

#include <ostream>

#include "core/app/PageFlow.h"
#include "gui/support/PageTest.h"

namespace qx7::test {
namespace {

struct Road {
    const char* name;
    int operation;
    int choice;        // on the menu page, the road's first page
    bool serviceMode;  // the choice is hidden without --service
    std::vector<int> pages;
    const char* journal;  // one round of the road
};

const Road kRoads[] = {
    {"carriage-motor",
     kOperationCarriageMotor,
     1012,
     false,
     {133, 130, 217, 206, 148, 149, 133},
     "record 5\ncarriage-speed\n"},
    {"tube-pump", kOperationTubePump, 1013, false, {133, 130, 217, 283, 284, 133}, "record 4\n"},
    {"carriage-belt",
     kOperationCarriageBelt,
     1010,
     true,
     {133, 130, 217, 148, 149, 133},
     "carriage-speed\n"},
    {"tube-warning",
     kOperationResetTubeWarning,
     1028,
     false,
     {156, 130, 217, 281, 282, 156},
     "record 3\n"},
};

enum class Mode { kDemo, kSimulator };

void PrintTo(const Road& road, std::ostream* os) {
    *os << road.name;
}
void PrintTo(Mode mode, std::ostream* os) {
    *os << (mode == Mode::kDemo ? "demo" : "simulator");
}

// The first n pages of a road.
std::vector<int> Head(const std::vector<int>& pages, std::size_t n) {
    return {pages.begin(), pages.begin() + static_cast<std::ptrdiff_t>(n)};
}

class CarriageAndPartsRoadTest : public PageTest,
                        public ::testing::TestWithParam<std::tuple<LanguageId, Mode, Road>> {
  protected:
    CarriageAndPartsRoadTest()
        : PageTest(std::get<0>(GetParam()), std::get<1>(GetParam()) == Mode::kDemo ? "-demo" : "") {
    }
    const Road& TheRoad() const { return std::get<2>(GetParam()); }
    bool Demo() const { return std::get<1>(GetParam()) == Mode::kDemo; }

    // Chooses the road on its menu page and presses Next up to `last` (an index into pages).
    void Forward(std::size_t last) {
        const Road& road = TheRoad();
        ASSERT_EQ(driver->Current(), road.pages.front());
        ASSERT_TRUE(driver->Choose(road.choice));
        for (std::size_t step = 1; step <= last; ++step) {
            ASSERT_TRUE(NextTo(road.pages[step])) << "step " << step;
            EXPECT_EQ(harness.app.GetOperation(),
                      step + 1 == road.pages.size() ? kOperationNone : road.operation);
            driver->Screenshot();
        }
    }
};

TEST_P(CarriageAndPartsRoadTest, RoadThereBackAndThereAgain) {
    const Road& road = TheRoad();
    PrinterSimulator& printer = StartPrinter();
    harness.options.serviceMode = road.serviceMode;
    Open(road.name, road.pages.front());
    const std::string once = Demo() ? "" : road.journal;
    const std::string printerName = Demo() ? "Demonstration mode" : "QX-7 Simulator";

    // Up to the last page before the menu: the history is the road so far.
    const std::size_t last = road.pages.size() - 2;
    Forward(last);
    EXPECT_EQ(harness.app.History(), Head(road.pages, last + 1));
    EXPECT_EQ(harness.app.Printer().GetSelectedPrinter(), printerName);
    EXPECT_EQ(printer.Journal(), once);

    // Back, page by page, to the menu; nothing more reaches the printer.
    for (std::size_t step = last; step > 0; --step) {
        ASSERT_TRUE(BackTo(road.pages[step - 1])) << "back from " << road.pages[step];
        EXPECT_EQ(harness.app.History(), Head(road.pages, step));
    }
    EXPECT_FALSE(driver->IsEnabled("backButton"));
    EXPECT_EQ(harness.app.GetOperation(), kOperationNone);
    EXPECT_EQ(printer.Journal(), once);

    // The whole road, to the menu again with a fresh history.
    Forward(road.pages.size() - 1);
    EXPECT_EQ(harness.app.History(), std::vector<int>{road.pages.back()});
    EXPECT_EQ(printer.Journal(), once + once);
    EXPECT_TRUE(harness.sink.shown.empty());

    std::vector<int> expected = Head(road.pages, last + 1);
    expected.insert(expected.end(), road.pages.rbegin() + 2, road.pages.rend());
    expected.insert(expected.end(), road.pages.begin() + 1, road.pages.end());
    EXPECT_EQ(driver->PagesShown(), expected);
}

std::string RoadName(const ::testing::TestParamInfo<std::tuple<LanguageId, Mode, Road>>& info) {
    std::string name = std::string(std::get<0>(info.param) == kJapanese ? "Japanese" : "English") +
                       (std::get<1>(info.param) == Mode::kDemo ? "Demo" : "Simulator") +
                       std::to_string(std::get<2>(info.param).operation);
    return name;
}

INSTANTIATE_TEST_SUITE_P(Roads, CarriageAndPartsRoadTest,
                         ::testing::Combine(::testing::Values(kEnglish, kJapanese),
                                            ::testing::Values(Mode::kDemo, Mode::kSimulator),
                                            ::testing::ValuesIn(kRoads)),
                         RoadName);

}  // namespace
}  // namespace qx7::test
