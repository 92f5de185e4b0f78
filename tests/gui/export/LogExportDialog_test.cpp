// The export dialog behind "View LOG" (227) with its progress windows (229, 242), through the
// real sheet: the files equal what `qx7log text` / `qx7log csv` write for the same log and
// options, the progress bar's range and steps, the overwrite question, failures that leave an
// existing file as it was, and the controls held while an export runs.

#include <signal.h>
#include <sys/resource.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>
#include <functional>

#include "core/text/Messages.h"
#include "core/output/ExportOutput.h"
#include "core/export/LogExport.h"
#include "core/log/QXLogFile.h"
#include "gui/export/LogExportDialog.h"
#include "gui/log/LogViewerTest.h"
#include "loggen/Scenario.h"
#include "platform/SystemLocalTime.h"

namespace qx7::test {
namespace {

namespace fs = std::filesystem;
using loggen::EntrySpec;

constexpr int kViewLog = 1189;
constexpr int kTypeBoxes[] = {1102, 1100, 1104};  // errors, warnings, information
constexpr int kExtData = 1332;
constexpr int kConvertText = 1105;
constexpr int kConvertCsv = 1106;
constexpr int kClose = 1058;

// Printer time of 2014-03-15 13:45:07 UTC.
constexpr std::uint32_t kMarch2014 = 448206307;

// One entry of every type (0 to 7), with decoded parameters, raw words and a text.
std::string EveryTypeLog() {
    const std::vector<EntrySpec> entries = {
        {kMarch2014, 0, 4, 1, 0x00010000, {}},
        {kMarch2014 + 1, 5, 3, 0, 0x00001060, loggen::WordParams({250})},
        {kMarch2014 + 2, 10, 1, 2, 0x00006120, loggen::WordParams({7, 0xFFFFFFFF})},
        {kMarch2014 + 3, 0, 4, 0, 0x90080000, loggen::TextParams("Shirt", 4)},
        {kMarch2014 + 4, 0, 6, 0, 0x00007000, loggen::WordParams({1, 2})},
        {kMarch2014 + 5, 0, 0, 0, 0x00001234, loggen::WordParams({3})},
        {kMarch2014 + 6, 0, 2, 4, 0x00006121, loggen::WordParams({0x80000000})},
        {kMarch2014 + 7, 0, 5, 0, 0x00010001, {}},
        {kMarch2014 + 8, 0, 7, 0, 0x00007001, loggen::WordParams({9})},
    };
    loggen::Ring ring(256);
    for (const EntrySpec& entry : entries) {
        ring.Write(entry);
    }
    return loggen::ContainerBuilder().SavedAt("201403151400").LogData(ring).End().Plain();
}

// `count` entries of one information code in a ring they fill without wrapping.
std::string CountedLog(std::uint32_t count) {
    loggen::Ring ring(count * 4 + 4);
    for (std::uint32_t i = 0; i < count; ++i) {
        ring.Write(EntrySpec{kMarch2014 + i, 0, 4, 0, 0x00010000, {}});
    }
    return loggen::ContainerBuilder().SavedAt("201403151400").LogData(ring).End().Plain();
}

// A day-by-day printer log from the generator, all of it dated before the harness's present.
std::string GeneratedLog(std::uint32_t entries, loggen::LogForm form) {
    loggen::ScenarioOptions options;
    options.entries = entries;
    options.seed = 7;
    options.futureEntries = false;
    return loggen::GenerateLog(options, form);
}

// The entry count the reader finds, as the export sees it.
int EntryCountOf(const std::string& path) {
    RecordingMessageSink sink;
    const Messages messages(kEnglish, sink);
    const SystemLocalTime clock;
    CQXLogFile reader(clock);
    const bool opened = reader.Open(path) == 1 && reader.OpenLogData();
    const int count = opened ? reader.GetEntryCount() : -1;
    reader.Close();
    return count;
}

// The process may write no file beyond `bytes` while it lives (SIGXFSZ ignored, so a write
// past the limit fails with EFBIG).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    sighandler_t previous_ = SIG_DFL;
};

// What the progress window showed at one step of an export.
struct Step {
    QString window;  // object name of the progress window on show
    int position = -1;
    int minimum = -1;
    int maximum = -1;
    int barValue = -1;
    bool viewControlsEnabled = true;  // any of the dialog's buttons and boxes
    bool waitCursor = false;
};

class LogViewTest : public LogViewerTest {
  protected:
    using LogViewerTest::LogViewerTest;

    std::string WriteLog(const std::string& name, const std::string& bytes) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(loggen::WriteBytes(path, bytes));
        return path;
    }

    // The sheet on page 225 for the log, and the export dialog opened by its button.
    gui::LogExportDialog* OpenView(const std::string& log) {
        OpenViewerPage("export", log);
        auto* view = qobject_cast<gui::LogExportDialog*>(PressViewer(kViewLog));
        if (view != nullptr) {
            // Record every step of every export of this dialog.
            QObject::connect(view, &gui::LogExportDialog::ProgressMoved, view,
                             [this, view](int position) { OnStep(view, position); });
        }
        return view;
    }

    // Ticks the four boxes as given.
    static void SetBoxes(gui::LogExportDialog* view, bool errors, bool warnings, bool information,
                         bool extData) {
        const bool wanted[] = {errors, warnings, information};
        for (int i = 0; i < 3; ++i) {
            ViewerControl<QCheckBox>(view, kTypeBoxes[i])->setChecked(wanted[i]);
        }
        ViewerControl<QCheckBox>(view, kExtData)->setChecked(extData);
    }

    static void ClickConvert(gui::LogExportDialog* view) {
        QTest::mouseClick(ViewerControl<QPushButton>(view, kConvertText), Qt::LeftButton);
    }

    // The hidden button's slot, as a click would run it.
    static void ConvertCsv(gui::LogExportDialog* view) {
        ASSERT_TRUE(QMetaObject::invokeMethod(view, "OnConvertCsv", Qt::DirectConnection));
    }

    // Close (1058), and the dialog gone.
    static void CloseView(gui::LogExportDialog* view) {
        QPointer<gui::LogExportDialog> alive(view);
        QTest::mouseClick(ViewerControl<QPushButton>(view, kClose), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 5000));
    }

    // `qx7log text LOG -o OUT --types ... [--ext]`; the bytes it wrote.
    std::string Qx7LogText(const std::string& log, const std::string& types, bool extData) {
        const std::string out = expected.File("text-" + types + (extData ? "-ext" : "") + ".txt");
        std::vector<std::string> arguments = {"text", log, "-o", out, "--types", types, "--force"};
        if (extData) {
            arguments.push_back("--ext");
        }
        const ProgramResult run = Qx7Log(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return ReadFile(out);
    }

    std::string Qx7LogCsv(const std::string& log, const std::string& types) {
        const std::string out = expected.File("csv-" + types + ".csv");
        const ProgramResult run = Qx7Log({"csv", log, "-o", out, "--types", types, "--force"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return ReadFile(out);
    }

    // The File I/O Error message with the code and a cause in its brackets.
    void ExpectFileError(int code) const {
        ASSERT_EQ(harness.sink.shown.size(), 1u);
        const std::string& shown = harness.sink.shown.front();
        const std::string start = MessageWithCode(Language(), kMsgFileIoError, code) + "(";
        EXPECT_EQ(shown.rfind(start, 0), 0u) << shown;
        EXPECT_GT(shown.size(), start.size() + 1) << "the cause is missing: " << shown;
        EXPECT_EQ(shown.back(), ')') << shown;
    }

    // Test folders: `dir` holds the logs and the window's files, `expected` qx7log's.
    std::vector<Step> steps;
    std::function<void(gui::LogExportDialog*, int)>
        onStep;  // runs inside the step, after recording
    TempDir expected;

  private:
    void OnStep(gui::LogExportDialog* view, int position) {
        Step step;
        step.position = position;
        for (const char* name : {"CDlgLogTxtProg", "CDlgLogCsvProg"}) {
            if (auto* window = view->findChild<QDialog*>(name);
                window != nullptr && window->isVisible()) {
                step.window = window->objectName();
                auto* bar = window->findChild<QProgressBar*>("1182");
                if (bar != nullptr) {
                    step.minimum = bar->minimum();
                    step.maximum = bar->maximum();
                    step.barValue = bar->value();
                }
            }
        }
        step.viewControlsEnabled = false;
        for (int number : {1102, 1100, 1104, 1332, kConvertText, kConvertCsv, kClose}) {
            step.viewControlsEnabled =
                step.viewControlsEnabled || ViewerControl<QWidget>(view, number)->isEnabled();
        }
        const QCursor* cursor = QGuiApplication::overrideCursor();
        step.waitCursor = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
        steps.push_back(step);
        if (onStep) {
            onStep(view, position);
        }
    }
};

class LogViewJapaneseTest : public LogViewTest {
  protected:
    LogViewJapaneseTest() : LogViewTest(kJapanese) {}
};

// ---------------------------------------------------------------------------------------------

TEST_F(LogViewTest, OpensWithTheLayoutsTextsAndBoxesAndClosesWithEscape) {
    gui::LogExportDialog* view = OpenView(WriteLog("p1.log", EveryTypeLog()));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->objectName(), "CLogView");
    EXPECT_EQ(view->windowTitle(), "Converting log data to Text");
    auto* instructions = ViewerControl<QLabel>(view, 1099);
    ASSERT_NE(instructions, nullptr);
    EXPECT_EQ(instructions->text(), Entry(kEnglish, 149));
    EXPECT_TRUE(instructions->wordWrap());
    EXPECT_EQ(ViewerControl<QGroupBox>(view, 65535)->title(), "Specify Display Type");

    const struct {
        int number;
        const char* caption;
        bool checked;
    } boxes[] = {{1102, "Error", true},
                 {1100, "Warning", true},
                 {1104, "Information", true},
                 {1332, "Ext Data", false}};
    for (const auto& box : boxes) {
        auto* check = ViewerControl<QCheckBox>(view, box.number);
        ASSERT_NE(check, nullptr) << box.number;
        EXPECT_EQ(check->text(), box.caption);
        EXPECT_EQ(check->isChecked(), box.checked) << box.number;
        EXPECT_TRUE(check->isVisible() && check->isEnabled()) << box.number;
        // Inside the group box.
        EXPECT_EQ(check->parentWidget(), ViewerControl<QGroupBox>(view, 65535)) << box.number;
    }
    EXPECT_EQ(QApplication::focusWidget(), ViewerControl<QWidget>(view, 1102));

    // The zone line: the label right-aligned against the zone's standard name, which is what
    // the exported file's first line names.
    auto* zoneLabel = ViewerControl<QLabel>(view, 1228);
    EXPECT_EQ(zoneLabel->text(), "Log date by your PC is based on ");
    EXPECT_TRUE(zoneLabel->alignment() & Qt::AlignRight);
    const QString zone = ViewerControl<QLabel>(view, 1227)->text();
    EXPECT_EQ(zone, "JST");
    EXPECT_EQ(ExportDateLine(LogTextContext(kEnglish, harness.clock)),
              "Log date in this file is based on " + zone.toStdString() + "\r\n");

    auto* convert = ViewerControl<QPushButton>(view, kConvertText);
    EXPECT_EQ(convert->text(), "Convert to Text File");
    EXPECT_TRUE(convert->isDefault());
    auto* csv = ViewerControl<QPushButton>(view, kConvertCsv);
    ASSERT_NE(csv, nullptr);
    EXPECT_EQ(csv->text(), "Convert to CSV File");
    EXPECT_FALSE(csv->isVisible());
    EXPECT_FALSE(csv->isEnabled());
    EXPECT_EQ(ViewerControl<QPushButton>(view, kClose)->text(), "Close");

    // Nothing is cut short or squeezed below what it needs.
    EXPECT_GE(instructions->height(), instructions->heightForWidth(instructions->width()));
    for (const QWidget* control : view->findChildren<QWidget*>()) {
        if (control->isVisible() && !control->objectName().isEmpty()) {
            EXPECT_GE(control->width(), control->minimumSizeHint().width())
                << control->objectName().toStdString();
        }
    }
    ScreenshotViewer(view, "227-log-view");

    // Escape is Close: nothing written, nothing opened.
    QPointer<gui::LogExportDialog> alive(view);
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 5000));
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"p1.log"}));
    EXPECT_TRUE(harness.opener.opened.empty());
}

TEST_F(LogViewTest, TextFileEqualsQx7logForEveryCombinationOfTheBoxes) {
    const std::string plain = WriteLog("types.log", EveryTypeLog());
    const std::string compressed =
        WriteLog("generated.zlg", GeneratedLog(1500, loggen::LogForm::Compressed));
    for (const std::string& log : {plain, compressed}) {
        gui::LogExportDialog* view = OpenView(log);
        ASSERT_NE(view, nullptr);
        const std::string out = log + ".txt";
        for (int mask = 0; mask < 16; ++mask) {
            const bool errors = (mask & 1) != 0;
            const bool warnings = (mask & 2) != 0;
            const bool information = (mask & 4) != 0;
            const bool extData = (mask & 8) != 0;
            std::string types;
            types += errors ? "e" : "";
            types += warnings ? "w" : "";
            types += information ? "i" : "";
            SCOPED_TRACE(log + " --types '" + types + "'" + (extData ? " --ext" : ""));

            fs::remove(out);
            harness.opener.opened.clear();
            SetBoxes(view, errors, warnings, information, extData);
            ClickConvert(view);
            EXPECT_TRUE(harness.sink.shown.empty()) << harness.sink.shown.front();
            EXPECT_TRUE(harness.sink.asked.empty());
            const std::string written = ReadFile(out);
            EXPECT_EQ(written, Qx7LogText(log, types, extData));
            EXPECT_GT(written.size(), 0u);
            EXPECT_EQ(harness.opener.opened, (std::vector<QString>{QString::fromStdString(out)}));
            // The boxes are as the user left them.
            EXPECT_EQ(ViewerControl<QCheckBox>(view, kExtData)->isChecked(), extData);
        }
        CloseView(view);
        driver.reset();
        sheet.reset();
    }
    // No reader's temporary and no unfinished output beside the logs.
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"generated.zlg", "generated.zlg.txt",
                                                               "types.log", "types.log.txt"}));
}

TEST_F(LogViewTest, ProgressWindowMovesEveryThousandEntriesWhileTheDialogIsHeld) {
    const std::string log = WriteLog("p2500.log", CountedLog(2500));
    ASSERT_EQ(EntryCountOf(log), 2500);
    gui::LogExportDialog* view = OpenView(log);
    ASSERT_NE(view, nullptr);

    // What a user could do while the event loop has its pass: none of it may end or re-enter
    // the export.
    int reentries = 0;
    bool queuedCallRan = false;
    onStep = [&](gui::LogExportDialog* running, int position) {
        EXPECT_TRUE(running->IsExporting());
        // Each step gives the event loop a pass: what was queued at one step has run by the
        // next.
        if (position == 0) {
            QMetaObject::invokeMethod(
                running, [&] { queuedCallRan = true; }, Qt::QueuedConnection);
        } else {
            EXPECT_TRUE(queuedCallRan);
        }
        auto* progress = running->findChild<QDialog*>("CDlgLogTxtProg");
        ASSERT_NE(progress, nullptr);
        if (position == 0) {
            EXPECT_EQ(progress->windowTitle(), "Converting the log data to Text file");
            EXPECT_EQ(ViewerControl<QLabel>(progress, 1202)->text(), Entry(kEnglish, 212));
            EXPECT_FALSE(progress->isModal());
            EXPECT_EQ(progress->parentWidget(), running);
            // A title bar without a close box.
            EXPECT_TRUE(progress->windowFlags() & Qt::CustomizeWindowHint);
            EXPECT_TRUE(progress->windowFlags() & Qt::WindowTitleHint);
            EXPECT_FALSE(progress->windowFlags() & Qt::WindowCloseButtonHint);
        }
        if (position == 2) {
            ScreenshotViewer(progress, "229-text-progress");  // at the end, the bar full
        }
        // Enter, Escape and the close box leave the progress window up.
        QTest::keyClick(progress, Qt::Key_Return);
        QTest::keyClick(progress, Qt::Key_Escape);
        progress->close();
        EXPECT_TRUE(progress->isVisible());
        // Close, Escape and the close box of the dialog are refused meanwhile.
        QTest::keyClick(running, Qt::Key_Escape);
        running->close();
        running->reject();
        EXPECT_TRUE(running->isVisible());
        // A second export started from here is refused: no question, no nested run.
        const std::size_t before = steps.size();
        ++reentries;
        running->OnConvertText();
        ASSERT_TRUE(QMetaObject::invokeMethod(running, "OnConvertCsv", Qt::DirectConnection));
        EXPECT_EQ(steps.size(), before);
    };
    ClickConvert(view);
    onStep = nullptr;

    ASSERT_EQ(steps.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(steps[i].window, "CDlgLogTxtProg");
        EXPECT_EQ(steps[i].position, static_cast<int>(i));
        EXPECT_EQ(steps[i].barValue, static_cast<int>(i));
        EXPECT_EQ(steps[i].minimum, 0);
        EXPECT_EQ(steps[i].maximum, 2);
        EXPECT_FALSE(steps[i].viewControlsEnabled) << i;
        EXPECT_TRUE(steps[i].waitCursor) << i;
    }
    EXPECT_EQ(reentries, 3);
    EXPECT_TRUE(harness.sink.asked.empty());
    EXPECT_TRUE(harness.files.calls.empty());
    EXPECT_TRUE(harness.sink.shown.empty());

    // After: the progress window is gone, the controls are back as they were (the CSV button
    // still hidden and disabled), the hourglass lifted, the file opened once.
    EXPECT_EQ(view->findChild<QDialog*>("CDlgLogTxtProg"), nullptr);
    EXPECT_FALSE(view->IsExporting());
    for (int number : {1102, 1100, 1104, 1332, kConvertText, kClose}) {
        EXPECT_TRUE(ViewerControl<QWidget>(view, number)->isEnabled()) << number;
    }
    EXPECT_FALSE(ViewerControl<QWidget>(view, kConvertCsv)->isEnabled());
    EXPECT_FALSE(ViewerControl<QWidget>(view, kConvertCsv)->isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(harness.opener.opened, (std::vector<QString>{QString::fromStdString(log + ".txt")}));
    EXPECT_EQ(ReadFile(log + ".txt"), Qx7LogText(log, "ewi", false));
    CloseView(view);
}

TEST_F(LogViewTest, FewerThanAThousandEntriesLeaveTheBarAtZeroOfZero) {
    const std::string log = WriteLog("p999.log", CountedLog(999));
    ASSERT_EQ(EntryCountOf(log), 999);
    gui::LogExportDialog* view = OpenView(log);
    ASSERT_NE(view, nullptr);
    ClickConvert(view);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].window, "CDlgLogTxtProg");
    EXPECT_EQ(steps[0].position, 0);
    EXPECT_EQ(steps[0].minimum, 0);
    EXPECT_EQ(steps[0].maximum, 0);
    EXPECT_EQ(ReadFile(log + ".txt"), Qx7LogText(log, "ewi", false));
    CloseView(view);
}

TEST_F(LogViewTest, AnExistingTextFileIsReplacedOnlyAfterYes) {
    const std::string log = WriteLog("p1.log", EveryTypeLog());
    const std::string out = log + ".txt";
    WriteFile(out, "old text\r\n");
    gui::LogExportDialog* view = OpenView(log);
    ASSERT_NE(view, nullptr);

    // No: the old file stays and is opened as it is; nothing runs.
    harness.sink.answer = false;
    ClickConvert(view);
    const std::string question = out + "\nalready exists. Do you want to overwrite? ";
    EXPECT_EQ(OverwriteQuestion(kEnglish, out), question);
    EXPECT_EQ(harness.sink.asked, (std::vector<std::string>{question}));
    EXPECT_EQ(harness.sink.askedCaptions, (std::vector<std::string>{"QX-7 Service Tool"}));
    EXPECT_EQ(ReadFile(out), "old text\r\n");
    EXPECT_EQ(harness.opener.opened, (std::vector<QString>{QString::fromStdString(out)}));
    EXPECT_TRUE(steps.empty());

    // Yes: replaced by the export, opened once more.
    harness.sink.answer = true;
    ClickConvert(view);
    EXPECT_EQ(harness.sink.asked.size(), 2u);
    EXPECT_EQ(ReadFile(out), Qx7LogText(log, "ewi", false));
    EXPECT_EQ(harness.opener.opened.size(), 2u);
    EXPECT_TRUE(harness.sink.shown.empty());
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"p1.log", "p1.log.txt"}));
    CloseView(view);
}

TEST_F(LogViewTest, WhereNoProgramOpensTheFileABoxSaysWhereItIs) {
    const std::string log = WriteLog("p1.log", EveryTypeLog());
    const std::string out = log + ".txt";
    harness.opener.result = false;  // no launcher, or nothing for text files
    gui::LogExportDialog* view = OpenView(log);
    ASSERT_NE(view, nullptr);
    const auto savedAs = [](const std::string& path) {
        return std::vector<std::string>{"No program opened the file. It is saved as:\n" + path};
    };

    ClickConvert(view);
    EXPECT_EQ(ReadFile(out), Qx7LogText(log, "ewi", false));
    EXPECT_EQ(harness.opener.opened, (std::vector<QString>{QString::fromStdString(out)}));
    EXPECT_EQ(harness.sink.shown, savedAs(out));

    // The old file kept after No is where it was: the same box.
    harness.sink.shown.clear();
    harness.sink.answer = false;
    ClickConvert(view);
    EXPECT_EQ(harness.sink.shown, savedAs(out));

    // And the CSV file where the user put it.
    harness.sink.shown.clear();
    const std::string csv = dir.File("chosen.csv");
    harness.files.answers = {QString::fromStdString(csv)};
    ConvertCsv(view);
    EXPECT_EQ(ReadFile(csv), Qx7LogCsv(log, "ewi"));
    EXPECT_EQ(harness.sink.shown, savedAs(csv));

    // A program that opens the file: no box.
    harness.sink.shown.clear();
    harness.opener.result = true;
    ClickConvert(view);
    EXPECT_TRUE(harness.sink.shown.empty());
    CloseView(view);
}

TEST_F(LogViewTest, AFailedExportLeavesTheOldFileOpensNothingAndShowsTheCause) {
    const std::string damaged = DamagedCompressedLog("damaged.zlg");
    const std::string empty = WriteLog("empty.log", std::string(64, '\0'));
    const std::string gone = WriteLog("gone.log", EveryTypeLog());
    const std::string big = WriteLog("big.log", CountedLog(40000));
    const std::string folderOut = WriteLog("folder.log", EveryTypeLog());
    fs::create_directory(folderOut + ".txt");

    const struct Case {
        std::string name;
        std::string log;
        std::function<void()> arrange;  // after the dialog opened, before Convert
        std::string causeStart;
    } cases[] = {
        {"damaged compressed log", damaged, nullptr, "the compressed data is damaged"},
        {"no entries", empty, nullptr, "holds no log entries"},
        {"log removed after the page", gone, [&] { fs::remove(gone); }, "cannot open: "},
        // The reader fails midway: the log is cut while the export runs.
        {"read failure midway", big,
         [&] {
             onStep = [&](gui::LogExportDialog*, int position) {
                 if (position == 1) {
                     fs::resize_file(big, 4096);
                 }
             };
         },
         "read error after "},
        // The output's name is a folder (the user said Yes to replacing it).
        {"output is a folder", folderOut, nullptr, "is a folder"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::string out = test.log + ".txt";
        if (!fs::is_directory(out)) {
            WriteFile(out, "old text\r\n");
        }
        gui::LogExportDialog* view = OpenView(test.log);
        ASSERT_NE(view, nullptr);
        if (test.arrange) {
            test.arrange();
        }
        harness.sink.answer = true;
        harness.sink.shown.clear();
        harness.opener.opened.clear();
        ClickConvert(view);
        onStep = nullptr;

        ExpectFileError(-166);
        EXPECT_NE(harness.sink.shown.front().find("(" + test.causeStart), std::string::npos)
            << harness.sink.shown.front();
        EXPECT_TRUE(harness.opener.opened.empty());
        if (fs::is_directory(out)) {
            EXPECT_TRUE(fs::is_empty(out));
        } else {
            EXPECT_EQ(ReadFile(out), "old text\r\n");
        }
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(ViewerControl<QWidget>(view, kConvertText)->isEnabled());
        CloseView(view);
        driver.reset();
        sheet.reset();
    }
    // Nothing but the logs and the old files: no temporaries, no partial output.
    EXPECT_EQ(FileNames(dir.Path()),
              (std::vector<std::string>{"big.log", "big.log.txt", "damaged.zlg", "damaged.zlg.txt",
                                        "empty.log", "empty.log.txt", "folder.log",
                                        "folder.log.txt", "gone.log.txt"}));
}

TEST_F(LogViewTest, AWriteFailureLeavesNoFileBehind) {
    // The file may not grow past 64 KiB: the export's writes fail partway.
    const std::string log = WriteLog("big.log", CountedLog(40000));
    gui::LogExportDialog* view = OpenView(log);
    ASSERT_NE(view, nullptr);
    {
        const FileSizeLimit limit(64 * 1024);
        ClickConvert(view);
    }
    ExpectFileError(-166);
    EXPECT_NE(harness.sink.shown.front().find("(cannot write: File too large)"), std::string::npos)
        << harness.sink.shown.front();
    EXPECT_TRUE(harness.opener.opened.empty());
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"big.log"}));
    CloseView(view);
}

TEST_F(LogViewTest, CsvSlotWritesWhatQx7logCsvWritesUnderItsProgressWindow) {
    const std::string log = WriteLog("generated.log", GeneratedLog(3000, loggen::LogForm::Plain));
    const int thousands = EntryCountOf(log) / 1000;
    ASSERT_GE(thousands, 1);
    gui::LogExportDialog* view = OpenView(log);
    ASSERT_NE(view, nullptr);

    onStep = [&](gui::LogExportDialog* running, int position) {
        auto* progress = running->findChild<QDialog*>("CDlgLogCsvProg");
        ASSERT_NE(progress, nullptr);
        if (position == 0 && steps.size() == 1) {
            EXPECT_EQ(progress->windowTitle(), "Converting the log data to CSV file");
            EXPECT_EQ(ViewerControl<QLabel>(progress, 1233)->text(), Entry(kEnglish, 232));
            ScreenshotViewer(progress, "242-csv-progress");
        }
    };
    const struct {
        bool errors, warnings, information, extData;
        std::string types;
    } combinations[] = {{true, true, true, false, "ewi"},
                        {false, false, false, true, ""},
                        {true, false, true, false, "ei"}};
    int run = 0;
    for (const auto& boxes : combinations) {
        SCOPED_TRACE("--types '" + boxes.types + "'");
        const std::string out = dir.File("export" + std::to_string(run++) + ".csv");
        harness.files.answers = {QString::fromStdString(out)};
        harness.files.calls.clear();
        harness.opener.opened.clear();
        steps.clear();
        SetBoxes(view, boxes.errors, boxes.warnings, boxes.information, boxes.extData);
        ConvertCsv(view);

        ASSERT_EQ(harness.files.calls.size(), 1u);
        EXPECT_EQ(harness.files.calls[0].kind, "save");
        EXPECT_EQ(harness.files.calls[0].start, QString::fromStdString(dir.File("generated.csv")));
        EXPECT_EQ(harness.files.calls[0].filter, "Csv Files (*.csv);;All Files (*)");
        EXPECT_EQ(ReadFile(out), Qx7LogCsv(log, boxes.types));
        EXPECT_EQ(harness.opener.opened, (std::vector<QString>{QString::fromStdString(out)}));
        ASSERT_EQ(steps.size(), static_cast<std::size_t>(thousands + 1));
        EXPECT_EQ(steps.back().window, "CDlgLogCsvProg");
        EXPECT_EQ(steps.back().maximum, thousands);
        EXPECT_EQ(steps.back().barValue, thousands);
    }
    onStep = nullptr;
    EXPECT_EQ(view->findChild<QDialog*>("CDlgLogCsvProg"), nullptr);
    EXPECT_TRUE(harness.sink.shown.empty());

    // An existing file is replaced: the chooser has asked.
    const std::string existing = dir.File("export0.csv");
    WriteFile(existing, "old");
    harness.files.answers = {QString::fromStdString(existing)};
    SetBoxes(view, true, true, true, false);
    ConvertCsv(view);
    EXPECT_EQ(ReadFile(existing), Qx7LogCsv(log, "ewi"));

    // Cancel: nothing written, shown or opened.
    const auto before = FileNames(dir.Path());
    harness.files.answers.clear();
    harness.opener.opened.clear();
    ConvertCsv(view);
    EXPECT_EQ(FileNames(dir.Path()), before);
    EXPECT_TRUE(harness.opener.opened.empty());
    EXPECT_TRUE(harness.sink.shown.empty());

    // The log itself is never the output.
    harness.files.answers = {QString::fromStdString(log)};
    const std::string logBytes = ReadFile(log);
    ConvertCsv(view);
    ExpectFileError(-167);
    EXPECT_EQ(ReadFile(log), logBytes);
    CloseView(view);
}

TEST_F(LogViewTest, CsvOfALogThatCannotBeOpenedShowsTheErrorAndLeavesNoFile) {
    const std::string log = DamagedCompressedLog("damaged.zlg");
    gui::LogExportDialog* view = OpenView(log);
    ASSERT_NE(view, nullptr);
    const std::string out = dir.File("out.csv");
    harness.files.answers = {QString::fromStdString(out)};
    ConvertCsv(view);
    ExpectFileError(-167);
    EXPECT_TRUE(steps.empty());
    EXPECT_FALSE(fs::exists(out));
    EXPECT_TRUE(harness.opener.opened.empty());
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"damaged.zlg"}));
    CloseView(view);
}

TEST_F(LogViewJapaneseTest, JapaneseTextsQuestionMessageAndFiles) {
    const std::string log = WriteLog("p1.zlg", GeneratedLog(1200, loggen::LogForm::Compressed));
    gui::LogExportDialog* view = OpenView(log);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(ViewerControl<QLabel>(view, 1099)->text(), Entry(kJapanese, 149));
    EXPECT_EQ(ViewerControl<QLabel>(view, 1228)->text(), Entry(kJapanese, 227));
    EXPECT_NE(Entry(kJapanese, 227), Entry(kEnglish, 227));
    // The captions of the layout stay as they are.
    EXPECT_EQ(ViewerControl<QCheckBox>(view, 1104)->text(), "Information");
    auto* instructions = ViewerControl<QLabel>(view, 1099);
    EXPECT_GE(instructions->height(), instructions->heightForWidth(instructions->width()));
    ScreenshotViewer(view, "227-log-view");

    onStep = [&](gui::LogExportDialog* running, int position) {
        if (position != 0) {
            return;
        }
        for (const char* name : {"CDlgLogTxtProg", "CDlgLogCsvProg"}) {
            if (auto* progress = running->findChild<QDialog*>(name)) {
                const bool text = progress->objectName() == "CDlgLogTxtProg";
                auto* label = ViewerControl<QLabel>(progress, text ? 1202 : 1233);
                EXPECT_EQ(label->text(), Entry(kJapanese, text ? 212 : 232));
                EXPECT_GE(label->height(), label->heightForWidth(label->width()));
                ScreenshotViewer(progress, text ? "229-text-progress" : "242-csv-progress");
            }
        }
    };
    // The descriptions in the file are Japanese, as `qx7log --lang=ja text` writes them.
    ClickConvert(view);
    const std::string out = log + ".txt";
    EXPECT_EQ(ReadFile(out), Qx7LogText(log, "ewi", false));
    const std::string csv = dir.File("p1.csv");
    harness.files.answers = {QString::fromStdString(csv)};
    ConvertCsv(view);
    EXPECT_EQ(ReadFile(csv), Qx7LogCsv(log, "ewi"));
    onStep = nullptr;

    // The question in Japanese under the program's caption; then the file error in Japanese.
    harness.sink.answer = false;
    ClickConvert(view);
    ASSERT_EQ(harness.sink.asked.size(), 1u);
    EXPECT_EQ(harness.sink.asked[0], out + "\n" + Entry(kJapanese, 382).toStdString());
    EXPECT_EQ(harness.sink.askedCaptions[0], "QX-7 Service Tool");
    fs::remove(log);
    harness.sink.answer = true;
    ClickConvert(view);
    ExpectFileError(-166);
    EXPECT_TRUE(harness.sink.shown.front().rfind(Entry(kJapanese, 238).toStdString(), 0) == 0);
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"p1.csv", "p1.zlg.txt"}));

    // Where no program opens the file, the box that says where it is, in Japanese.
    WriteFile(log, GeneratedLog(1200, loggen::LogForm::Compressed));
    harness.sink.shown.clear();
    harness.opener.result = false;
    ClickConvert(view);
    EXPECT_EQ(harness.sink.shown,
              std::vector<std::string>{
                  "ファイルを開くプログラムが見つかりませんでした。ファイルの保存先:\n" + out});
    CloseView(view);
}

}  // namespace
}  // namespace qx7::test
