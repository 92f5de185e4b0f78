#pragma once
// A base for page tests: the harness in a language, the program's sheet with stand-ins for
// pages not built yet, a driver, checks of the page table's texts and of clipped labels, and
// simulated printers in a spool directory of the test's own.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <memory>
#include <string>
#include <vector>

#include "core/app/PageFlow.h"
#include "core/text/StringTable.h"
#include "gui/app/WizardSheet.h"
#include "gui/wizard/WizardPage.h"
#include "gui/support/GuiHarness.h"
#include "gui/support/PrinterSimulator.h"
#include "gui/support/ScriptedPage.h"
#include "gui/support/SheetDriver.h"
#include "support/TempDir.h"

namespace qx7::test {

inline std::string EntryText(LanguageId language, int number) {
    std::string text;
    LoadLocalString(language, number, text);
    return text;
}

inline QString Entry(LanguageId language, int number) {
    return QString::fromStdString(EntryText(language, number));
}

class PageTest {
  protected:
    explicit PageTest(LanguageId language, const std::string& arguments = {})
        : harness(language, arguments) {}
    ~PageTest() {
        driver.reset();
        sheet.reset();
        simulators.clear();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }

    LanguageId Language() const { return harness.app.GetLanguage(); }

    // Opens the program's sheet on its first page, or on the page given.
    void Open(const std::string& road, int startPage = 0) {
        sheet = harness.MakeSheet(WizardPages(), registry);
        driver = std::make_unique<SheetDriver>(*sheet, road);
        if (startPage != 0) {
            ASSERT_TRUE(sheet->SetActivePage(startPage));
        }
        ASSERT_TRUE(driver->Show());
    }

    // A simulated printer in the test's spool directory, which the app then uses as its
    // spooler. options: further simulator options ({"--fault", "silent"}).
    PrinterSimulator& StartPrinter(const std::string& name = "QX-7 Simulator",
                                   const std::vector<std::string>& options = {}) {
        if (!harness.spoolDirectory) {
            harness.UseSpoolDirectory(spool.Path().string());
        }
        simulators.push_back(
            std::make_unique<PrinterSimulator>(spool.Path().string(), name, options));
        EXPECT_TRUE(simulators.back()->Started()) << simulators.back()->Output();
        return *simulators.back();
    }

    // Every control text the page table lists for the page on show, as the string table has it.
    void ExpectTableTexts() {
        for (const ControlText& text :
             PageControlTexts(driver->CurrentPage(), harness.app.GetOperation())) {
            EXPECT_EQ(driver->Text(text.control), Entry(Language(), text.stringNumber))
                << "page " << driver->Current() << " control " << text.control;
        }
    }

    // No word-wrapped label of the page on show is cut short, and every control lies within
    // the page.
    void ExpectNothingClipped() {
        const gui::WizardPage* page = sheet->CurrentPage();
        for (const QLabel* label : page->findChildren<QLabel*>()) {
            if (label->isVisible() && label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                    << "page " << driver->Current() << " " << label->objectName().toStdString();
            }
        }
        for (const QWidget* control : page->findChildren<QWidget*>()) {
            if (control->isVisible() && !control->objectName().isEmpty()) {
                const QRect inPage(control->mapTo(page, QPoint(0, 0)), control->size());
                EXPECT_TRUE(page->rect().contains(inPage))
                    << "page " << driver->Current() << " " << control->objectName().toStdString();
                EXPECT_GE(control->width(), control->minimumSizeHint().width())
                    << "page " << driver->Current() << " " << control->objectName().toStdString();
            }
        }
    }

    // Next, and where it led.
    bool NextTo(int page) { return driver->Next() && driver->WaitForPage(page); }
    bool BackTo(int page) { return driver->Back() && driver->WaitForPage(page); }

    GuiHarness harness;
    TempDir spool;
    gui::PageRegistry registry = RegistryWithStandIns();
    std::vector<std::unique_ptr<PrinterSimulator>> simulators;
    std::unique_ptr<gui::WizardSheet> sheet;
    std::unique_ptr<SheetDriver> driver;
};

}  // namespace qx7::test
