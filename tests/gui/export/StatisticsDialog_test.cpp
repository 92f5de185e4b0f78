// The statistics dialog opened from page 225: defaults, the names following the range, and
// files equal to `qx7log stats` with the same options; override, bad names and failures; the
// chart of the range's days against the day file and the chart's core.

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDate>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPointer>
#include <QSignalSpy>
#include <QSpinBox>
#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "core/export/StatisticsChart.h"
#include "core/export/StatisticsFiles.h"
#include "gui/export/StatisticsDialog.h"
#include "gui/log/LogViewerTest.h"
#include "loggen/Scenario.h"
#include "support/TempDir.h"

namespace qx7::test {
namespace {

constexpr int kStatistics = 1192;
// Edits with their up-downs: start year, month, day, end year, month, day.
constexpr std::pair<int, int> kDateControls[] = {{1234, 1251}, {1235, 1252}, {1237, 1253},
                                                 {1238, 1254}, {1239, 1255}, {1240, 1256}};

struct Choice {
    bool range = false;
    StatisticsDateInput from;
    StatisticsDateInput to;
    bool semicolon = false;
    std::string comment;  // ticked when not empty
};

class StatDlgTest : public LogViewerTest {
  protected:
    using LogViewerTest::LogViewerTest;

    void TearDown() override {
        if (viewer_) {
            viewer_->reject();
            EXPECT_TRUE(QTest::qWaitFor([&] { return viewer_.isNull(); }, 5000));
        }
        LogViewerTest::TearDown();
    }

    // A generated log of prints, jobs and cleanings over many days (from 2014-03-01).
    std::string ScenarioLog(const std::string& name, loggen::LogForm form) {
        loggen::ScenarioOptions options;
        options.entries = 3000;
        options.seed = 2014;
        loggen::WriteBytes(dir.File(name), loggen::GenerateLog(options, form));
        return dir.File(name);
    }

    QDialog* Open(const std::string& log) {
        OpenViewerPage("stats", log);
        return Reopen();
    }
    // Page 225 is still on show after a viewer closed: its button again.
    QDialog* Reopen() {
        viewer_ = PressViewer(kStatistics);
        return viewer_;
    }

    template <class T>
    T* Control(int number) {
        T* control = ViewerControl<T>(viewer_, number);
        EXPECT_NE(control, nullptr) << number;
        return control;
    }
    QString Text(int number) { return Control<QLineEdit>(number)->text(); }
    void Date(int first, StatisticsDateInput date) {
        const int parts[3] = {int(date.year), int(date.month), int(date.day)};
        for (int i = 0; i < 3; ++i) {
            Control<QSpinBox>(kDateControls[first + i].first)->setValue(parts[i]);
        }
    }

    // Sets the options, saves into `folder` (chosen with Browse) and waits for the dialog to
    // close.
    void SaveInto(const std::string& folder, const Choice& choice) {
        if (choice.range) {
            Control<QCheckBox>(1257)->click();
            Date(0, choice.from);
            Date(3, choice.to);
        }
        if (choice.semicolon) {
            Control<QCheckBox>(1336)->click();
        }
        if (!choice.comment.empty()) {
            Control<QCheckBox>(1258)->click();
            auto* comment = Control<QLineEdit>(1248);
            EXPECT_TRUE(comment->isEnabled());
            // Typed as an input method would give it (key clicks are ASCII only).
            comment->insert(QString::fromStdString(choice.comment));
        }
        std::filesystem::create_directories(folder);
        harness.files.answers.push_back(QString::fromStdString(folder));
        QTest::mouseClick(Control<QPushButton>(1243), Qt::LeftButton);
        QTest::mouseClick(Control<QPushButton>(1244), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return viewer_.isNull(); }, 5000));
    }

    // `qx7log stats` with the same options into a folder of its own.
    void Qx7LogStats(const std::string& log, const std::string& folder, const Choice& choice) {
        std::filesystem::create_directories(folder);
        std::vector<std::string> args = {"stats", log, "--folder", folder};
        const auto date = [](const StatisticsDateInput& d) {
            return std::to_string(d.year) + "/" + std::to_string(d.month) + "/" +
                   std::to_string(d.day);
        };
        if (choice.range) {
            args.insert(args.end(), {"--from", date(choice.from), "--to", date(choice.to)});
        }
        if (choice.semicolon) {
            args.push_back("--semicolon");
        }
        if (!choice.comment.empty()) {
            args.insert(args.end(), {"--comment", choice.comment});
        }
        const ProgramResult result = Qx7Log(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
    }

    // The dialog's files against qx7log's for the options; answers the day file's rows.
    int ExpectSameFiles(const std::string& log, const Choice& choice, const std::string& tag) {
        SaveInto(dir.File("gui-" + tag), choice);
        Qx7LogStats(log, dir.File("cli-" + tag), choice);
        const std::vector<std::string> names = FileNames(dir.File("cli-" + tag));
        EXPECT_EQ(names.size(), 2u) << tag;
        EXPECT_EQ(FileNames(dir.File("gui-" + tag)), names) << tag;
        for (const std::string& name : names) {
            EXPECT_EQ(ReadFile(dir.File("gui-" + tag + "/" + name)),
                      ReadFile(dir.File("cli-" + tag + "/" + name)))
                << tag << " " << name;
        }
        const std::string day = ReadFile(dir.File("gui-" + tag + "/" + names[0]));
        return static_cast<int>(std::count(day.begin(), day.end(), '\n'));
    }

    gui::StatisticsDialog* Dialog() { return qobject_cast<gui::StatisticsDialog*>(viewer_.data()); }
    QChart* Chart() {
        auto* view = viewer_->findChild<QChartView*>(QStringLiteral("chart"));
        EXPECT_NE(view, nullptr);
        return view ? view->chart() : nullptr;
    }
    template <class T>
    T* Series(const char* name) {
        for (QAbstractSeries* series : Chart()->series()) {
            if (series->objectName() == QLatin1String(name)) {
                return qobject_cast<T*>(series);
            }
        }
        ADD_FAILURE() << name;
        return nullptr;
    }
    std::vector<double> Bars() {
        std::vector<double> values;
        const QList<QBarSet*> sets = Series<QBarSeries>("prints")->barSets();
        EXPECT_EQ(sets.size(), 1);
        for (int i = 0; !sets.empty() && i < sets[0]->count(); ++i) {
            values.push_back(sets[0]->at(i));
        }
        return values;
    }
    std::vector<double> Line() {
        std::vector<double> values;
        const QList<QPointF> points = Series<QLineSeries>("printHours")->points();
        for (qsizetype i = 0; i < points.size(); ++i) {
            EXPECT_EQ(points[i].x(), static_cast<double>(i));
            values.push_back(points[i].y());
        }
        return values;
    }
    // Lets the pending change of the range reach the chart.
    void WaitForChart() {
        EXPECT_TRUE(QTest::qWaitFor([&] { return Dialog()->IsChartCurrent(); }, 10000));
    }

    // The "print" column of the day file `qx7log stats` writes for the range, a value a day in
    // date order from its first date to its last (days without a row 0, a date twice added up):
    // the file's rows follow the records through the log, whose ring has wrapped.
    std::vector<double> DayFilePrints(const std::string& log, const Choice& choice,
                                      const std::string& tag) {
        Qx7LogStats(log, dir.File("cli-" + tag), choice);
        const std::vector<std::string> names = FileNames(dir.File("cli-" + tag));
        EXPECT_EQ(names.size(), 2u);
        std::istringstream day(names.empty() ? std::string()
                                             : ReadFile(dir.File("cli-" + tag + "/" + names[0])));
        std::map<QDate, double> byDate;
        std::string line;
        std::getline(day, line);
        EXPECT_EQ(line.rfind("date,print,", 0), 0u) << line;
        while (std::getline(day, line)) {
            const std::size_t first = line.find(',');
            const QDate date = QDate::fromString(QString::fromStdString(line.substr(0, first)),
                                                 QStringLiteral("M/d/yyyy"));
            EXPECT_TRUE(date.isValid()) << line;
            byDate[date] += std::stod(line.substr(first + 1, line.find(',', first + 1)));
        }
        std::vector<double> prints;
        for (QDate date = byDate.empty() ? QDate() : byDate.begin()->first;
             !byDate.empty() && date <= byDate.rbegin()->first; date = date.addDays(1)) {
            const auto found = byDate.find(date);
            prints.push_back(found == byDate.end() ? 0.0 : found->second);
        }
        return prints;
    }
    // The chart core's print hours for the same records and range.
    std::vector<double> CoreHours(const std::string& log, const Choice& choice) {
        CLogList records;
        EXPECT_EQ(LoadStatisticsRecords(log, records, harness.clock), 0);
        const stats::DateRange range =
            choice.range ? MakeDateRange(choice.from, choice.to) : stats::DateRange{};
        std::vector<double> hours;
        for (const ChartDay& day :
             BuildChartDays(records, range, harness.clock, LocalToday(harness.clock))) {
            hours.push_back(day.printHours);
        }
        return hours;
    }

    QPointer<QDialog> viewer_;
};

TEST_F(StatDlgTest, DefaultsTextsAndDisabledControls) {
    ASSERT_NE(Open(ScenarioLog("p1.zlg", loggen::LogForm::Compressed)), nullptr);
    EXPECT_EQ(viewer_->objectName(), "CStatDlg");
    EXPECT_EQ(viewer_->windowTitle(), "Statistics");
    // The hourglass of the reading is gone while the dialog is up.
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Text(1241), "p1_D.csv");
    EXPECT_EQ(Text(1242), "p1_J.csv");
    EXPECT_EQ(Text(1236), QString::fromStdString(dir.Path().string()));
    EXPECT_TRUE(Control<QLineEdit>(1236)->isReadOnly());
    const int dates[6] = {2004, 1, 1, 2024, 5, 1};  // the harness's today
    const std::pair<int, int> ranges[3] = {{2004, 2099}, {1, 12}, {1, 31}};
    for (int i = 0; i < 6; ++i) {
        auto* box = Control<QSpinBox>(kDateControls[i].first);
        EXPECT_EQ(box->value(), dates[i]) << i;
        EXPECT_EQ(box->property("upDown").toInt(), kDateControls[i].second);
        EXPECT_EQ(std::pair(box->minimum(), box->maximum()), ranges[i % 3]);
        EXPECT_FALSE(box->isGroupSeparatorShown());
        EXPECT_FALSE(box->isEnabled()) << i;
    }
    EXPECT_FALSE(Control<QLineEdit>(1248)->isEnabled());
    for (const auto& [control, text] :
         {std::pair{1257, "Spcified Date"}, std::pair{1258, "Insert Comment"},
          std::pair{1336, "Semicolon Separated"}}) {
        EXPECT_EQ(Control<QCheckBox>(control)->text(), text);
        EXPECT_FALSE(Control<QCheckBox>(control)->isChecked());
    }
    for (const auto& [control, text] :
         {std::pair{1286, "Folder:"}, std::pair{1281, "Day:"}, std::pair{1287, "Job:"}}) {
        EXPECT_EQ(Control<QLabel>(control)->text(), text);
    }
    for (const auto& [control, text] :
         {std::pair{1243, "Browse..."}, std::pair{1244, "Save"}, std::pair{1245, "Cancel"}}) {
        EXPECT_EQ(Control<QPushButton>(control)->text(), text);
    }
    EXPECT_EQ(Control<QLineEdit>(1241)->accessibleName(), "Day:");
    EXPECT_EQ(Control<QSpinBox>(1238)->accessibleName(), "End year");
    EXPECT_EQ(viewer_->focusWidget(), Control<QCheckBox>(1257));
    ScreenshotViewer(viewer_, "statistics-defaults");
    ExpectNoTemporaries();
}

TEST_F(StatDlgTest, NamesFollowTheRangeWhileTyping) {
    ASSERT_NE(Open(ScenarioLog("p1.zlg", loggen::LogForm::Compressed)), nullptr);
    Control<QCheckBox>(1257)->click();
    EXPECT_TRUE(Control<QSpinBox>(1234)->isEnabled());
    EXPECT_EQ(Text(1241), "p1_D_2004_0101-2024_0501.csv");
    // What the user typed in a name is replaced by the next change of the range.
    Control<QLineEdit>(1242)->setText("mine.csv");
    for (const auto& [control, typed] :
         {std::pair{1234, "2014"}, std::pair{1235, "3"}, std::pair{1237, "5"},
          std::pair{1238, "2015"}, std::pair{1239, "2"}, std::pair{1240, "16"}}) {
        auto* box = Control<QSpinBox>(control);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, typed);
    }
    EXPECT_EQ(Text(1241), "p1_D_2014_0305-2015_0216.csv");
    EXPECT_EQ(Text(1242), "p1_J_2014_0305-2015_0216.csv");
    // The up arrow steps a field.
    QTest::keyClick(Control<QSpinBox>(1240), Qt::Key_Up);
    EXPECT_EQ(Text(1241), "p1_D_2014_0305-2015_0217.csv");
    ScreenshotViewer(viewer_, "statistics-range");
    Control<QCheckBox>(1258)->click();
    EXPECT_TRUE(Control<QLineEdit>(1248)->isEnabled());
    // Off again: plain names, dates disabled.
    Control<QCheckBox>(1257)->click();
    EXPECT_EQ(Text(1241), "p1_D.csv");
    EXPECT_FALSE(Control<QSpinBox>(1240)->isEnabled());
}

TEST_F(StatDlgTest, SavedFilesEqualTheCommandLinesForEachOption) {
    const std::string log = ScenarioLog("p1.zlg", loggen::LogForm::Compressed);
    const Choice choices[] = {
        {},
        {true, {2014, 3, 5}, {2014, 3, 20}, false, {}},
        {false, {}, {}, true, "shop 1, \"March\""},
        {true, {2014, 3, 10}, {2099, 12, 31}, true, "all; later"},
    };
    int tag = 0;
    int allRows = 0;
    OpenViewerPage("stats", log);
    for (const Choice& choice : choices) {
        ASSERT_NE(Reopen(), nullptr);
        const int rows = ExpectSameFiles(log, choice, std::to_string(tag++));
        // Real statistics, not headers alone; the range keeps fewer days.
        EXPECT_GT(rows, choice.comment.empty() ? 3 : 4);
        if (tag == 1) {
            allRows = rows;
        } else if (tag == 2) {
            EXPECT_LT(rows, allRows);
        }
    }
    EXPECT_TRUE(harness.sink.shown.empty());
    EXPECT_TRUE(harness.sink.asked.empty());
    ExpectNoTemporaries();
}

TEST_F(StatDlgTest, ALogNamedWithoutFolderSavesIntoTheCurrentFolder) {
    const std::string log = ScenarioLog("p1.log", loggen::LogForm::Plain);
    std::filesystem::current_path(dir.Path());
    ASSERT_NE(Open("p1.log"), nullptr);
    EXPECT_EQ(Text(1236), QString::fromStdString(dir.Path().string()));
    QTest::mouseClick(Control<QPushButton>(1244), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer_.isNull(); }, 5000));
    Qx7LogStats(log, dir.File("cli"), {});
    EXPECT_EQ(ReadFile(dir.File("p1_D.csv")), ReadFile(dir.File("cli/p1_D.csv")));
    EXPECT_EQ(ReadFile(dir.File("p1_J.csv")), ReadFile(dir.File("cli/p1_J.csv")));
}

TEST_F(StatDlgTest, OverrideQuestionNoKeepsThatFile) {
    ASSERT_NE(Open(ScenarioLog("p1.log", loggen::LogForm::Plain)), nullptr);
    WriteFile(dir.File("p1_D.csv"), "mine");
    harness.sink.answer = false;
    QTest::mouseClick(Control<QPushButton>(1244), Qt::LeftButton);
    EXPECT_EQ(harness.sink.asked, std::vector<std::string>{OverrideQuestion(dir.File("p1_D.csv"))});
    EXPECT_EQ(ReadFile(dir.File("p1_D.csv")), "mine");
    EXPECT_NE(ReadFile(dir.File("p1_J.csv")).find("clock,name,"), std::string::npos);
    // The job file was written, the day file kept as the user said: done.
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer_.isNull(); }, 5000));

    // Both there and both kept: nothing was written, the dialog stays; Yes replaces both.
    ASSERT_NE(Reopen(), nullptr);
    QTest::mouseClick(Control<QPushButton>(1244), Qt::LeftButton);
    EXPECT_EQ(harness.sink.asked.size(), 3u);
    EXPECT_TRUE(viewer_->isVisible());
    harness.sink.answer = true;
    QTest::mouseClick(Control<QPushButton>(1244), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer_.isNull(); }, 5000));
    EXPECT_NE(ReadFile(dir.File("p1_D.csv")).find("date,print,"), std::string::npos);
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(StatDlgTest, ABadNameIsToldTheOtherFileWrittenAndTheDialogStays) {
    ASSERT_NE(Open(ScenarioLog("p1.log", loggen::LogForm::Plain)), nullptr);
    Control<QLineEdit>(1241)->setText("a:b.csv");
    QTest::mouseClick(Control<QPushButton>(1244), Qt::LeftButton);
    EXPECT_EQ(harness.sink.shown,
              std::vector<std::string>{dir.File("a:b.csv") + " access denied. (-60)"});
    EXPECT_FALSE(std::filesystem::exists(dir.File("a:b.csv")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("p1_J.csv")));
    EXPECT_TRUE(viewer_->isVisible());
    // Mended: the day file is written; keeping the job file already there ends the dialog.
    Control<QLineEdit>(1241)->setText("p1_D.csv");
    QTest::mouseClick(Control<QPushButton>(1244), Qt::LeftButton);
    EXPECT_TRUE(std::filesystem::exists(dir.File("p1_D.csv")));
    EXPECT_EQ(harness.sink.asked.size(), 1u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer_.isNull(); }, 5000));
}

TEST_F(StatDlgTest, AFileThatCannotBeCreatedKeepsTheDialogForAnotherFolder) {
    ASSERT_NE(Open(ScenarioLog("p1.log", loggen::LogForm::Plain)), nullptr);
    WriteFile(dir.File("file"), "x");
    harness.files.answers = {QString::fromStdString(dir.File("file")), QString()};
    QTest::mouseClick(Control<QPushButton>(1243), Qt::LeftButton);
    // Cancelling the chooser changes nothing.
    QTest::mouseClick(Control<QPushButton>(1243), Qt::LeftButton);
    ASSERT_EQ(harness.files.calls.size(), 2u);
    EXPECT_EQ(harness.files.calls[0].caption, "Select Folder");
    EXPECT_EQ(harness.files.calls[0].start, QString::fromStdString(dir.Path().string()));
    EXPECT_EQ(Text(1236), QString::fromStdString(dir.File("file")));
    QTest::mouseClick(Control<QPushButton>(1244), Qt::LeftButton);
    EXPECT_EQ(harness.sink.shown,
              (std::vector<std::string>{dir.File("file/p1_D.csv") + " access denied. (-62)",
                                        dir.File("file/p1_J.csv") + " access denied. (-63)"}));
    EXPECT_TRUE(viewer_->isVisible());
    EXPECT_EQ(viewer_->result(), QDialog::Rejected);
}

TEST_F(StatDlgTest, EscapeAndCancelWriteNothingAndEnterPressesOnlyAFocusedButton) {
    const std::string log = ScenarioLog("p1.log", loggen::LogForm::Plain);
    const auto before = FileNames(dir.Path());
    ASSERT_NE(Open(log), nullptr);
    Control<QCheckBox>(1258)->click();
    // Enter in a field presses nothing: the dialog has no default button.
    for (int focus : {1248, 1241}) {
        QWidget* control = Control<QWidget>(focus);
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Return);
        QTest::keyClick(control, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_TRUE(viewer_->isVisible()) << focus;
    }
    // A date field left without a number: Save does nothing, clicked or taking Enter.
    Control<QCheckBox>(1257)->click();
    Control<QSpinBox>(1237)->findChild<QLineEdit*>()->clear();
    Control<QPushButton>(1244)->click();
    EXPECT_TRUE(viewer_->isVisible());
    Control<QPushButton>(1244)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Control<QPushButton>(1244), Qt::Key_Return);
    EXPECT_TRUE(viewer_->isVisible());
    EXPECT_EQ(FileNames(dir.Path()), before);

    QTest::keyClick(viewer_, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer_.isNull(); }, 5000));
    // Cancel with the focus takes Enter.
    ASSERT_NE(Reopen(), nullptr);
    Control<QPushButton>(1245)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Control<QPushButton>(1245), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer_.isNull(); }, 5000));
    ASSERT_NE(Reopen(), nullptr);
    QTest::mouseClick(Control<QPushButton>(1245), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer_.isNull(); }, 5000));
    EXPECT_EQ(FileNames(dir.Path()), before);
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(StatDlgTest, ALogWhoseRecordsCannotBeReadOpensNoDialog) {
    const std::string log = DamagedCompressedLog("p1.zlg");
    CLogList records;
    const int code = LoadStatisticsRecords(log, records, harness.clock);
    ASSERT_LT(code, 0);
    OpenViewerPage("damaged", log);
    // No dialog is to come: the while it was always given to show up is enough.
    EXPECT_EQ(PressViewer(kStatistics, 2000), nullptr);
    EXPECT_EQ(harness.sink.shown, std::vector<std::string>{MessageWithCode(kEnglish, 233, code)});
    EXPECT_EQ(harness.sink.shown[0].rfind("Open file failed. Check file name. (-", 0), 0u);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"p1.zlg"});
    EXPECT_EQ(Qx7Log({"stats", log}).exitCode, 1);  // the command line refuses it too
}

TEST_F(StatDlgTest, ChartShowsTheDayFilesPrintsAndTheJobsPrintHours) {
    const std::string log = ScenarioLog("p1.zlg", loggen::LogForm::Compressed);
    ASSERT_NE(Open(log), nullptr);
    ASSERT_NE(Dialog(), nullptr);
    EXPECT_TRUE(Dialog()->IsChartCurrent());
    EXPECT_EQ(Chart()->title(), "Prints and print time by day");
    const std::vector<double> whole = DayFilePrints(log, {}, "whole");
    ASSERT_GT(whole.size(), 20u);
    EXPECT_EQ(Bars(), whole);
    const std::vector<double> hours = Line();
    EXPECT_EQ(hours, CoreHours(log, {}));
    // Days without a job lie on zero, and the jobs' days do not.
    EXPECT_NE(std::count(hours.begin(), hours.end(), 0.0), 0);
    EXPECT_NE(std::count_if(hours.begin(), hours.end(), [](double h) { return h > 0; }), 0);
    ScreenshotViewer(viewer_, "statistics-chart");

    // The range, typed field by field, draws the chart once when the typing pauses.
    QSignalSpy updates(Dialog(), &gui::StatisticsDialog::chartUpdated);
    const Choice march{true, {2014, 3, 5}, {2014, 3, 20}, false, {}};
    Control<QCheckBox>(1257)->click();
    Date(0, march.from);
    Date(3, march.to);
    EXPECT_FALSE(Dialog()->IsChartCurrent());
    EXPECT_EQ(Bars(), whole);
    ASSERT_TRUE(updates.wait(10000));
    WaitForChart();
    EXPECT_EQ(updates.size(), 1);
    const std::vector<double> days = Bars();
    EXPECT_LT(days.size(), whole.size());
    EXPECT_GT(days.size(), 3u);
    EXPECT_EQ(days, DayFilePrints(log, march, "march"));
    EXPECT_EQ(Line(), CoreHours(log, march));
    ScreenshotViewer(viewer_, "statistics-chart-range");

    // Off again: the whole log.
    Control<QCheckBox>(1257)->click();
    WaitForChart();
    EXPECT_EQ(Bars(), whole);
    EXPECT_EQ(Line(), hours);
}

TEST_F(StatDlgTest, ARangeThatIsNoRangeKeepsTheChart) {
    const std::string log = ScenarioLog("p1.log", loggen::LogForm::Plain);
    ASSERT_NE(Open(log), nullptr);
    Control<QCheckBox>(1257)->click();
    Date(0, {2014, 3, 6});
    Date(3, {2014, 3, 13});
    WaitForChart();
    const std::vector<double> bars = Bars();
    const std::vector<double> line = Line();
    ASSERT_EQ(bars, DayFilePrints(log, {true, {2014, 3, 6}, {2014, 3, 13}, false, {}}, "week"));
    ASSERT_GT(bars.size(), 2u);
    QSignalSpy updates(Dialog(), &gui::StatisticsDialog::chartUpdated);
    // A field without a number, then a change elsewhere: no range, the chart stays.
    Control<QSpinBox>(1237)->findChild<QLineEdit*>()->clear();
    Control<QSpinBox>(1240)->setValue(12);
    WaitForChart();
    EXPECT_EQ(Bars(), bars);
    EXPECT_EQ(Line(), line);
    EXPECT_EQ(updates.size(), 0);
    // Mended: the chart follows again.
    Control<QSpinBox>(1237)->setValue(11);
    WaitForChart();
    EXPECT_EQ(updates.size(), 1);
    EXPECT_NE(Bars(), bars);
    EXPECT_EQ(Bars(), DayFilePrints(log, {true, {2014, 3, 11}, {2014, 3, 12}, false, {}}, "short"));
    // The end before the start is a range of no days, as in the day file.
    Date(3, {2014, 3, 1});
    WaitForChart();
    EXPECT_TRUE(Bars().empty());
    EXPECT_TRUE(Line().empty());
    EXPECT_TRUE(DayFilePrints(log, {true, {2014, 3, 11}, {2014, 3, 1}, false, {}}, "none").empty());
}

class JapaneseStatDlgTest : public StatDlgTest {
  protected:
    JapaneseStatDlgTest() : StatDlgTest(kJapanese) {}
};

TEST_F(JapaneseStatDlgTest, TextsAndFilesInJapanese) {
    const std::string log = ScenarioLog("p1.zlg", loggen::LogForm::Compressed);
    ASSERT_NE(Open(log), nullptr);
    EXPECT_EQ(viewer_->windowTitle(), Entry(kJapanese, 289));
    EXPECT_EQ(Control<QSpinBox>(1234)->accessibleName(), QStringLiteral("開始年"));
    EXPECT_EQ(Control<QSpinBox>(1240)->accessibleName(), QStringLiteral("終了日"));
    ScreenshotViewer(viewer_, "statistics-defaults");
    EXPECT_EQ(Chart()->title(), Entry(kJapanese, 5560));
    EXPECT_EQ(Series<QBarSeries>("prints")->name(), Entry(kJapanese, 5561));
    EXPECT_EQ(Series<QLineSeries>("printHours")->name(), Entry(kJapanese, 5562));
    EXPECT_EQ(Bars(), DayFilePrints(log, {}, "whole"));
    ScreenshotViewer(viewer_, "statistics-chart");
    Control<QCheckBox>(1257)->click();
    Date(0, {2014, 3, 5});
    Date(3, {2014, 4, 20});
    WaitForChart();
    EXPECT_EQ(Bars(), DayFilePrints(log, {true, {2014, 3, 5}, {2014, 4, 20}, false, {}}, "range"));
    ScreenshotViewer(viewer_, "statistics-range");
    Control<QCheckBox>(1257)->click();
    ExpectSameFiles(log, {true, {2014, 3, 1}, {2014, 4, 30}, false, "店舗 一, 三月"}, "ja");
    EXPECT_TRUE(harness.sink.shown.empty());
}

}  // namespace
}  // namespace qx7::test
