#include "core/app/PageFlow.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "core/app/QVJServToolApp.h"
#include "core/text/StringTable.h"
#include "support/RecordingMessageSink.h"

namespace qx7 {
namespace {

// The tests write pages by their template numbers, as the history keeps them; 999 is none.
PageId Page(int number) {
    return static_cast<PageId>(number);
}
int Next(int page, int operation) {
    return PageNumber(NextPageAfter(Page(page), operation));
}

TEST(WizardPagesTest, SheetOrderClassesAndLookup) {
    const int order[] = {133, 156, 130, 217, 135, 136, 147, 279, 148, 149, 160, 163, 172,
                         173, 283, 284, 178, 225, 206, 257, 263, 265, 286, 281, 282, 157};
    const auto pages = WizardPages();
    ASSERT_EQ(pages.size(), 26u);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(PageNumber(pages[i].templateId), order[i]) << i;
        EXPECT_EQ(FindWizardPage(order[i]), &pages[i]);
    }
    EXPECT_STREQ(FindWizardPage(133)->className, "CServChgParts");
    EXPECT_STREQ(FindWizardPage(217)->className, "CServPSel");
    EXPECT_STREQ(FindWizardPage(178)->className, "CChkLog1");
    EXPECT_STREQ(FindWizardPage(263)->className, "CInAdvanceMain");
    EXPECT_STREQ(FindWizardPage(157)->className, "CCROrigin");
    EXPECT_EQ(FindWizardPage(134), nullptr);
    EXPECT_EQ(FindWizardPage(-1), nullptr);
}

TEST(WizardPagesTest, PagesAndTheirNumbersConvertBothWays) {
    for (const WizardPageInfo& page : WizardPages()) {
        const int number = PageNumber(page.templateId);
        EXPECT_EQ(PageFromNumber(number), page.templateId) << number;
        EXPECT_EQ(FindWizardPage(page.templateId), FindWizardPage(number)) << number;
    }
    EXPECT_EQ(PageNumber(PageId::kPrinterSelection), 217);
    EXPECT_EQ(FindWizardPage(Page(999)), nullptr);
    EXPECT_EQ(PageNumber(std::nullopt), kStayOnPage);
    // Numbers the history may hold that are no page: staying, nothing yet, an unknown one.
    for (const int number : {kStayOnPage, 0, 134, 999}) {
        EXPECT_EQ(PageFromNumber(number), std::nullopt) << number;
    }
}

TEST(WizardPagesTest, TitlesResolveInBothLanguages) {
    const std::pair<int, const char*> titles[] = {
        {133, "QX-7 Service Tool for User"},
        {156, "QX-7 Service Tool for User"},
        {217, "Select QX-7 Printer"},
        {148, "Carriage Speed Adjustment "},
        {149, "Carriage Speed Adjustment"},
        {172, "Set battery exchange information"},
        {283, "Set tube pump exchange information"},
        {284, "Set tube pump exchange information"},
        {281, "Reset Tube Clean W warning"},
        {282, "Reset Tube Clean W warning"},
        {225, "Check Log and Settings data"},
        {157, "CR Origin"},
    };
    for (const auto& [page, title] : titles) {
        EXPECT_EQ(StringTable::BuiltIn(kEnglish).Find(FindWizardPage(page)->titleString), title)
            << page;
    }
    std::map<int, int> pagesPerTitle;
    for (const WizardPageInfo& page : WizardPages()) {
        EXPECT_GE(page.titleString, 5001);
        std::string japanese;
        EXPECT_EQ(LoadLocalString(kJapanese, page.titleString, japanese), 0)
            << PageNumber(page.templateId);
        ++pagesPerTitle[page.titleString];
    }
    // One number per distinct title: the pages sharing a caption share its entry.
    EXPECT_EQ(pagesPerTitle.size(), 18u);
    EXPECT_EQ(FindWizardPage(135)->titleString, FindWizardPage(147)->titleString);
    EXPECT_NE(FindWizardPage(148)->titleString, FindWizardPage(149)->titleString);
}

TEST(WizardPagesTest, ButtonsConfirmBoxesAndCancel) {
    const std::set<int> asks = {135, 136, 148, 160, 163, 172, 173, 206, 283, 284};
    const std::map<int, int> boxes = {
        {135, 1327}, {157, 1328}, {257, 1298}, {265, 1312}, {286, 1335}};
    for (const WizardPageInfo& page : WizardPages()) {
        SCOPED_TRACE(PageNumber(page.templateId));
        EXPECT_EQ(page.cancelAsks, asks.contains(PageNumber(page.templateId)));
        const auto box = boxes.find(PageNumber(page.templateId));
        EXPECT_EQ(page.confirmBox, box == boxes.end() ? 0 : box->second);
        if (page.confirmBox != 0) {
            EXPECT_EQ(page.buttonsOnShow, kWizardBack);
        }
    }
    EXPECT_EQ(FindWizardPage(133)->buttonsOnShow, kWizardNext);
    EXPECT_EQ(FindWizardPage(156)->buttonsOnShow, kWizardNext);  // Back never on the menu
    EXPECT_EQ(FindWizardPage(217)->buttonsOnShow, kWizardBack);
    EXPECT_EQ(FindWizardPage(225)->buttonsOnShow, kWizardBackFinish);
    EXPECT_EQ(FindWizardPage(281)->buttonsOnShow, kButtonsUnchanged);
    EXPECT_EQ(FindWizardPage(282)->buttonsOnShow, kButtonsUnchanged);
    EXPECT_EQ(FindWizardPage(263)->buttonsOnShow, kWizardBackNext);
    EXPECT_EQ(ConfirmBoxButtons(true), 3);
    EXPECT_EQ(ConfirmBoxButtons(false), 1);
    EXPECT_EQ(PrinterListButtons(true), 3);
    EXPECT_EQ(PrinterListButtons(false), 1);
}

TEST(MenuDecisionTest, PartsMenuTakesTheFirstSelectedInTestOrder) {
    const auto decide = [](std::vector<int> selected) {
        const MenuDecision d = PartsMenuDecision(selected);
        return std::pair{d.operation, PageNumber(d.nextPage)};
    };
    EXPECT_EQ(decide({1009}), std::pair(4, 130));
    EXPECT_EQ(decide({1012}), std::pair(10, 130));
    EXPECT_EQ(decide({1013}), std::pair(11, 130));
    EXPECT_EQ(decide({1010}), std::pair(7, 130));
    EXPECT_EQ(decide({1007}), std::pair(8, 130));
    EXPECT_EQ(decide({1008}), std::pair(5, 263));
    EXPECT_EQ(decide({1004}), std::pair(9, 257));
    EXPECT_EQ(decide({}), std::pair(9, 257));
    EXPECT_EQ(decide({1003}), std::pair(9, 257));  // not a choice of this page
    // 1013 is tested before 1009, 1010 before 1008.
    EXPECT_EQ(decide({1009, 1013}), std::pair(11, 130));
    EXPECT_EQ(decide({1008, 1010}), std::pair(7, 130));
    EXPECT_EQ(decide({1007, 1008}), std::pair(5, 263));
}

TEST(MenuDecisionTest, OperationMenu) {
    const auto decide = [](std::vector<int> selected) {
        const MenuDecision d = OperationMenuDecision(selected);
        return std::pair{d.operation, PageNumber(d.nextPage)};
    };
    EXPECT_EQ(decide({1026}), std::pair(12, 130));
    EXPECT_EQ(decide({1025}), std::pair(0, 178));
    EXPECT_EQ(decide({1028}), std::pair(14, 130));
    EXPECT_EQ(decide({1003}), std::pair(3, 133));
    EXPECT_EQ(decide({1027}), std::pair(3, 133));
    EXPECT_EQ(decide({}), std::pair(3, 133));
    EXPECT_EQ(decide({1028, 1025}), std::pair(0, 178));
    EXPECT_EQ(decide({1025, 1026}), std::pair(12, 130));
}

TEST(NextPageTest, PagesThatDependOnTheOperation) {
    EXPECT_EQ(Next(217, 4), 160);
    EXPECT_EQ(Next(217, 12), 160);
    EXPECT_EQ(Next(217, 5), 157);
    EXPECT_EQ(Next(217, 8), 157);
    EXPECT_EQ(Next(217, 7), 148);
    EXPECT_EQ(Next(217, 10), 206);
    EXPECT_EQ(Next(217, 11), 283);
    EXPECT_EQ(Next(217, 14), 281);
    for (const int code : {0, 3, 9, 13, -1}) {
        EXPECT_EQ(Next(217, code), kStayOnPage) << code;
    }
    EXPECT_EQ(Next(173, 5), 148);  // main board road after a battery record
    EXPECT_EQ(Next(173, 0), 156);
    EXPECT_EQ(Next(284, 5), 148);
    EXPECT_EQ(Next(284, 14), 156);
    EXPECT_EQ(Next(163, 8), 172);
    EXPECT_EQ(Next(149, 10), 133);
    EXPECT_EQ(Next(157, 0), 160);
    EXPECT_EQ(Next(265, 9), 156);
    EXPECT_EQ(Next(225, 0), kStayOnPage);
    EXPECT_EQ(Next(133, 4), kStayOnPage);
    EXPECT_EQ(Next(999, 4), kStayOnPage);
}

// Walks roads as the pages do: menus through EnterMenuPage/LeaveMenuPage, the others through
// GoToNextPage, every page arriving with the history it would have.
class RoadTest : public ::testing::Test {
  protected:
    void Arrive(int page) {
        if (IsMenuPage(Page(page))) {
            EnterMenuPage(app, Page(page));
        }
    }
    // Walks from a menu with a choice; answers the pages shown (225 ends with Finish).
    std::vector<int> Walk(int menu, int choice) {
        Arrive(menu);
        std::vector<int> shown{menu};
        int page = LeaveMenuPage(app, Page(menu), {choice});
        while (page != kStayOnPage) {
            shown.push_back(page);
            Arrive(page);
            if (IsMenuPage(Page(page)) || shown.size() > 30) {
                break;
            }
            page = GoToNextPage(app, Page(page));
        }
        return shown;
    }

    test::RecordingMessageSink sink;
    CQVJServToolApp app{sink};
};

struct Road {
    int operation;
    int menu;
    int choice;
    std::vector<int> pages;
};

const Road kRoads[] = {
    {4, 133, 1009, {133, 130, 217, 160, 163, 172, 173, 133}},
    {10, 133, 1012, {133, 130, 217, 206, 148, 149, 133}},
    {11, 133, 1013, {133, 130, 217, 283, 284, 133}},
    {7, 133, 1010, {133, 130, 217, 148, 149, 133}},
    {8, 133, 1007, {133, 130, 217, 157, 135, 136, 147, 156}},
    {5,
     133,
     1008,
     {133, 263, 130, 217, 157, 160, 163, 279, 148, 149, 135, 136, 257, 265, 286, 156}},
    {9, 133, 1004, {133, 257, 265, 156}},
    {12, 156, 1026, {156, 130, 217, 160, 163, 156}},
    {14, 156, 1028, {156, 130, 217, 281, 282, 156}},
    {3, 156, 1003, {156, 133}},
    {0, 156, 1025, {156, 178, 225}},
};

TEST_F(RoadTest, EveryRoadForwards) {
    for (const Road& road : kRoads) {
        SCOPED_TRACE(road.operation);
        EXPECT_EQ(Walk(road.menu, road.choice), road.pages);
        if (road.pages.back() == 225) {
            // Finish ends the wizard there; the history holds the whole road.
            EXPECT_EQ(app.History(), road.pages);
            EXPECT_EQ(app.GetOperation(), 0);
            EXPECT_EQ(GoToNextPage(app, Page(225)), kStayOnPage);
            EXPECT_EQ(app.History(), road.pages);
        } else {
            // Back at a menu: a fresh history and no operation.
            EXPECT_EQ(app.History(), std::vector<int>{road.pages.back()});
            EXPECT_EQ(app.GetOperation(), 0);
            EXPECT_EQ(app.GoBack(), kStayOnPage);
        }
    }
}

TEST_F(RoadTest, BackFromEveryStepWalksTheRoadBackToItsMenu) {
    for (const Road& road : kRoads) {
        // Stop at every page that is no menu, then press Back until the menu is reached.
        for (std::size_t stop = 1; stop < road.pages.size(); ++stop) {
            if (IsMenuPage(Page(road.pages[stop]))) {
                continue;
            }
            SCOPED_TRACE(::testing::Message() << road.operation << " stop " << stop);
            Arrive(road.menu);
            int page = LeaveMenuPage(app, Page(road.menu), {road.choice});
            for (std::size_t i = 1; i < stop; ++i) {
                ASSERT_EQ(page, road.pages[i]);
                page = GoToNextPage(app, Page(page));
            }
            ASSERT_EQ(page, road.pages[stop]);
            const std::vector<int> walked(road.pages.begin(),
                                          road.pages.begin() + static_cast<long>(stop) + 1);
            EXPECT_EQ(app.History(), walked);
            EXPECT_EQ(app.GetOperation(), road.operation);
            for (std::size_t i = stop; i > 0; --i) {
                EXPECT_EQ(app.GoBack(), road.pages[i - 1]);
            }
            Arrive(road.menu);
            EXPECT_EQ(app.History(), std::vector<int>{road.menu});
            EXPECT_EQ(app.GetOperation(), 0);
            EXPECT_EQ(app.GoBack(), kStayOnPage);
        }
    }
}

TEST_F(RoadTest, StayingOnAPageLeavesTheHistory) {
    Arrive(133);
    ASSERT_EQ(LeaveMenuPage(app, Page(133), {1009}), 130);
    ASSERT_EQ(GoToNextPage(app, Page(130)), 217);
    app.SetOperation(13);  // no road behind the printer page for this code
    EXPECT_EQ(GoToNextPage(app, Page(217)), kStayOnPage);
    EXPECT_EQ(app.History(), (std::vector<int>{133, 130, 217}));
    EXPECT_EQ(LeaveMenuPage(app, Page(217), {1009}), kStayOnPage);
    EXPECT_EQ(app.History(), (std::vector<int>{133, 130, 217}));
}

TEST_F(RoadTest, ThirdRoadResetsTheCodeOnArrivalAtThePartsMenu) {
    Arrive(156);
    EXPECT_EQ(LeaveMenuPage(app, Page(156), {1003}), 133);
    EXPECT_EQ(app.GetOperation(), 3);
    Arrive(133);
    EXPECT_EQ(app.GetOperation(), 0);
    EXPECT_EQ(app.GetCurrentPage(), 133);
}

TEST(PageControlTextsTest, ListsInTheOrderThePagesSetThem) {
    using Texts = std::vector<std::pair<int, int>>;
    const auto texts = [](int page, int operation = 0) {
        Texts pairs;
        for (const ControlText& t : PageControlTexts(Page(page), operation)) {
            pairs.emplace_back(t.control, t.stringNumber);
        }
        return pairs;
    };
    EXPECT_EQ(texts(160), (Texts{{1066, 131},
                                 {1279, 325},
                                 {1280, 326},
                                 {1281, 327},
                                 {1282, 328},
                                 {1283, 329},
                                 {1284, 330},
                                 {1285, 331},
                                 {1073, 332}}));
    EXPECT_EQ(texts(133), (Texts{{1272, 310},
                                 {1009, 313},
                                 {1012, 317},
                                 {1013, 119},
                                 {1007, 314},
                                 {1008, 315},
                                 {1004, 311},
                                 {1010, 312},
                                 {1057, 381},
                                 {1094, 204}}));
    EXPECT_EQ(texts(156), (Texts{{1056, 126},
                                 {1057, 381},
                                 {1278, 324},
                                 {1003, 209},
                                 {1026, 226},
                                 {1025, 210},
                                 {1028, 390},
                                 {1094, 204}}));
    EXPECT_EQ(texts(135, 8), (Texts{{1007, 104}, {1327, 103}}));
    EXPECT_EQ(texts(135, 5), (Texts{{1007, 104}, {1327, 110}}));
    EXPECT_EQ(texts(178), (Texts{{1094, 148}, {1096, 308}, {65535, 309}}));
    EXPECT_EQ(texts(225), (Texts{{1187, 205},
                                 {1191, 333},
                                 {1189, 334},
                                 {1188, 335},
                                 {1208, 336},
                                 {1192, 337},
                                 {65535, 338}}));
    EXPECT_EQ(texts(283), (Texts{{1330, 120}}));
    EXPECT_EQ(texts(284), (Texts{{1331, 121}}));
    EXPECT_EQ(texts(265), (Texts{{1309, 375}, {1310, 376}, {1311, 378}, {1297, 364}, {1312, 380}}));
    EXPECT_EQ(texts(282), (Texts{{1325, 392}, {1326, 385}}));
    EXPECT_TRUE(texts(999).empty());
}

TEST(PageControlTextsTest, EveryPageSetsTextsThatResolveAndItsBoxText) {
    for (const WizardPageInfo& page : WizardPages()) {
        SCOPED_TRACE(PageNumber(page.templateId));
        for (const int operation : {0, 5}) {
            const auto texts = PageControlTexts(page.templateId, operation);
            EXPECT_FALSE(texts.empty());
            std::set<int> controls;
            for (const ControlText& text : texts) {
                EXPECT_TRUE(controls.insert(text.control).second) << "twice: " << text.control;
                for (const LanguageId language : {kEnglish, kJapanese}) {
                    std::string loaded;
                    EXPECT_EQ(LoadLocalString(language, text.stringNumber, loaded), 0)
                        << text.stringNumber;
                }
            }
            if (page.confirmBox != 0) {
                EXPECT_TRUE(controls.contains(page.confirmBox));
            }
        }
    }
}

}  // namespace
}  // namespace qx7
