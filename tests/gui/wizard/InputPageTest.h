#pragma once
// What the tests of the procedure pages share: the program's sheet (stand-ins for pages not
// built yet) opened on one page as if reached along its road, in the language of the test's
// parameter, and the texts the pages must show.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <memory>
#include <string>
#include <vector>

#include "core/app/PageFlow.h"
#include "core/text/StringTable.h"
#include "gui/wizard/WizardPage.h"
#include "gui/support/GuiHarness.h"
#include "gui/support/ScriptedPage.h"
#include "gui/support/SheetDriver.h"
#include "gui/support/SimPrinterProcess.h"

namespace qx7::test {

inline QString TableText(LanguageId language, int number) {
    std::string text;
    LoadLocalString(language, number, text);
    return QString::fromStdString(text);
}

inline const char* LanguageName(LanguageId language) {
    return language == kJapanese ? "Japanese" : "English";
}

// Names the instances of a test run in each language.
inline std::string LanguageCaseName(const ::testing::TestParamInfo<LanguageId>& param) {
    return LanguageName(param.param);
}

class InputPageTest : public ::testing::TestWithParam<LanguageId> {
  protected:
    InputPageTest() { Restart(); }

    void TearDown() override {
        driver.reset();
        sheet.reset();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }

    LanguageId Language() const { return GetParam(); }
    bool Japanese() const { return Language() == kJapanese; }
    // English or Japanese, as the test's language asks.
    QString Says(const char* english, const char* japanese) const {
        return QString::fromUtf8(Japanese() ? japanese : english);
    }

    // A fresh application object (e.g. "-demo"); before the sheet is made.
    void Restart(const std::string& arguments = {}) {
        harness = std::make_unique<GuiHarness>(GetParam(), arguments);
    }
    // A simulated printer behind the application object.
    void UseSimulator(const std::string& fault = "none") {
        sim = std::make_unique<SimPrinterProcess>(fault);
        ASSERT_TRUE(sim->Started()) << sim->Log();
        sim->Attach(*harness);
    }

    // Shows the sheet, then the last page of `road` as if the road had led there with the
    // operation code (the road starts on its menu page).
    void OpenAt(const std::string& shots, int operation, const std::vector<int>& road) {
        sheet = harness->MakeSheet(WizardPages(), registry);
        driver = std::make_unique<SheetDriver>(*sheet, shots);
        ASSERT_TRUE(driver->Show());
        harness->app.ClearHistory();
        for (int page : road) {
            harness->app.GoNext(page);
        }
        harness->app.SetOperation(operation);
        ASSERT_TRUE(sheet->SetActivePage(road.back()));
        ASSERT_TRUE(driver->WaitForPage(road.back()));
    }

    // Next (or Back) and the page it led to.
    void NextTo(int page) {
        QCoreApplication::processEvents();  // a box just ticked has opened Next
        ASSERT_TRUE(driver->Next()) << "Next to " << page;
        ASSERT_TRUE(driver->WaitForPage(page)) << "Next to " << page << ", on " << Current();
    }
    void BackTo(int page) {
        ASSERT_TRUE(driver->Back()) << "Back to " << page;
        ASSERT_TRUE(driver->WaitForPage(page)) << "Back to " << page << ", on " << Current();
    }
    // Next that stays on the page (a check or the printer refused).
    void NextStays() {
        const int page = Current();
        const std::vector<int> history = harness->app.History();
        ASSERT_TRUE(driver->Next());
        ASSERT_TRUE(driver->WaitForPage(page));
        EXPECT_EQ(harness->app.History(), history);
    }
    int Current() const { return driver->Current(); }
    bool NextEnabled() const { return driver->IsEnabled("nextButton"); }
    bool BackEnabled() const { return driver->IsEnabled("backButton"); }

    // The texts the page table lists for the page on show, from the table of the language.
    void ExpectTableTexts() {
        for (const ControlText& text :
             PageControlTexts(driver->CurrentPage(), harness->app.GetOperation())) {
            EXPECT_EQ(driver->Text(text.control), TableText(Language(), text.stringNumber))
                << "control " << text.control;
        }
        EXPECT_EQ(sheet->windowTitle(),
                  TableText(Language(), FindWizardPage(Current())->titleString));
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
    // The control that has the keyboard focus, by its number (0 for none or another).
    int FocusedControl() const {
        const QWidget* focus = QApplication::focusWidget();
        return focus != nullptr ? focus->objectName().toInt() : 0;
    }
    // Every message shown since the last call.
    std::vector<std::string> TakeShown() {
        std::vector<std::string> shown;
        shown.swap(harness->sink.shown);
        return shown;
    }
    std::vector<std::string> Shown(const QString& message) const { return {message.toStdString()}; }

    std::unique_ptr<GuiHarness> harness;
    std::unique_ptr<SimPrinterProcess> sim;
    gui::PageRegistry registry = RegistryWithStandIns();
    std::unique_ptr<gui::WizardSheet> sheet;
    std::unique_ptr<SheetDriver> driver;
};

}  // namespace qx7::test
