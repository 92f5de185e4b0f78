// The entry browser: opened from the log page and from the command line, its rows are the text
// export's lines; filters, search, date jump and copy; unreadable logs; nothing left behind.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <sstream>

#include "core/log/FirmLogCode.h"
#include "gui/app/Startup.h"
#include "gui/log/EntryBrowser.h"
#include "gui/log/EntryBrowserTexts.h"
#include "gui/log/EntryTableModel.h"
#include "gui/log/LogViewerTest.h"

namespace qx7::test {
namespace {

constexpr std::uint32_t kFirstTime = 480000000;  // 2015-03-18 13:20:00 UTC, 22:20 in Tokyo

std::vector<QString> Lines(const std::string& text) {
    std::vector<QString> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(QString::fromStdString(line));
    }
    return lines;
}

// Open files of this process that are deleted or unnamed (an inflated copy of a ".zlg").
int UnnamedOpenFiles() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        count += !error && target.find("(deleted)") != std::string::npos ? 1 : 0;
    }
    return count;
}

class EntryBrowserTest : public LogViewerTest {
  protected:
    explicit EntryBrowserTest(LanguageId language = kEnglish) : LogViewerTest(language) {}

    // 3000 entries ten minutes apart of every type, four codes, a temperature parameter on
    // every warning; compressed.
    std::string ManyEntries(const std::string& name) {
        loggen::Ring ring(40000);
        for (std::uint32_t i = 0; i < 3000; ++i) {
            const std::uint32_t type = i % 8;
            const std::uint32_t codes[] = {0x00001060, 0x00010000, 0x91000000, 0x00002070};
            const std::uint32_t code = type == 3 ? 0x00001060 : codes[i % 4];
            ring.Write(loggen::EntrySpec{
                kFirstTime + i * 600, 0, type, 0, code,
                type == 3 ? loggen::WordParams({140 + i % 30}) : std::vector<unsigned char>{}});
        }
        const std::string path = dir.File(name);
        loggen::WriteBytes(
            path,
            loggen::Compress(
                loggen::ContainerBuilder().SavedAt("201503181320").LogData(ring).End().Plain()));
        return path;
    }

    static bool WaitLoaded(gui::EntryBrowser* browser) {
        return browser != nullptr && QTest::qWaitFor([&] { return browser->IsLoaded(); }, 20000);
    }

    static std::vector<QString> Rows(gui::EntryBrowser* browser) {
        std::vector<QString> rows;
        for (int row = 0; row < browser->Model()->rowCount(); ++row) {
            rows.push_back(browser->Model()->RowLine(row));
        }
        return rows;
    }

    std::vector<QString> EntriesOf(const std::string& log, std::vector<std::string> options) {
        options.insert(options.begin(), {"entries", log});
        const ProgramResult result = Qx7Log(options);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return Lines(result.out);
    }

    static int CurrentRow(gui::EntryBrowser* browser) {
        return browser->Table()->currentIndex().row();
    }

    // The browser made as the log page makes it, shown.
    std::unique_ptr<gui::EntryBrowser> Browse(const std::string& log) {
        auto browser = std::make_unique<gui::EntryBrowser>(harness.Context(), log, nullptr);
        browser->show();
        return browser;
    }
};

TEST_F(EntryBrowserTest, OpensFromTheLogPageWithTheTextExportsRows) {
    const std::string log = ManyEntries("p1.zlg");
    OpenViewerPage("browse", log);
    EXPECT_EQ(driver->Text(gui::kBrowserTitle), "Browse Entries");
    auto* browser = qobject_cast<gui::EntryBrowser*>(PressViewer(gui::kBrowserTitle));
    ASSERT_TRUE(WaitLoaded(browser));
    ScreenshotViewer(browser, QStringLiteral("browser"));

    const ProgramResult text = Qx7Log({"text", log, "-o", "-"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    std::vector<QString> expected = Lines(text.out);
    expected.erase(expected.begin(), expected.begin() + 2);
    ASSERT_EQ(expected.size(), 3000u * 5 / 8);
    EXPECT_EQ(Rows(browser), expected);
    EXPECT_EQ(browser->findChild<QLabel*>("count")->text(), "1,875 of 3,000 entries");
    // The first row is current, the table has the keys.
    EXPECT_EQ(CurrentRow(browser), 0);
    EXPECT_TRUE(browser->Table()->hasFocus());

    browser->reject();
    EXPECT_FALSE(browser->isVisible());  // and deleted once events run
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(EntryBrowserTest, FiltersByTypeAndCodeAsTheCommandLineDoes) {
    const std::string log = ManyEntries("p1.zlg");
    auto browser = Browse(log);
    ASSERT_TRUE(WaitLoaded(browser.get()));
    browser->findChild<QCheckBox*>("errors")->setChecked(false);
    EXPECT_EQ(Rows(browser.get()), EntriesOf(log, {"--types", "wi"}));

    auto* codes = browser->findChild<QComboBox*>("codes");
    // Every code of the log, with its description, after "All codes".
    ASSERT_EQ(codes->count(), 5);
    EXPECT_EQ(codes->itemText(0), "All codes");
    EXPECT_EQ(codes->itemText(1), QStringLiteral("00001060  ") +
                                      QString::fromUtf8(CFirmLogCode().Describe(0x1060, kEnglish)));
    codes->setCurrentIndex(1);
    EXPECT_EQ(Rows(browser.get()), EntriesOf(log, {"--types", "wi", "--code", "00001060"}));
    browser->findChild<QCheckBox*>("errors")->setChecked(true);
    codes->setCurrentIndex(0);
    EXPECT_EQ(Rows(browser.get()), EntriesOf(log, {}));
}

TEST_F(EntryBrowserTest, TheRowOnShowStaysWhenTheFilterChanges) {
    auto browser = Browse(ManyEntries("p1.zlg"));
    ASSERT_TRUE(WaitLoaded(browser.get()));
    // Row 100 is entry 160 (five of every eight are shown); hide information.
    browser->Table()->selectRow(100);
    const std::uint32_t entry = browser->Model()->EntryAt(100);
    browser->findChild<QCheckBox*>("information")->setChecked(false);
    const int row = CurrentRow(browser.get());
    ASSERT_GE(row, 0);
    // The same entry, or the next one the filter lets through.
    EXPECT_GE(browser->Model()->EntryAt(row), entry);
    if (row > 0) {
        EXPECT_LT(browser->Model()->EntryAt(row - 1), entry);
    }
}

TEST_F(EntryBrowserTest, SearchGoesBothWaysAndWrapsAround) {
    auto browser = Browse(ManyEntries("p1.zlg"));
    ASSERT_TRUE(WaitLoaded(browser.get()));
    QSignalSpy finished(browser.get(), &gui::EntryBrowser::searchFinished);
    auto* find = browser->findChild<QLineEdit*>("find");
    // Warnings carry the temperature: tenths of a degree Celsius 140 + i % 30, shown in
    // Fahrenheit; 60 deg F are 15.3 to 15.8 degrees C.
    find->setText("60 DEG");
    QTest::keyClick(find, Qt::Key_Return);
    ASSERT_TRUE(finished.wait(10000) || finished.count() == 1);
    EXPECT_TRUE(finished.takeFirst().at(0).toBool());
    const int first = CurrentRow(browser.get());
    EXPECT_TRUE(browser->Model()->RowLine(first).contains("[60 deg F]"));
    browser->FindNext();
    ASSERT_TRUE(finished.wait(10000) || finished.count() == 1);
    const int second = CurrentRow(browser.get());
    EXPECT_GT(second, first);
    EXPECT_TRUE(browser->Model()->RowLine(second).contains("[60 deg F]"));
    browser->FindPrevious();
    ASSERT_TRUE(finished.wait(10000) || finished.count() == 1);
    EXPECT_EQ(CurrentRow(browser.get()), first);
    // From the first match backwards, the search comes round from the end.
    finished.clear();
    browser->FindPrevious();
    ASSERT_TRUE(finished.wait(10000) || finished.count() == 1);
    EXPECT_GT(CurrentRow(browser.get()), second);
    EXPECT_EQ(browser->findChild<QLabel*>("status")->text().toStdString(),
              "The search went on from the other end of the list.");

    find->setText("no such words");
    finished.clear();
    browser->FindNext();
    ASSERT_TRUE(finished.wait(10000) || finished.count() == 1);
    EXPECT_FALSE(finished.takeFirst().at(0).toBool());
    EXPECT_EQ(browser->findChild<QLabel*>("status")->text(), "Not found: no such words");
}

TEST_F(EntryBrowserTest, GoToLandsOnTheFirstShownEntryAtOrAfterTheTime) {
    auto browser = Browse(ManyEntries("p1.zlg"));
    ASSERT_TRUE(WaitLoaded(browser.get()));
    auto* when = browser->findChild<QDateTimeEdit*>("when");
    // The edit starts at the first entry, in Tokyo time.
    EXPECT_EQ(when->dateTime(), QDateTime(QDate(2015, 3, 18), QTime(22, 20, 0)));
    // Entry 100 is 1000 minutes later: 2015-03-19 14:60 = 15:00; one second after it, entry 101
    // is next, a type 5 (information), shown.
    when->setDateTime(QDateTime(QDate(2015, 3, 19), QTime(15, 0, 1)));
    QTest::mouseClick(browser->findChild<QPushButton*>("goTo"), Qt::LeftButton);
    EXPECT_EQ(browser->Model()->EntryAt(CurrentRow(browser.get())), 101u);
    when->setDateTime(QDateTime(QDate(2030, 1, 1), QTime(0, 0)));
    browser->GoToTime();
    EXPECT_EQ(browser->findChild<QLabel*>("status")->text(), "No entry at or after that time.");
    EXPECT_EQ(browser->Model()->EntryAt(CurrentRow(browser.get())), 101u);
}

TEST_F(EntryBrowserTest, CopyPutsTheSelectedRowsLinesOnTheClipboard) {
    auto browser = Browse(ManyEntries("p1.zlg"));
    ASSERT_TRUE(WaitLoaded(browser.get()));
    browser->Table()->selectRow(2);
    browser->Table()->selectionModel()->select(
        browser->Model()->index(4, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(browser->Table(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              browser->Model()->RowLine(2) + "\n" + browser->Model()->RowLine(4) + "\n");
    EXPECT_EQ(browser->findChild<QLabel*>("status")->text(), "Copied 2 rows.");
}

TEST_F(EntryBrowserTest, AnUnreadableLogSaysWhyAndOffersNothing) {
    std::string bytes = loggen::Compress(loggen::ContainerBuilder().End().Plain());
    bytes.resize(bytes.size() / 2);
    const std::string log = dir.File("cut.zlg");
    loggen::WriteBytes(log, bytes);
    auto browser = Browse(log);
    ASSERT_TRUE(WaitLoaded(browser.get()));
    EXPECT_EQ(browser->Model()->rowCount(), 0);
    EXPECT_TRUE(
        browser->findChild<QLabel*>("status")->text().startsWith("The log cannot be read: "));
    EXPECT_FALSE(browser->findChild<QLineEdit*>("find")->isEnabled());
    EXPECT_FALSE(browser->findChild<QCheckBox*>("errors")->isEnabled());
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(EntryBrowserTest, TheInflatedCopyLivesAsLongAsTheBrowserAndNothingIsLeftBeside) {
    const std::string log = ManyEntries("p1.zlg");
    const int before = UnnamedOpenFiles();
    {
        auto browser = Browse(log);
        ASSERT_TRUE(WaitLoaded(browser.get()));
        EXPECT_EQ(UnnamedOpenFiles(), before + 1);  // the inflated copy
        browser->reject();
        EXPECT_EQ(UnnamedOpenFiles(), before);
    }
    // Closed while it may still be reading: no crash, nothing left.
    for (int i = 0; i < 3; ++i) {
        auto browser = Browse(log);
        browser->reject();
    }
    EXPECT_EQ(UnnamedOpenFiles(), before);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"p1.zlg"});
}

// A log named on the command line: the wizard on its road.
TEST_F(EntryBrowserTest, ALogOnTheCommandLineStartsOnTheLogPageWithTheRoadBehindIt) {
    const std::string log = ManyEntries("p1.zlg");
    harness.options = gui::ParseGuiOptions({"qx7-service-tool", QString::fromStdString(log)});
    EXPECT_FALSE(harness.options.browseOnly);
    sheet = harness.MakeSheet(WizardPages(), registry);
    driver = std::make_unique<SheetDriver>(*sheet, "command-line");
    gui::ShowStartPage(*sheet, harness.options);
    ASSERT_TRUE(driver->Show());
    ASSERT_TRUE(driver->WaitForPage(kPageLogViewer));
    EXPECT_EQ(harness.app.History(), (std::vector<int>{156, 178, 225}));
    EXPECT_EQ(driver->Text(1190), QString::fromStdString(log));
    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(kPageLogFile));
    EXPECT_EQ(driver->Text(1095), QString::fromStdString(log));
    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(kPageOperationMenu));
    EXPECT_TRUE(driver->IsChecked(1025));
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(EntryBrowserTest, AMissingLogOnTheCommandLineSaysSoOnTheLogFilePage) {
    const std::string log = dir.File("missing.zlg");
    harness.options =
        gui::ParseGuiOptions({"qx7-service-tool", "--service", QString::fromStdString(log)});
    EXPECT_TRUE(harness.options.serviceMode);
    sheet = harness.MakeSheet(WizardPages(), registry);
    driver = std::make_unique<SheetDriver>(*sheet, "command-line-missing");
    gui::ShowStartPage(*sheet, harness.options);
    ASSERT_TRUE(driver->Show());
    ASSERT_TRUE(driver->WaitForPage(kPageLogFile));
    EXPECT_EQ(harness.sink.shown, std::vector<std::string>{MessageWithCode(kEnglish, 233, -10)});
    EXPECT_EQ(driver->Text(1095), QString::fromStdString(log));
    EXPECT_EQ(harness.app.History(), (std::vector<int>{156, 178}));
}

TEST(GuiOptionsTest, BrowseTakesTheNextArgumentAndOptionsAreNoLogs) {
    const gui::GuiOptions browse = gui::ParseGuiOptions({"tool", "--browse", "a b.zlg"});
    EXPECT_TRUE(browse.browseOnly);
    EXPECT_EQ(browse.logFile, "a b.zlg");
    const gui::GuiOptions none = gui::ParseGuiOptions({"tool", "-demo", "--service"});
    EXPECT_TRUE(none.logFile.empty());
    const gui::GuiOptions first = gui::ParseGuiOptions({"tool", "p1.zlg", "p2.zlg"});
    EXPECT_EQ(first.logFile, "p1.zlg");
}

class EntryBrowserJapaneseTest : public EntryBrowserTest {
  protected:
    EntryBrowserJapaneseTest() : EntryBrowserTest(kJapanese) {}
};

TEST_F(EntryBrowserJapaneseTest, ShowsJapaneseTextsAndDescriptions) {
    const std::string log = ManyEntries("p1.zlg");
    OpenViewerPage("browse", log);
    auto* browser = qobject_cast<gui::EntryBrowser*>(PressViewer(gui::kBrowserTitle));
    ASSERT_TRUE(WaitLoaded(browser));
    ScreenshotViewer(browser, QStringLiteral("browser"));
    EXPECT_EQ(browser->findChild<QCheckBox*>("errors")->text(), "エラー");
    EXPECT_EQ(browser->Model()->headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), "内容");
    EXPECT_EQ(browser->findChild<QLabel*>("count")->text(), "1,875 / 3,000 件");
    const ProgramResult text = Qx7Log({"text", log, "-o", "-"});
    std::vector<QString> expected = Lines(text.out);
    expected.erase(expected.begin(), expected.begin() + 2);
    EXPECT_EQ(Rows(browser), expected);
    browser->reject();
}

}  // namespace
}  // namespace qx7::test
