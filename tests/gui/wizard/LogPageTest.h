#pragma once
// The saved-log road in the program's sheet: 156, 178, 225 (pages not built yet stand in),
// with logs made by the generator in a folder of the test's own.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <filesystem>
#include <memory>
#include <string>

#include "core/app/PageFlow.h"
#include "core/text/StringTable.h"
#include "gui/wizard/WizardPage.h"
#include "gui/support/GuiHarness.h"
#include "gui/support/ScriptedPage.h"
#include "gui/support/SheetDriver.h"
#include "loggen/LogBuilder.h"
#include "support/TempDir.h"

namespace qx7::test {

inline QString Entry(LanguageId language, int number) {
    std::string text;
    LoadLocalString(language, number, text);
    return QString::fromStdString(text);
}

// The message as the sink records it: the entry in the language and the code.
inline std::string MessageWithCode(LanguageId language, int number, int code) {
    std::string text;
    LoadLocalString(language, number, text);
    return text + " (" + std::to_string(code) + ")";
}

class LogPageTest : public ::testing::Test {
  protected:
    explicit LogPageTest(LanguageId language = kEnglish, std::string arguments = {})
        : harness(language, arguments), startFolder_(std::filesystem::current_path()) {}

    void TearDown() override {
        driver.reset();
        sheet.reset();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
        // The log file page may have moved into a data folder of the test's.
        std::filesystem::current_path(startFolder_);
    }

    LanguageId Language() const { return harness.app.GetLanguage(); }

    // The program's sheet on the operation menu.
    void OpenOnMenu(const std::string& road) {
        sheet = harness.MakeSheet(WizardPages(), registry);
        driver = std::make_unique<SheetDriver>(*sheet, road);
        ASSERT_TRUE(sheet->SetActivePage(PageNumber(PageId::kOperationMenu)));
        ASSERT_TRUE(driver->Show());
    }

    // From the menu on show to the log file page.
    void ToLogFilePage() {
        ASSERT_TRUE(driver->Choose(1025));
        ASSERT_TRUE(driver->Next());
        ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    }

    // Opens the sheet and walks to the log file page.
    void OpenLogFilePage(const std::string& road) {
        OpenOnMenu(road);
        ToLogFilePage();
    }

    // Types the name on page 178 and presses Next, which leads to 225.
    void ToViewerPage(const std::string& logFile) {
        ASSERT_TRUE(driver->SetText(1095, QString::fromStdString(logFile)));
        ASSERT_TRUE(driver->Next());
        ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogViewers)));
    }

    // Every control text the page table lists for the page on show.
    void ExpectTableTexts() {
        for (const ControlText& text :
             PageControlTexts(driver->CurrentPage(), harness.app.GetOperation())) {
            EXPECT_EQ(driver->Text(text.control), Entry(Language(), text.stringNumber))
                << "control " << text.control;
        }
    }

    // No word-wrapped label of the page on show is cut short, and the page fits the sheet.
    void ExpectLabelsFit() {
        gui::WizardPage* page = sheet->CurrentPage();
        for (const QLabel* label : page->findChildren<QLabel*>()) {
            if (label->isVisible() && label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                    << label->objectName().toStdString();
            }
        }
        EXPECT_GE(page->height(), page->minimumSizeHint().height());
        EXPECT_GE(page->width(), page->minimumSizeHint().width());
    }

    // Logs of each form, written into the test's folder; the answer is the path.
    std::string PlainLog(const std::string& name) {
        const std::string path = dir.File(name);
        loggen::WriteBytes(path, ContainerBytes());
        return path;
    }
    std::string CompressedLog(const std::string& name) {
        const std::string path = dir.File(name);
        loggen::WriteBytes(path, loggen::Compress(ContainerBytes()));
        return path;
    }
    // The compressed stream cut in half: the file opens, but cannot be decompressed.
    std::string DamagedCompressedLog(const std::string& name) {
        std::string bytes = loggen::Compress(ContainerBytes());
        bytes.resize(bytes.size() / 2);
        const std::string path = dir.File(name);
        loggen::WriteBytes(path, bytes);
        return path;
    }
    // The log data alone, as a printer's memory dump holds it (no container).
    std::string BareLog(const std::string& name) {
        loggen::Ring ring(64);
        ring.Write(loggen::EntrySpec{500000000, 0, 4, 1, 0x0101, {}});
        const std::string path = dir.File(name);
        loggen::WriteBytes(path, ring.Bytes());
        return path;
    }

    GuiHarness harness;
    gui::PageRegistry registry = RegistryWithStandIns();
    std::unique_ptr<gui::WizardSheet> sheet;
    std::unique_ptr<SheetDriver> driver;
    TempDir dir;

  private:
    static std::string ContainerBytes() {
        loggen::Ring ring(64);
        ring.Write(loggen::EntrySpec{500000000, 0, 4, 1, 0x0101, {}});
        return loggen::ContainerBuilder()
            .SavedAt("201403151345")
            .TextBlock("Cust", "Test customer")
            .LogData(ring)
            .End()
            .Plain();
    }

    std::filesystem::path startFolder_;
};

}  // namespace qx7::test
