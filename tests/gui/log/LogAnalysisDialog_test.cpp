// The analysis viewer (231) behind "Check Operation": its listing equals `qx7log analyze` for
// the same analysis and maximum (at opening, after another analysis, after Display), runs
// only when it should, stops a run it no longer wants, keeps the window's layout rules and
// shows core's messages with the normal pointer.

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextDocument>

#include "core/log/LogAnalysis.h"
#include "core/log/LogTextContext.h"
#include "gui/log/LogAnalysisDialog.h"
#include "gui/app/LogViewerRegistry.h"
#include "gui/log/LogViewerTest.h"
#include "gui/support/Monospaced.h"
#include "loggen/Scenario.h"

namespace qx7::test {
namespace {

constexpr int kAnalysisButton = 1208;
constexpr int kAll = 3;  // "All" in the maximum box

class LogAnalTest : public LogViewerTest {
  protected:
    using LogViewerTest::LogViewerTest;

    // A generated log: days of operation with errors, warnings, prints, cleanings.
    std::string GeneratedLog(const std::string& name, std::uint32_t entries,
                             loggen::LogForm form = loggen::LogForm::Compressed) {
        loggen::ScenarioOptions options;
        options.entries = entries;
        const std::string path = dir.File(name);
        EXPECT_TRUE(loggen::WriteBytes(path, loggen::GenerateLog(options, form)));
        return path;
    }

    // `errors` obstruction errors a second apart, and a power-on before them.
    std::string ErrorLog(const std::string& name, std::uint32_t errors) {
        loggen::Ring ring(errors * 4 + 64);
        ring.Write(loggen::EntrySpec{400000000, 0, 4, 0, 0x00010000, {}});
        for (std::uint32_t i = 0; i < errors; ++i) {
            ring.Write(loggen::EntrySpec{400000001 + i, 0, 2, 0, 0x00002070, {}});
        }
        const std::string path = dir.File(name);
        EXPECT_TRUE(loggen::WriteBytes(
            path, loggen::ContainerBuilder().SavedAt("201403151345").LogData(ring).End().Plain()));
        return path;
    }

    // Opens 231 for the log and waits for the listing it starts with.
    gui::LogAnalysisDialog* Open(const std::string& log) {
        OpenViewerPage("analysis", log);
        auto* viewer = qobject_cast<gui::LogAnalysisDialog*>(PressViewer(kAnalysisButton));
        EXPECT_NE(viewer, nullptr);
        if (viewer != nullptr) {
            EXPECT_TRUE(Finished(viewer));
        }
        return viewer;
    }

    static bool Finished(gui::LogAnalysisDialog* viewer) {
        return QTest::qWaitFor([&] { return !viewer->IsRunning(); }, 60000);
    }

    static QString Shown(QDialog* viewer) {
        return ViewerControl<QPlainTextEdit>(viewer, 1207)->toPlainText();
    }
    static QComboBox* Analyses(QDialog* viewer) { return ViewerControl<QComboBox>(viewer, 1205); }
    static QComboBox* Maxima(QDialog* viewer) { return ViewerControl<QComboBox>(viewer, 1210); }

    // What `qx7log analyze` prints for the analysis and maximum ("1000" .. "all").
    QString Expected(const std::string& log, int analysis, const std::string& maximum) const {
        const ProgramResult result =
            Qx7Log({"analyze", log, "--analysis", std::to_string(analysis), "--max", maximum});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return QString::fromStdString(result.out);
    }

    static void Close(QDialog* viewer) {
        QPointer<QDialog> alive(viewer);
        QTest::mouseClick(ViewerControl<QPushButton>(viewer, 2), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 10000));
    }

    // The dialog's texts in the test's language, its boxes and its view.
    void ExpectTexts(QDialog* viewer) {
        EXPECT_EQ(viewer->objectName(), "CLogAnal");
        EXPECT_EQ(viewer->windowTitle(), Entry(Language(), 287));
        auto* instructions = ViewerControl<QLabel>(viewer, 1206);
        ASSERT_NE(instructions, nullptr);
        EXPECT_EQ(instructions->text(), Entry(Language(), 206));
        EXPECT_TRUE(instructions->wordWrap());
        EXPECT_GE(instructions->height(), instructions->heightForWidth(instructions->width()));
        auto* display = ViewerControl<QPushButton>(viewer, 1105);
        ASSERT_NE(display, nullptr);
        EXPECT_EQ(display->text(), Entry(Language(), 300));
        EXPECT_TRUE(display->isDefault());
        EXPECT_EQ(ViewerControl<QLabel>(viewer, 1268)->text(), Entry(Language(), 302));
        EXPECT_TRUE(ViewerControl<QLabel>(viewer, 1268)->alignment() & Qt::AlignRight);
        EXPECT_EQ(ViewerControl<QLabel>(viewer, 1269)->text(), Entry(Language(), 303));
        EXPECT_TRUE(ViewerControl<QLabel>(viewer, 1269)->alignment() & Qt::AlignRight);
        EXPECT_EQ(ViewerControl<QPushButton>(viewer, 2)->text(), Entry(Language(), 290));
        // The log's times are the PC's local times: the zone's standard name.
        EXPECT_EQ(ViewerControl<QLabel>(viewer, 1227)->text(), "JST");

        QStringList analyses;
        for (int i = 0; i < Analyses(viewer)->count(); ++i) {
            analyses << Analyses(viewer)->itemText(i);
        }
        EXPECT_EQ(analyses, QStringList({"All Error log", "Parts exchanging operation",
                                         "Nozzle cleaning operation", "Print operation",
                                         "Temparature Warning and Error", "Printer Power ON log",
                                         "White Tube cleanning log", "Obstruction Sensor log"}));
        QStringList maxima;
        for (int i = 0; i < Maxima(viewer)->count(); ++i) {
            maxima << Maxima(viewer)->itemText(i);
        }
        EXPECT_EQ(maxima, QStringList({"1000", "5000", "10000", "All"}));

        auto* view = ViewerControl<QPlainTextEdit>(viewer, 1207);
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(view->isReadOnly());
        EXPECT_EQ(view->lineWrapMode(), QPlainTextEdit::NoWrap);
        EXPECT_TRUE(ShowsMonospaced(view->font()));
    }
};

TEST_F(LogAnalTest, OpensWithTheErrorsUpToTheFirstMaximum) {
    const std::string log = GeneratedLog("p1.zlg", 5000);
    gui::LogAnalysisDialog* viewer = Open(log);
    ASSERT_NE(viewer, nullptr);
    ExpectTexts(viewer);
    EXPECT_EQ(Analyses(viewer)->currentIndex(), 0);
    EXPECT_EQ(Maxima(viewer)->currentIndex(), 0);
    const QString expected = Expected(log, 0, "1000");
    EXPECT_GT(expected.count(QLatin1Char('\n')), 10);
    EXPECT_EQ(Shown(viewer), expected);
    // The first input control has the focus; the pointer is back.
    EXPECT_EQ(QApplication::focusWidget(), Analyses(viewer));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ScreenshotViewer(viewer, QStringLiteral("231-errors"));
    Close(viewer);
    ExpectNoTemporaries();
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(LogAnalTest, AnotherAnalysisListsAtOnceAsTheCommandLineDoes) {
    const std::string log = GeneratedLog("p1.log", 8000, loggen::LogForm::Plain);
    gui::LogAnalysisDialog* viewer = Open(log);
    ASSERT_NE(viewer, nullptr);
    for (int analysis : {4, 1, 2, 3, 5, 6, 7, 0}) {
        QSignalSpy finished(viewer, &gui::LogAnalysisDialog::listingFinished);
        Analyses(viewer)->setCurrentIndex(analysis);
        EXPECT_TRUE(viewer->IsRunning()) << analysis;
        ASSERT_TRUE(Finished(viewer)) << analysis;
        EXPECT_EQ(finished.count(), 1);
        EXPECT_EQ(Shown(viewer), Expected(log, analysis, "1000")) << analysis;
    }
    Close(viewer);
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(LogAnalTest, TheMaximumCountsOnlyOnDisplayAndListsOneLineMore) {
    const std::string log = ErrorLog("errors.log", 1500);
    gui::LogAnalysisDialog* viewer = Open(log);
    ASSERT_NE(viewer, nullptr);
    // Newest first, 000001 to 001001: the thousand and the one that exceeds them.
    QStringList lines = Shown(viewer).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1001);
    EXPECT_TRUE(lines.first().startsWith(QLatin1String("000001: 09/04/2012 00:31:40 [00002070]")))
        << lines.first().toStdString();
    EXPECT_TRUE(lines.last().startsWith(QLatin1String("001001: ")));
    EXPECT_EQ(Shown(viewer), Expected(log, 0, "1000"));

    // Another maximum alone changes nothing ...
    auto* document = ViewerControl<QPlainTextEdit>(viewer, 1207)->document();
    QSignalSpy changed(document, &QTextDocument::contentsChanged);
    Maxima(viewer)->setCurrentIndex(kAll);
    QCoreApplication::processEvents();
    EXPECT_FALSE(viewer->IsRunning());
    EXPECT_EQ(changed.count(), 0);
    // ... until Display.
    ViewerControl<QPushButton>(viewer, 1105)->click();
    ASSERT_TRUE(Finished(viewer));
    lines = Shown(viewer).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 1500);
    EXPECT_TRUE(lines.last().startsWith(QLatin1String("001500: 09/04/2012 00:06:41")));
    EXPECT_EQ(Shown(viewer), Expected(log, 0, "all"));

    // Enter presses Display wherever the focus is but on Close.
    Maxima(viewer)->setCurrentIndex(0);
    Analyses(viewer)->setFocus();
    QTest::keyClick(Analyses(viewer), Qt::Key_Return);
    EXPECT_TRUE(viewer->IsRunning());
    ASSERT_TRUE(Finished(viewer));
    EXPECT_EQ(Shown(viewer).count(QLatin1Char('\n')), 1001);
    ViewerControl<QPlainTextEdit>(viewer, 1207)->setFocus();
    QTest::keyClick(ViewerControl<QPlainTextEdit>(viewer, 1207), Qt::Key_Enter);
    EXPECT_TRUE(viewer->IsRunning());
    ASSERT_TRUE(Finished(viewer));
    EXPECT_TRUE(viewer->isVisible());
    Close(viewer);
}

TEST_F(LogAnalTest, TheViewHoldsALimitedNumberOfLinesAndSaysWhereItEnds) {
    const std::string log = ErrorLog("errors.log", 1500);
    gui::LogAnalysisDialog* viewer = Open(log);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(gui::kMaxShownLines, 500000);
    viewer->SetLineLimit(1200);
    Maxima(viewer)->setCurrentIndex(kAll);
    ViewerControl<QPushButton>(viewer, 1105)->click();
    ASSERT_TRUE(Finished(viewer));
    QStringList expected = Expected(log, 0, "all").split(QLatin1Char('\n'));
    expected = expected.mid(0, 1200);
    expected
        << "The view ends here: it shows at most 1200 lines. \"qx7log analyze\" lists them all."
        << QString();
    EXPECT_EQ(Shown(viewer), expected.join(QLatin1Char('\n')));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // A listing within the limit is whole.
    Maxima(viewer)->setCurrentIndex(0);
    ViewerControl<QPushButton>(viewer, 1105)->click();
    ASSERT_TRUE(Finished(viewer));
    EXPECT_EQ(Shown(viewer), Expected(log, 0, "1000"));
    Close(viewer);
}

TEST_F(LogAnalTest, TheSameAnalysisAgainDoesNotRunButDisplayDoes) {
    const std::string log = GeneratedLog("p1.zlg", 3000);
    gui::LogAnalysisDialog* viewer = Open(log);
    ASSERT_NE(viewer, nullptr);
    const QString first = Shown(viewer);
    QSignalSpy changed(ViewerControl<QPlainTextEdit>(viewer, 1207)->document(),
                       &QTextDocument::contentsChanged);
    QSignalSpy finished(viewer, &gui::LogAnalysisDialog::listingFinished);

    // The user picks the analysis already shown from the list.
    QComboBox* analyses = Analyses(viewer);
    analyses->showPopup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return analyses->view()->isVisible(); }, 5000));
    QSignalSpy activated(analyses, &QComboBox::activated);
    QTest::keyClick(analyses->view(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !analyses->view()->isVisible(); }, 5000));
    EXPECT_EQ(activated.count(), 1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(viewer->IsRunning());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(finished.count(), 0);

    // Display reads the log again.
    ViewerControl<QPushButton>(viewer, 1105)->click();
    EXPECT_TRUE(viewer->IsRunning());
    ASSERT_TRUE(Finished(viewer));
    EXPECT_GT(changed.count(), 0);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(Shown(viewer), first);
    Close(viewer);
}

TEST_F(LogAnalTest, NoSelectedEntrySaysSoAndAnUnreadableLogShowsNothing) {
    // Neither obstruction errors nor anything else in a log of one power-on.
    gui::LogAnalysisDialog* viewer = Open(BareLog("bare.bin"));
    ASSERT_NE(viewer, nullptr);
    Analyses(viewer)->setCurrentIndex(7);
    ASSERT_TRUE(Finished(viewer));
    EXPECT_EQ(Shown(viewer), "No data found.\n");
    EXPECT_EQ(Shown(viewer), Expected(dir.File("bare.bin"), 7, "1000"));
    Close(viewer);

    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    const std::string damaged = DamagedCompressedLog("damaged.zlg");
    ToViewerPage(damaged);
    auto* unreadable = qobject_cast<gui::LogAnalysisDialog*>(PressViewer(kAnalysisButton));
    ASSERT_NE(unreadable, nullptr);
    ASSERT_TRUE(Finished(unreadable));
    EXPECT_EQ(Shown(unreadable), QString());
    ViewerControl<QPushButton>(unreadable, 1105)->click();
    ASSERT_TRUE(Finished(unreadable));
    EXPECT_EQ(Shown(unreadable), QString());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    Close(unreadable);
    EXPECT_TRUE(harness.sink.shown.empty());
    ExpectNoTemporaries();
}

// Shows messages as the program's boxes do, noting the pointer each found.
class PointerNotingSink final : public IMessageSink {
  public:
    void ShowOk(const std::string& text) override {
        shown.push_back(text);
        waitCursorOnShow.push_back(QGuiApplication::overrideCursor() != nullptr);
    }
    bool AskYesNo(const std::string& text) override {
        ShowOk(text);
        return false;
    }
    std::vector<std::string> shown;
    std::vector<bool> waitCursorOnShow;
};

TEST_F(LogAnalTest, CoresMessagesComeAfterTheRunWithTheNormalPointer) {
    // Log data whose length is no whole number of words: the reader reports it.
    const std::string log = dir.File("bad.log");
    ASSERT_TRUE(loggen::WriteBytes(
        log, loggen::ContainerBuilder().Block("LGDT", std::string(10, '\0')).End().Plain()));
    RecordingMessageSink coreSink;
    const Messages coreMessages(kEnglish, coreSink);
    const LogTextContext context(kEnglish, harness.clock);
    EXPECT_EQ(RunLogAnalysis(log, LogAnalyses()[0], 1000, coreMessages, context), "");
    ASSERT_FALSE(coreSink.shown.empty());

    PointerNotingSink sink;
    CQVJServToolApp app(sink, '/');
    app.Start(kHarnessProgram, kHarnessProgram, kEnglish);
    const gui::PageContext pageContext{
        app, harness.files, harness.opener, harness.programs, harness.settings, harness.clock, {}};
    OpenOnMenu("messages");
    auto* viewer = qobject_cast<gui::LogAnalysisDialog*>(
        (*gui::LogViewerRegistry::Global().Find(kAnalysisButton))(pageContext, log, sheet.get()));
    ASSERT_NE(viewer, nullptr);
    // The run has started: the hourglass is up while it lasts.
    ASSERT_TRUE(viewer->IsRunning());
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    gui::ShowLogViewer(viewer);
    ASSERT_TRUE(Finished(viewer));
    EXPECT_EQ(sink.shown, coreSink.shown);
    EXPECT_EQ(sink.waitCursorOnShow, std::vector<bool>(sink.shown.size(), false));
    EXPECT_EQ(Shown(viewer), QString());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    Close(viewer);
}

TEST_F(LogAnalTest, ARunNoLongerWantedGivesWayToTheNextAndClosingStopsIt) {
    const std::string log = GeneratedLog("big.zlg", 60000);
    gui::LogAnalysisDialog* viewer = Open(log);
    ASSERT_NE(viewer, nullptr);
    Maxima(viewer)->setCurrentIndex(kAll);
    // Display, then at once another analysis and another Display: only the last one shows.
    ViewerControl<QPushButton>(viewer, 1105)->click();
    QCoreApplication::processEvents();
    Analyses(viewer)->setCurrentIndex(3);
    Analyses(viewer)->setCurrentIndex(0);
    ViewerControl<QPushButton>(viewer, 1105)->click();
    ASSERT_TRUE(Finished(viewer));
    EXPECT_EQ(Shown(viewer), Expected(log, 0, "all"));
    Analyses(viewer)->setCurrentIndex(3);
    ASSERT_TRUE(Finished(viewer));
    EXPECT_EQ(Shown(viewer), Expected(log, 3, "all"));

    // Closed while a long listing runs: the run ends with the dialog, the pointer comes back
    // and the decompressed copy is gone.
    ViewerControl<QPushButton>(viewer, 1105)->click();
    EXPECT_TRUE(viewer->IsRunning());
    Close(viewer);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ExpectNoTemporaries();

    // Escape closes as well, also in the middle of a run.
    auto* again = qobject_cast<gui::LogAnalysisDialog*>(PressViewer(kAnalysisButton));
    ASSERT_NE(again, nullptr);
    QPointer<QDialog> alive(again);
    QTest::keyClick(again, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 10000));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(LogAnalTest, TheViewTakesTheRoomAndTheControlsBelowKeepToTheBottom) {
    gui::LogAnalysisDialog* viewer = Open(GeneratedLog("p1.zlg", 2000));
    ASSERT_NE(viewer, nullptr);
    EXPECT_GE(viewer->minimumWidth(), 480);
    EXPECT_GE(viewer->minimumHeight(), 360);
    viewer->resize(200, 150);
    QCoreApplication::processEvents();
    EXPECT_EQ(viewer->size(), viewer->minimumSize());
    EXPECT_GE(viewer->height(), viewer->minimumSizeHint().height());

    const auto geometry = [&](int number) {
        return ViewerControl<QWidget>(viewer, number)->geometry();
    };
    const auto rightGap = [&](int number) { return viewer->width() - geometry(number).right(); };
    const auto bottomGap = [&](int number) { return viewer->height() - geometry(number).bottom(); };
    viewer->resize(640, 480);
    QCoreApplication::processEvents();
    const QRect view = geometry(1207);
    const QRect choice = geometry(1205);
    const QRect close = geometry(2);
    const QRect zoneLabel = geometry(1268);
    const int displayGap = rightGap(1105);
    const int viewGap = rightGap(1207);
    const int maximumGap = bottomGap(1210);
    const int zoneGap = bottomGap(1227);
    const int closeGap = bottomGap(2);

    viewer->resize(840, 630);
    QCoreApplication::processEvents();
    EXPECT_EQ(geometry(1207).size(), view.size() + QSize(200, 150));
    EXPECT_EQ(geometry(1207).topLeft(), view.topLeft());
    EXPECT_EQ(geometry(1205).width(), choice.width() + 200);
    EXPECT_EQ(rightGap(1105), displayGap);
    EXPECT_EQ(rightGap(1207), viewGap);
    EXPECT_EQ(bottomGap(1210), maximumGap);
    EXPECT_EQ(bottomGap(1227), zoneGap);
    EXPECT_EQ(bottomGap(2), closeGap);
    EXPECT_EQ(geometry(1268).left(), zoneLabel.left());
    // Close follows half of the change of width.
    EXPECT_NEAR(geometry(2).left(), close.left() + 100, 1);
    EXPECT_EQ(geometry(2).size(), close.size());
    // The analysis box fills its row up to Display, also once the box has settled: a box
    // sized to its contents would shrink itself behind the layout's back.
    const auto besideDisplay = [&] {
        return geometry(1105).left() - geometry(1205).right() < geometry(1105).width() / 2;
    };
    EXPECT_TRUE(besideDisplay());
    EXPECT_FALSE(QTest::qWaitFor([&] { return !besideDisplay(); }, 300));
    Close(viewer);
}

class JapaneseLogAnalTest : public LogAnalTest {
  protected:
    JapaneseLogAnalTest() : LogAnalTest(kJapanese) {}
};

TEST_F(JapaneseLogAnalTest, JapaneseTextsAndListings) {
    const std::string log = GeneratedLog("p1.zlg", 5000);
    gui::LogAnalysisDialog* viewer = Open(log);
    ASSERT_NE(viewer, nullptr);
    ExpectTexts(viewer);
    EXPECT_TRUE(Entry(kJapanese, 206).contains(QStringLiteral("しばらくお待ちください")));
    EXPECT_EQ(Shown(viewer), Expected(log, 0, "1000"));
    ScreenshotViewer(viewer, QStringLiteral("231-errors"));
    // Temperatures in degrees Celsius in Japanese.
    Analyses(viewer)->setCurrentIndex(4);
    ASSERT_TRUE(Finished(viewer));
    const QString temperatures = Expected(log, 4, "1000");
    EXPECT_TRUE(temperatures.contains(QStringLiteral("℃"))) << temperatures.toStdString();
    EXPECT_EQ(Shown(viewer), temperatures);
    ScreenshotViewer(viewer, QStringLiteral("231-temperatures"));
    Close(viewer);
    EXPECT_TRUE(harness.sink.shown.empty());
}

}  // namespace
}  // namespace qx7::test
