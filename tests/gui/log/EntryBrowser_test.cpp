// The entry browser: opened from the log page and from the command line, its rows are the text
// export's lines; filters, search, date jump and copy; unreadable logs; nothing left behind.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QSignalSpy>
#include <QProgressBar>
#include <QScrollBar>
#include <QTableView>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <sstream>

#include "core/log/FirmLogCode.h"
#include "gui/app/Startup.h"
#include "gui/log/EntryBrowser.h"
#include "gui/log/EntryBrowserCodes.h"
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

// Holds the browser's reading after each piece it hands over, until the test lets the next one
// go or the browser closes: the states while rows arrive are then looked at without a race.
class PieceGate {
  public:
    gui::EntryBrowserLoading Loading(std::size_t first, std::size_t next) {
        gui::EntryBrowserLoading loading;
        loading.pieces = {first, next};
        loading.afterPiece = [this](const std::atomic<bool>& stop) { Hold(stop); };
        return loading;
    }
    void Release(int pieces) {
        const std::lock_guard lock(mutex_);
        allowed_ += pieces;
        changed_.notify_all();
    }
    void ReleaseAll() { Release(std::numeric_limits<int>::max() / 2); }

  private:
    void Hold(const std::atomic<bool>& stop) {
        std::unique_lock lock(mutex_);
        // The stop flag has no notification of its own: looked at now and then.
        while (allowed_ == 0 && !stop.load()) {
            changed_.wait_for(lock, std::chrono::milliseconds(5));
        }
        if (allowed_ > 0) {
            --allowed_;
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    int allowed_ = 0;
};

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

    // A few hundred entries, a job name with a long Japanese text among them.
    std::string JobNames(const std::string& name) {
        loggen::Ring ring(20000);
        for (std::uint32_t i = 0; i < 300; ++i) {
            const bool job = i % 3 == 0;
            ring.Write(loggen::EntrySpec{kFirstTime + i * 60, 0, job ? 5u : 1 + i % 5, 0,
                                         job ? 0x90080000u : 0x00001060u,
                                         job ? loggen::TextParams(kLongJobName, 4)
                                             : std::vector<unsigned char>{}});
        }
        const std::string path = dir.File(name);
        loggen::WriteBytes(
            path, loggen::ContainerBuilder().SavedAt("201503181320").LogData(ring).End().Plain());
        return path;
    }
    static constexpr const char* kLongJobName =
        "チームTシャツ_前面_2015年春モデル_最終版_白インク多め.arp";

    // Entries whose codes all differ, from 0xC0000000 on.
    std::string DistinctCodes(const std::string& name, std::uint32_t count) {
        loggen::Ring ring(count * 4 + 16);
        for (std::uint32_t i = 0; i < count; ++i) {
            ring.Write(loggen::EntrySpec{kFirstTime + i, 0, 4, 0, 0xC0000000u + i, {}});
        }
        const std::string path = dir.File(name);
        loggen::WriteBytes(
            path, loggen::ContainerBuilder().SavedAt("201503181320").LogData(ring).End().Plain());
        return path;
    }

    // The boxes of the types without a name.
    static void ShowUnnamedTypes(gui::EntryBrowser* browser, bool shown) {
        for (const char* name : {"type0", "type6", "type7"}) {
            browser->findChild<QCheckBox*>(name)->setChecked(shown);
        }
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

    // The same, its reading held after each piece by the gate (which must outlive it).
    std::unique_ptr<gui::EntryBrowser> BrowseHeld(const std::string& log, PieceGate& gate,
                                                  std::size_t first, std::size_t next) {
        auto browser = std::make_unique<gui::EntryBrowser>(harness.Context(), log, nullptr,
                                                           gate.Loading(first, next));
        browser->show();
        return browser;
    }

    static bool WaitRows(gui::EntryBrowser* browser, int rows) {
        return QTest::qWaitFor([&] { return browser->Model()->rowCount() == rows; }, 20000);
    }

    // The rows of the log opened at once, as the browser showed them before it read in pieces:
    // the entries the filter selects from the whole index, as text export lines.
    std::vector<QString> RowsOfTheWholeLog(const std::string& log, const EntryFilter& filter) {
        BrowsedLog whole(Language(), harness.Context().clock);
        const BrowseOpenResult opened = whole.Open(log);
        EXPECT_EQ(opened, BrowseOpenResult::kOpened);
        std::vector<QString> rows;
        for (const std::uint32_t i : SelectEntries(whole.Index(), filter)) {
            LogEntryRow row;
            EXPECT_TRUE(whole.Row(i, row)) << i;
            rows.push_back(QString::fromStdString(FormatRowLine(row)));
        }
        return rows;
    }

    static EntryFilter EveryType() {
        EntryFilter filter;
        filter.unnamed = {true, true, true};
        return filter;
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
    // Every box ticked: every entry of the log, the types without a name included.
    EXPECT_EQ(browser->Model()->rowCount(), 3000);
    EXPECT_EQ(browser->findChild<QLabel*>("count")->text(), "3,000 of 3,000 entries");
    // The first row is current, the table has the keys.
    EXPECT_EQ(CurrentRow(browser), 0);
    EXPECT_TRUE(browser->Table()->hasFocus());
    // Without them, the text export's lines.
    ShowUnnamedTypes(browser, false);
    EXPECT_EQ(Rows(browser), expected);
    EXPECT_EQ(browser->findChild<QLabel*>("count")->text(), "1,875 of 3,000 entries");

    browser->reject();
    EXPECT_FALSE(browser->isVisible());  // and deleted once events run
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(EntryBrowserTest, FiltersByTypeAndCodeAsTheCommandLineDoes) {
    const std::string log = ManyEntries("p1.zlg");
    auto browser = Browse(log);
    ASSERT_TRUE(WaitLoaded(browser.get()));
    ShowUnnamedTypes(browser.get(), false);  // as the command line, which never lists them
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

TEST_F(EntryBrowserTest, TheTypesWithoutANameHaveTheirOwnBoxes) {
    auto browser = Browse(ManyEntries("p1.zlg"));
    ASSERT_TRUE(WaitLoaded(browser.get()));
    for (const char* name : {"errors", "warnings", "information"}) {
        browser->findChild<QCheckBox*>(name)->setChecked(false);
    }
    ShowUnnamedTypes(browser.get(), false);
    EXPECT_EQ(browser->Model()->rowCount(), 0);
    EXPECT_EQ(browser->findChild<QLabel*>("count")->text(), "0 of 3,000 entries");
    // Each box shows its own type, named as the rows name it; one in every eight entries.
    for (const char* word : {"000", "006", "007"}) {
        const QString name = QStringLiteral("type%1").arg(QString::fromLatin1(word).toInt());
        auto* box = browser->findChild<QCheckBox*>(name);
        ASSERT_NE(box, nullptr) << name.toStdString();
        EXPECT_TRUE(box->isEnabled());
        EXPECT_EQ(box->text(), QStringLiteral("Type ") + word);
        box->setChecked(true);
        ASSERT_EQ(browser->Model()->rowCount(), 375) << word;
        for (const QString& row : Rows(browser.get())) {
            EXPECT_TRUE(row.contains(QStringLiteral("] (%1) ").arg(word))) << row.toStdString();
        }
        box->setChecked(false);
    }
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

TEST_F(EntryBrowserTest, EnterPressesTheFocusedButtonAndNothingElse) {
    auto browser = Browse(ManyEntries("p1.zlg"));
    ASSERT_TRUE(WaitLoaded(browser.get()));
    QSignalSpy finished(browser.get(), &gui::EntryBrowser::searchFinished);
    auto* find = browser->findChild<QLineEdit*>("find");
    find->setText("60 DEG");
    // Enter in the field searches and leaves the browser open: no button is a default one.
    QTest::keyClick(find, Qt::Key_Return);
    ASSERT_TRUE(finished.wait(10000) || finished.count() == 1);
    EXPECT_TRUE(browser->isVisible());
    const int first = CurrentRow(browser.get());
    // Enter on the focused "Find Next" finds the next match, as a click does.
    auto* next = browser->findChild<QPushButton*>("findNext");
    next->setFocus(Qt::TabFocusReason);
    finished.clear();
    QTest::keyClick(next, Qt::Key_Return);
    ASSERT_TRUE(finished.wait(10000) || finished.count() == 1);
    EXPECT_GT(CurrentRow(browser.get()), first);
    EXPECT_TRUE(browser->isVisible());
    // Enter on the focused Close closes.
    auto* close = browser->findChild<QPushButton*>("close");
    close->setFocus(Qt::TabFocusReason);
    QTest::keyClick(close, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FALSE(browser->isVisible());
}

TEST_F(EntryBrowserTest, GoToTakesTypedAndPastedTimesInTheTablesFormAndInIsoOrder) {
    auto browser = Browse(ManyEntries("p1.zlg"));
    ASSERT_TRUE(WaitLoaded(browser.get()));
    auto* when = browser->findChild<QLineEdit*>("when");
    auto* status = browser->findChild<QLabel*>("status");
    const auto entryOn = [&] { return browser->Model()->EntryAt(CurrentRow(browser.get())); };
    // Empty, showing the form the table uses.
    EXPECT_TRUE(when->text().isEmpty());
    EXPECT_EQ(when->placeholderText(), "MM/DD/YYYY hh:mm:ss");
    EXPECT_GE(when->width(), when->fontMetrics().horizontalAdvance(when->placeholderText()));

    // Typed, then Enter. The first entry is 2015-03-18 22:20 in Tokyo, one every ten minutes:
    // entry 100 is at 2015-03-19 15:00; one second after it, entry 101 is next.
    when->setFocus();
    QTest::keyClicks(when, "2015-03-19 15:00:01");
    QTest::keyClick(when, Qt::Key_Return);
    EXPECT_EQ(entryOn(), 101u);
    EXPECT_TRUE(status->text().isEmpty());
    when->clear();
    QTest::keyClicks(when, "03/19/2015 15:00:00");
    QTest::mouseClick(browser->findChild<QPushButton*>("goTo"), Qt::LeftButton);
    EXPECT_EQ(entryOn(), 100u);

    // Pasted over what was there: a row's own time (entry 110), then ISO order (2015-03-20
    // 12:00 is entry 226 exactly; a sectioned edit made 12:25 of it, entry 229).
    for (const auto& [pasted, entry] : std::vector<std::pair<QString, std::uint32_t>>{
             {browser->Model()->data(browser->Model()->index(110, gui::EntryTableModel::kDateTime),
                                     Qt::DisplayRole)
                  .toString(),
              110u},
             {QStringLiteral("2015-03-20 12:00:00"), 226u}}) {
        QGuiApplication::clipboard()->setText(pasted);
        when->setFocus();
        QTest::keyClick(when, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(when, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(when->text(), pasted);
        QTest::keyClick(when, Qt::Key_Return);
        EXPECT_EQ(entryOn(), entry) << pasted.toStdString();
    }
    // A date alone is its midnight: 2015-03-19 00:00 is 1 h 40 min after the first entry.
    when->setText("2015-03-19");
    browser->GoToTime();
    EXPECT_EQ(entryOn(), 10u);

    // Text that is not a time says so, and the row stays.
    when->setText("2015-13-01 12:00");
    browser->GoToTime();
    EXPECT_EQ(status->text(), "Not a date and time: \"2015-13-01 12:00\". Type it as "
                              "07/04/2015 12:00:00 or 2015-07-04 12:00:00.");
    EXPECT_EQ(entryOn(), 10u);
    EXPECT_EQ(browser->focusWidget(), when);
    QCoreApplication::processEvents();
    EXPECT_GE(status->contentsRect().width(),
              status->fontMetrics().horizontalAdvance(status->text()));
    ScreenshotViewer(browser.get(), QStringLiteral("browser-goto"));
    EXPECT_EQ(when->selectedText(), when->text());
    when->setText("2030-01-01 00:00:00");
    browser->GoToTime();
    EXPECT_EQ(status->text(), "No entry at or after that time.");
    EXPECT_EQ(entryOn(), 10u);
    // Before the printer's clock begins: the first entry.
    when->setText("12/31/1999 23:00:00");
    browser->GoToTime();
    EXPECT_EQ(entryOn(), 0u);
    // Among the entries shown: with information hidden, entries 100 and 101 (types 4 and 5)
    // give way to 102 (type 6).
    browser->findChild<QCheckBox*>("information")->setChecked(false);
    when->setText("03/19/2015 15:00:00");
    browser->GoToTime();
    EXPECT_EQ(entryOn(), 102u);
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

TEST_F(EntryBrowserTest, CopyOfAWholeLargeViewTakesTheFirstRowsOnly) {
    auto browser = Browse(DistinctCodes("many.log", 100050));
    ASSERT_TRUE(WaitLoaded(browser.get()));
    ASSERT_EQ(browser->Model()->rowCount(), 100050);
    browser->Table()->setFocus();
    QTest::keyClick(browser->Table(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(browser->Table(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(browser->findChild<QLabel*>("status")->text(),
              "Copied the first 100,000 of 100,050 rows.");
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_EQ(text.count(QLatin1Char('\n')), 100000);
    EXPECT_TRUE(text.startsWith(browser->Model()->RowLine(0) + "\n"));
    EXPECT_TRUE(text.endsWith("\n" + browser->Model()->RowLine(99999) + "\n"));
}

TEST_F(EntryBrowserTest, TheCodeListOfManyCodesIsFoundByItsDigits) {
    auto browser = Browse(DistinctCodes("codes.log", 20000));
    ASSERT_TRUE(WaitLoaded(browser.get()));
    auto* codes = browser->findChild<QComboBox*>("codes");
    ASSERT_EQ(codes->count(), 20001);
    EXPECT_EQ(codes->itemText(0), "All codes");
    EXPECT_EQ(codes->itemText(20000), "C0004E1F  Unknown LogCode");
    EXPECT_EQ(codes->itemData(20000).value<std::uint32_t>(), 0xC0004E1Fu);
    // Typed digits choose the first code that starts with them, and the table follows.
    codes->setFocus();
    QTest::keyClicks(codes, "c0000f");
    EXPECT_EQ(codes->currentData().value<std::uint32_t>(), 0xC0000F00u);
    ASSERT_EQ(browser->Model()->rowCount(), 1);
    EXPECT_TRUE(browser->Model()->RowLine(0).contains("[C0000F00]"));
    // The list opens showing a few rows; their texts are made, not all twenty thousand.
    const auto* list = qobject_cast<const gui::EntryCodeListModel*>(codes->model());
    ASSERT_NE(list, nullptr);
    const std::size_t before = list->TextsMade();
    codes->showPopup();
    EXPECT_TRUE(codes->view()->isVisible());
    QCoreApplication::processEvents();
    EXPECT_LT(list->TextsMade() - before, 1000u);
    codes->hidePopup();
    codes->setCurrentIndex(0);
    EXPECT_EQ(browser->Model()->rowCount(), 20000);
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
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogViewers)));
    EXPECT_EQ(harness.app.History(), (std::vector<int>{156, 178, 225}));
    EXPECT_EQ(driver->Text(1190), QString::fromStdString(log));
    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    EXPECT_EQ(driver->Text(1095), QString::fromStdString(log));
    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kOperationMenu)));
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
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    EXPECT_EQ(harness.sink.shown, std::vector<std::string>{MessageWithCode(kEnglish, 233, -10)});
    EXPECT_EQ(driver->Text(1095), QString::fromStdString(log));
    EXPECT_EQ(harness.app.History(), (std::vector<int>{156, 178}));
}

TEST_F(EntryBrowserTest, RowsArriveWhileTheLogIsReadAndStayWhereTheyAre) {
    const std::string log = ManyEntries("p1.zlg");
    const std::vector<QString> finished = RowsOfTheWholeLog(log, EveryType());
    ASSERT_EQ(finished.size(), 3000u);
    PieceGate gate;
    auto browser = BrowseHeld(log, gate, 500, 1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser->ShowsRows(); }, 20000));

    // The first piece is on show, the rest held back: its rows are the finished table's first.
    EXPECT_FALSE(browser->IsLoaded());
    ASSERT_EQ(browser->Model()->rowCount(), 500);
    EXPECT_EQ(Rows(browser.get()),
              std::vector<QString>(finished.begin(), finished.begin() + 500));
    auto* status = browser->findChild<QLabel*>("status");
    EXPECT_EQ(status->text(), "Reading the log...");
    EXPECT_TRUE(browser->findChild<QProgressBar*>("loading")->isVisible());
    EXPECT_EQ(browser->findChild<QLabel*>("count")->text(), "500 of 500 entries");
    EXPECT_EQ(CurrentRow(browser.get()), 0);
    // The table has the keys (once the window is active: asked of the window, not of the
    // platform, whose activation may come later under a window system).
    EXPECT_EQ(browser->focusWidget(), browser->Table());
    // The type boxes apply to what is there; the code list, search and go-to wait for the rest.
    EXPECT_TRUE(browser->findChild<QCheckBox*>("errors")->isEnabled());
    EXPECT_TRUE(browser->findChild<QCheckBox*>("type6")->isEnabled());
    for (const char* name : {"codes", "find", "when"}) {
        EXPECT_FALSE(browser->findChild<QWidget*>(name)->isEnabled()) << name;
    }
    ScreenshotViewer(browser.get(), QStringLiteral("browser-reading"));

    // The keys move along the rows there; a row chosen in the middle, scrolled to.
    QTest::keyClick(browser->Table(), Qt::Key_Down);
    QTest::keyClick(browser->Table(), Qt::Key_PageDown);
    const int keyed = CurrentRow(browser.get());
    EXPECT_GT(keyed, 1);
    browser->Table()->selectRow(300);
    browser->Table()->scrollTo(browser->Model()->index(300, 0));
    QCoreApplication::processEvents();
    const int scrolled = browser->Table()->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);

    // More rows come in below: nothing moves under the selection or the view.
    gate.Release(1);
    ASSERT_TRUE(WaitRows(browser.get(), 1500));
    EXPECT_FALSE(browser->IsLoaded());
    EXPECT_EQ(CurrentRow(browser.get()), 300);
    EXPECT_EQ(browser->Model()->EntryAt(300), 300u);
    EXPECT_EQ(browser->Table()->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(browser->Table()->verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(browser->findChild<QLabel*>("count")->text(), "1,500 of 1,500 entries");
    // A copy takes the rows there.
    QTest::keyClick(browser->Table(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), finished[300] + "\n");

    gate.ReleaseAll();
    ASSERT_TRUE(WaitLoaded(browser.get()));
    EXPECT_EQ(Rows(browser.get()), finished);
    EXPECT_EQ(CurrentRow(browser.get()), 300);
    EXPECT_EQ(browser->Table()->verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(browser->findChild<QLabel*>("count")->text(), "3,000 of 3,000 entries");
    EXPECT_EQ(status->text(), "Copied 1 rows.");  // not cleared: it is not the reading note
    EXPECT_FALSE(browser->findChild<QProgressBar*>("loading")->isVisible());
    for (const char* name : {"codes", "find", "when"}) {
        EXPECT_TRUE(browser->findChild<QWidget*>(name)->isEnabled()) << name;
    }
    EXPECT_EQ(browser->findChild<QComboBox*>("codes")->count(), 5);
    ScreenshotViewer(browser.get(), QStringLiteral("browser-read"));
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(EntryBrowserTest, AFilterChangedWhileRowsArriveAppliesToThoseStillToCome) {
    const std::string log = ManyEntries("p1.zlg");
    PieceGate gate;
    auto browser = BrowseHeld(log, gate, 400, 700);
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser->ShowsRows(); }, 20000));
    ASSERT_EQ(browser->Model()->rowCount(), 400);
    browser->Table()->selectRow(100);  // entry 100, type 4: information
    browser->findChild<QCheckBox*>("information")->setChecked(false);
    browser->findChild<QCheckBox*>("type0")->setChecked(false);

    EntryFilter filter = EveryType();
    filter.types.information = false;
    filter.unnamed.type0 = false;
    const std::vector<QString> finished = RowsOfTheWholeLog(log, filter);
    // Of the entries in so far (0 to 399), those the boxes let through: 5 of every 8.
    ASSERT_EQ(browser->Model()->rowCount(), 250);
    EXPECT_EQ(Rows(browser.get()), std::vector<QString>(finished.begin(), finished.begin() + 250));
    EXPECT_EQ(browser->findChild<QLabel*>("count")->text(), "250 of 400 entries");
    // The row on show gave way to the next one the boxes let through (entry 102).
    EXPECT_EQ(browser->Model()->EntryAt(CurrentRow(browser.get())), 102u);

    gate.Release(1);
    // Entries up to 1099: 137 whole rounds of eight, then types 0 to 3.
    ASSERT_TRUE(WaitRows(browser.get(), 137 * 5 + 3));
    EXPECT_EQ(Rows(browser.get()),
              std::vector<QString>(finished.begin(), finished.begin() + 137 * 5 + 3));
    gate.ReleaseAll();
    ASSERT_TRUE(WaitLoaded(browser.get()));
    EXPECT_EQ(Rows(browser.get()), finished);
    EXPECT_EQ(browser->findChild<QLabel*>("count")->text(), "1,875 of 3,000 entries");
    EXPECT_EQ(browser->Model()->EntryAt(CurrentRow(browser.get())), 102u);
    // Ticked again: every entry.
    browser->findChild<QCheckBox*>("information")->setChecked(true);
    browser->findChild<QCheckBox*>("type0")->setChecked(true);
    EXPECT_EQ(Rows(browser.get()), RowsOfTheWholeLog(log, EveryType()));
}

TEST_F(EntryBrowserTest, ClosedWhileRowsArriveTheReadingStopsAndNothingIsLeft) {
    const std::string log = ManyEntries("p1.zlg");
    const int before = UnnamedOpenFiles();
    {
        // Closed with Cancel's neighbour, the Close button, while the reading is held.
        PieceGate gate;
        auto browser = BrowseHeld(log, gate, 500, 500);
        ASSERT_TRUE(QTest::qWaitFor([&] { return browser->ShowsRows(); }, 20000));
        QTest::mouseClick(browser->findChild<QPushButton*>("close"), Qt::LeftButton);
        EXPECT_FALSE(browser->isVisible());
        EXPECT_FALSE(browser->IsLoaded());
        EXPECT_EQ(UnnamedOpenFiles(), before);
        // Pieces on their way when it closed change nothing.
        QCoreApplication::processEvents();
        EXPECT_EQ(browser->Model()->rowCount(), 500);
    }
    {
        // Deleted without being closed first, with a piece let go and another held.
        PieceGate gate;
        auto browser = BrowseHeld(log, gate, 500, 500);
        ASSERT_TRUE(QTest::qWaitFor([&] { return browser->ShowsRows(); }, 20000));
        gate.Release(1);
        browser.reset();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(UnnamedOpenFiles(), before);
    EXPECT_TRUE(harness.sink.shown.empty());
}

// Pieces that pile up while the window is busy are taken in a bounded number of rows at a
// time, and the browser is done only once the last of them is in.
TEST_F(EntryBrowserTest, PiledUpPiecesAreTakenInAFewAtATimeAndAllBeforeTheEnd) {
    const std::string log = DistinctCodes("many.log", 300000);
    PieceGate gate;
    auto browser = BrowseHeld(log, gate, 4096, 4096);
    std::vector<int> inserted;
    QObject::connect(browser->Model(), &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int last) {
                         inserted.push_back(last - first + 1);
                     });
    int rowsWhenLoaded = -1;
    QObject::connect(browser.get(), &gui::EntryBrowser::loaded,
                     [&] { rowsWhenLoaded = browser->Model()->rowCount(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser->ShowsRows(); }, 20000));
    gate.ReleaseAll();
    ASSERT_TRUE(WaitLoaded(browser.get()));
    EXPECT_EQ(rowsWhenLoaded, 300000);
    ASSERT_GE(inserted.size(), 3u);
    EXPECT_EQ(inserted.front(), 4096);
    for (const int rows : inserted) {
        EXPECT_LE(rows, 131072);
    }
    EXPECT_EQ(browser->findChild<QComboBox*>("codes")->count(), 300001);
    EXPECT_EQ(browser->Model()->RowLine(299999).mid(0, 8), QStringLiteral("299999: "));
}

TEST_F(EntryBrowserTest, ALogDamagedWhileItIsReadEndsWithTheDamageNote) {
    const std::string log = DistinctCodes("cut.log", 100000);
    const std::vector<QString> whole = RowsOfTheWholeLog(log, EveryType());
    PieceGate gate;
    auto browser = BrowseHeld(log, gate, 1000, 5000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser->ShowsRows(); }, 20000));
    // Cut to half while the reading waits: the rest cannot be read.
    std::filesystem::resize_file(log, std::filesystem::file_size(log) / 2);
    gate.ReleaseAll();
    ASSERT_TRUE(WaitLoaded(browser.get()));
    EXPECT_EQ(browser->findChild<QLabel*>("status")->text(),
              "Reading stopped at a damaged place; the entries before it are shown.");
    // The entries before the cut, as the whole log has them.
    const int rows = browser->Model()->rowCount();
    EXPECT_GT(rows, 1000);
    EXPECT_LT(rows, 100000);
    for (const int row : {0, 999, 1000, rows / 2}) {
        EXPECT_EQ(browser->Model()->RowLine(row), whole[static_cast<std::size_t>(row)]) << row;
    }
    EXPECT_FALSE(browser->findChild<QProgressBar*>("loading")->isVisible());
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
    EXPECT_EQ(browser->findChild<QCheckBox*>("type6")->text(), "種類 006");
    EXPECT_EQ(browser->Model()->headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), "内容");
    EXPECT_EQ(browser->findChild<QLabel*>("count")->text(), "3,000 / 3,000 件");
    EXPECT_EQ(browser->findChild<QPushButton*>("close")->text(), "閉じる");
    // A go-to text that is not a time: the whole message is on show.
    auto* when = browser->findChild<QLineEdit*>("when");
    when->setText("2015-13-01 12:00");
    browser->GoToTime();
    auto* status = browser->findChild<QLabel*>("status");
    EXPECT_TRUE(status->text().startsWith("日付と時刻として読めません"));
    QCoreApplication::processEvents();
    EXPECT_GE(status->contentsRect().width(),
              status->fontMetrics().horizontalAdvance(status->text()));
    ScreenshotViewer(browser, QStringLiteral("browser-goto"));
    ShowUnnamedTypes(browser, false);
    EXPECT_EQ(browser->findChild<QLabel*>("count")->text(), "1,875 / 3,000 件");
    const ProgramResult text = Qx7Log({"text", log, "-o", "-"});
    std::vector<QString> expected = Lines(text.out);
    expected.erase(expected.begin(), expected.begin() + 2);
    EXPECT_EQ(Rows(browser), expected);
    browser->reject();
}

TEST_F(EntryBrowserJapaneseTest, TheReadingNoteIsJapaneseWhileRowsArrive) {
    PieceGate gate;
    auto browser = BrowseHeld(ManyEntries("p1.zlg"), gate, 500, 1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser->ShowsRows(); }, 20000));
    auto* status = browser->findChild<QLabel*>("status");
    EXPECT_EQ(status->text(), "ログを読み込んでいます...");
    EXPECT_EQ(browser->findChild<QLabel*>("count")->text(), "500 / 500 件");
    QCoreApplication::processEvents();
    EXPECT_GE(status->contentsRect().width(),
              status->fontMetrics().horizontalAdvance(status->text()));
    ScreenshotViewer(browser.get(), QStringLiteral("browser-reading"));
    gate.ReleaseAll();
    ASSERT_TRUE(WaitLoaded(browser.get()));
    EXPECT_TRUE(status->text().isEmpty());
    EXPECT_EQ(browser->findChild<QLabel*>("count")->text(), "3,000 / 3,000 件");
    ScreenshotViewer(browser.get(), QStringLiteral("browser-read"));
    browser->reject();
}

TEST_F(EntryBrowserJapaneseTest, TheParametersKeepRoomForALongTextAtTheDefaultSize) {
    const std::string log = JobNames("jobs.log");
    OpenViewerPage("browse", log);
    auto* browser = qobject_cast<gui::EntryBrowser*>(PressViewer(gui::kBrowserTitle));
    ASSERT_TRUE(WaitLoaded(browser));
    QCoreApplication::processEvents();
    ScreenshotViewer(browser, QStringLiteral("browser-parameters"));
    const auto* model = browser->Model();
    const QString parameters =
        model->data(model->index(0, gui::EntryTableModel::kParameters), Qt::DisplayRole)
            .toString();
    ASSERT_TRUE(parameters.contains(QString::fromUtf8(kLongJobName))) << parameters.toStdString();
    const QFontMetrics metrics = browser->Table()->fontMetrics();
    // The cell's text and the margins the view draws around it.
    const int margin =
        2 * (browser->Table()->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    const int needed = metrics.horizontalAdvance(parameters) + margin;
    QHeaderView* columns = browser->Table()->horizontalHeader();
    EXPECT_GE(columns->sectionSize(gui::EntryTableModel::kParameters), needed)
        << "window " << browser->width() << " px, description "
        << columns->sectionSize(gui::EntryTableModel::kDescription) << " px";
    // The other columns show their texts whole too.
    for (int column = 0; column < gui::EntryTableModel::kParameters; ++column) {
        for (int row = 0; row < 3; ++row) {
            const QString shown =
                model->data(model->index(row, column), Qt::DisplayRole).toString();
            EXPECT_GE(columns->sectionSize(column), metrics.horizontalAdvance(shown) + margin)
                << column << ": " << shown.toStdString();
        }
    }
    // The last column takes what the window gives beyond the others.
    EXPECT_EQ(columns->sectionViewportPosition(gui::EntryTableModel::kParameters) +
                  columns->sectionSize(gui::EntryTableModel::kParameters),
              browser->Table()->viewport()->width());
    browser->reject();
}

}  // namespace
}  // namespace qx7::test
