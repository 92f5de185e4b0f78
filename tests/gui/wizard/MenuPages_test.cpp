// The three pages that open every road: the parts menu 133, the operation menu 156 and the
// connection page 130, in the program's sheet (pages not built yet stand in with the base
// handlers).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "core/app/PageFlow.h"
#include "core/text/StringTable.h"
#include "gui/app/ControlText.h"
#include "gui/app/PageRegistry.h"
#include "gui/support/GuiHarness.h"
#include "gui/support/ScriptedPage.h"
#include "gui/support/SheetDriver.h"

namespace qx7::test {
namespace {

QString Entry(LanguageId language, int number) {
    std::string text;
    LoadLocalString(language, number, text);
    return QString::fromStdString(text);
}

class RoadStartTest : public ::testing::Test {
  protected:
    explicit RoadStartTest(LanguageId language = kEnglish, std::string arguments = {})
        : harness(language, arguments) {}

    void TearDown() override {
        driver.reset();
        sheet.reset();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }

    // Opens the program's sheet, on its first page unless another is given.
    void Open(const std::string& road, int startPage = 0) {
        sheet = harness.MakeSheet(WizardPages(), registry);
        driver = std::make_unique<SheetDriver>(*sheet, road);
        if (startPage != 0) {
            ASSERT_TRUE(sheet->SetActivePage(startPage));
        }
        ASSERT_TRUE(driver->Show());
    }

    // Chooses on the menu on show, presses Next and checks where it led.
    void ChooseAndGo(int choice, int expectedPage, int expectedOperation) {
        const int menu = driver->Current();
        ASSERT_TRUE(driver->Choose(choice)) << choice;
        ASSERT_TRUE(driver->Next()) << choice;
        ASSERT_TRUE(driver->WaitForPage(expectedPage)) << choice;
        EXPECT_EQ(harness.app.GetOperation(), expectedOperation) << choice;
        EXPECT_EQ(harness.app.History(), (std::vector<int>{menu, expectedPage})) << choice;
    }

    // Every control text the page table lists for the page on show, as the table has it.
    void ExpectTableTexts(LanguageId language) {
        for (const ControlText& text :
             PageControlTexts(driver->CurrentPage(), harness.app.GetOperation())) {
            EXPECT_EQ(driver->Text(text.control), Entry(language, text.stringNumber))
                << "control " << text.control;
        }
    }

    // No word-wrapped label of the page on show is cut short.
    void ExpectLabelsFit() {
        for (const QLabel* label : sheet->CurrentPage()->findChildren<QLabel*>()) {
            if (label->isVisible() && label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                    << label->objectName().toStdString();
            }
        }
    }

    GuiHarness harness;
    gui::PageRegistry registry = RegistryWithStandIns();
    std::unique_ptr<gui::WizardSheet> sheet;
    std::unique_ptr<SheetDriver> driver;
};

TEST_F(RoadStartTest, TheWizardOpensOnThePartsMenuWithLithiumBatteryAndOnlyNext) {
    Open("start");
    EXPECT_EQ(driver->Current(), PageNumber(PageId::kPartsMenu));
    EXPECT_TRUE(driver->IsChecked(1009));
    EXPECT_FALSE(driver->IsEnabled("backButton"));
    EXPECT_TRUE(driver->IsEnabled("nextButton"));
    EXPECT_EQ(harness.app.History(), std::vector<int>{133});
    EXPECT_EQ(harness.app.GetOperation(), 0);
    EXPECT_EQ(sheet->windowTitle(), Entry(kEnglish, 5001));
    ExpectTableTexts(kEnglish);
    EXPECT_EQ(driver->Text(1093), "QX-7 Service Tool for User: Version 2.0.4.0");
    for (int shown : {1009, 1012, 1013}) {
        EXPECT_TRUE(driver->IsShown(shown)) << shown;
    }
    for (int hidden : {1007, 1008, 1004, 1010}) {
        EXPECT_FALSE(driver->IsShown(hidden)) << hidden;
    }
    ExpectLabelsFit();
    driver->Screenshot();
}

TEST_F(RoadStartTest, EachVisiblePartOpensItsRoadAndBackStartsAfresh) {
    Open("parts");
    const struct {
        int choice;
        int operation;
    } roads[] = {{1012, 10}, {1013, 11}, {1009, 4}};
    for (const auto& road : roads) {
        ChooseAndGo(road.choice, PageNumber(PageId::kConnection), road.operation);
        ASSERT_TRUE(driver->Back());
        ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kPartsMenu)));
        EXPECT_EQ(harness.app.History(), std::vector<int>{133});
        EXPECT_EQ(harness.app.GetOperation(), 0);
        // The page keeps its choice between showings.
        EXPECT_TRUE(driver->IsChecked(road.choice));
    }
}

TEST_F(RoadStartTest, AltAndAChoicesLetterChoosesItAndEnterGoesOn) {
    harness.options.serviceMode = true;
    Open("alt-letters");
    // Every choice of the menu has a letter of its own, none of Back's, Next's or Finish's.
    QStringList letters;
    for (const char* button : {"backButton", "nextButton", "finishButton"}) {
        letters.append(gui::MnemonicOf(driver->Button(button)->text()));
    }
    for (int choice : {1009, 1012, 1013, 1007, 1008, 1004, 1010}) {
        auto* radio = driver->ControlAs<QAbstractButton>(choice);
        ASSERT_NE(radio, nullptr) << choice;
        const QString letter = gui::MnemonicOf(radio->text());
        EXPECT_EQ(letter.size(), 1) << choice;
        EXPECT_FALSE(letters.contains(letter)) << choice << " " << letter.toStdString();
        letters.append(letter);
        EXPECT_EQ(radio->accessibleName(), gui::WithoutMnemonics(radio->text())) << choice;
    }
    ExpectTableTexts(kEnglish);

    // Alt and the letter of the third part choose it; Enter is Next, on its road.
    auto* third = driver->ControlAs<QAbstractButton>(1013);
    const QString letter = gui::MnemonicOf(third->text());
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(letter[0].unicode()),
                    Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return third->isChecked(); }, 5000));
    EXPECT_EQ(QApplication::focusWidget(), third);
    driver->Press(Qt::Key_Return);
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kConnection)));
    EXPECT_EQ(harness.app.GetOperation(), 11);
    // Alt+B is Back.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::AltModifier);
    EXPECT_TRUE(driver->WaitForPage(PageNumber(PageId::kPartsMenu)));
}

TEST_F(RoadStartTest, ServiceModeShowsTheHiddenPartsAndTheirRoads) {
    harness.options.serviceMode = true;
    Open("service");
    for (int shown : {1009, 1012, 1013, 1007, 1008, 1004, 1010}) {
        EXPECT_TRUE(driver->IsShown(shown)) << shown;
    }
    driver->Screenshot();
    const struct {
        int choice;
        int page;
        int operation;
    } roads[] = {{1008, 263, 5}, {1004, 257, 9}, {1010, 130, 7}, {1007, 130, 8}};
    for (const auto& road : roads) {
        ChooseAndGo(road.choice, road.page, road.operation);
        ASSERT_TRUE(driver->Back());
        ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kPartsMenu)));
    }
}

TEST_F(RoadStartTest, TheConnectionPageShowsTheStepsAndKeepsTheRedWarningHidden) {
    harness.spooler.Add("QX-7 A");  // the printer selection that follows finds one
    Open("connect");
    ChooseAndGo(1009, PageNumber(PageId::kConnection), kOperationBattery);
    EXPECT_EQ(harness.app.GetCurrentPage(), PageNumber(PageId::kConnection));
    EXPECT_TRUE(driver->IsEnabled("backButton"));
    EXPECT_TRUE(driver->IsEnabled("nextButton"));
    ExpectTableTexts(kEnglish);
    EXPECT_FALSE(driver->IsShown(1320));
    EXPECT_EQ(driver->Control(1320)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(sheet->windowTitle(), Entry(kEnglish, 5001));
    ExpectLabelsFit();
    driver->Screenshot();

    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kPrinterSelection)));
    EXPECT_EQ(harness.app.History(), (std::vector<int>{133, 130, 217}));
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(RoadStartTest, TheOperationMenuOffersItsRoadsAndNeverBack) {
    Open("operations", PageNumber(PageId::kOperationMenu));
    EXPECT_EQ(driver->Current(), PageNumber(PageId::kOperationMenu));
    EXPECT_TRUE(driver->IsChecked(1003));
    EXPECT_FALSE(driver->IsEnabled("backButton"));
    EXPECT_EQ(harness.app.History(), std::vector<int>{156});
    EXPECT_EQ(harness.app.GetCurrentPage(), PageNumber(PageId::kOperationMenu));
    ExpectTableTexts(kEnglish);
    EXPECT_EQ(driver->Text(1093), "QX-7 Service Tool : Version 2.0.4.0");
    EXPECT_FALSE(driver->IsShown(1027));
    ExpectLabelsFit();
    driver->Screenshot();

    const struct {
        int choice;
        int page;
        int operation;
    } roads[] = {{1026, 130, 12}, {1025, 178, 0}, {1028, 130, 14}};
    for (const auto& road : roads) {
        ChooseAndGo(road.choice, road.page, road.operation);
        ASSERT_TRUE(driver->Back());
        ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kOperationMenu)));
        EXPECT_EQ(harness.app.History(), std::vector<int>{156});
        EXPECT_EQ(harness.app.GetOperation(), 0);
        EXPECT_FALSE(driver->Back());
    }

    // The parts menu: code 3 on the way, 0 again on arrival.
    ASSERT_TRUE(driver->Choose(1003));
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kPartsMenu)));
    EXPECT_EQ(harness.app.GetOperation(), 0);
    EXPECT_EQ(harness.app.History(), std::vector<int>{133});
}

TEST_F(RoadStartTest, ServiceModeShowsTheBoardSettingChoiceWhichLeadsToThePartsMenu) {
    harness.options.serviceMode = true;
    Open("operations-service", PageNumber(PageId::kOperationMenu));
    ASSERT_TRUE(driver->IsShown(1027));
    EXPECT_EQ(driver->Text(1027), "Board Settings");
    ASSERT_TRUE(driver->Choose(1027));
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kPartsMenu)));
}

class DemoRoadTest : public RoadStartTest {
  protected:
    DemoRoadTest() : RoadStartTest(kEnglish, "-demo") {}
};

TEST_F(DemoRoadTest, TheBatteryRoadEndsOnThePartsMenuWithCodeZero) {
    Open("4");
    ASSERT_TRUE(harness.app.IsDemoMode());
    const std::vector<int> road{133, 130, 217, 160, 163, 172, 173, 133};
    for (std::size_t step = 1; step < road.size(); ++step) {
        ASSERT_TRUE(driver->Next()) << step;
        ASSERT_TRUE(driver->WaitForPage(road[step])) << step;
    }
    EXPECT_EQ(driver->PagesShown(), road);
    EXPECT_EQ(harness.app.GetOperation(), 0);
    EXPECT_EQ(harness.app.History(), std::vector<int>{133});
    EXPECT_TRUE(harness.spooler.calls.empty());
}

class JapaneseRoadStartTest : public RoadStartTest {
  protected:
    JapaneseRoadStartTest() : RoadStartTest(kJapanese) {}
};

TEST_F(JapaneseRoadStartTest, JapaneseTextsFitTheirPages) {
    harness.options.serviceMode = true;
    Open("start");
    ExpectTableTexts(kJapanese);
    EXPECT_EQ(sheet->windowTitle(), Entry(kJapanese, 5001));
    ExpectLabelsFit();
    driver->Screenshot();
    ChooseAndGo(1009, PageNumber(PageId::kConnection), kOperationBattery);
    ExpectTableTexts(kJapanese);
    EXPECT_EQ(driver->Text(1006).count(QLatin1Char('\n')), 3);  // four steps in Japanese
    ExpectLabelsFit();
    driver->Screenshot();
}

TEST_F(JapaneseRoadStartTest, JapaneseOperationMenu) {
    harness.options.serviceMode = true;
    Open("operations", PageNumber(PageId::kOperationMenu));
    ExpectTableTexts(kJapanese);
    ExpectLabelsFit();
    driver->Screenshot();
}

TEST(PageRegistration, EveryRegisteredClassIsTheTablesClassForItsPage) {
    const gui::PageRegistry& registry = gui::PageRegistry::Global();
    EXPECT_TRUE(registry.Duplicates().empty());
    for (const auto& [templateId, entry] : registry.Entries()) {
        const WizardPageInfo* info = FindWizardPage(templateId);
        ASSERT_NE(info, nullptr) << PageNumber(templateId);
        EXPECT_EQ(entry.className, info->windowClass) << PageNumber(templateId);
    }
    for (PageId page : {PageId::kPartsMenu, PageId::kOperationMenu, PageId::kConnection}) {
        EXPECT_NE(registry.Find(page), nullptr) << PageNumber(page);
    }
}

}  // namespace
}  // namespace qx7::test
