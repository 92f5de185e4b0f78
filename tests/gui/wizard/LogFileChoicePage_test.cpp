// Page 178, the log file page: its texts, the checks of Next, dropped files, Browse and the
// data folder of the first showing.

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "core/app/LogFileChoice.h"
#include "gui/wizard/LogPageTest.h"

namespace qx7::test {
namespace {

// Drags the mime data over the name field and drops it there, as a file manager would.
// Answers whether the page took the drag.
bool DropOnNameField(SheetDriver& driver, const QMimeData& data, const RecordingMessageSink& sink) {
    QWidget* field = driver.Control(1095);
    const QPoint at = field->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    const std::size_t shown = sink.shown.size();
    QApplication::sendEvent(field, &drop);
    EXPECT_TRUE(drop.isAccepted());
    // No message box while the program the files came from waits for the drop's end.
    EXPECT_EQ(sink.shown.size(), shown);
    // The page takes the files once the drop has returned.
    QCoreApplication::processEvents();
    return true;
}

QMimeData* Urls(const QList<QUrl>& urls) {
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

class LogFilePageTest : public LogPageTest {
  protected:
    using LogPageTest::LogPageTest;

    // The app as the program starts it from another file (program and data folders).
    void StartAs(const std::string& program) { harness.app.Start(program, program, kEnglish); }
};

TEST_F(LogFilePageTest, ArrivesWithItsTextsBackAndNextAndTheFocusInTheName) {
    OpenLogFilePage("0");
    EXPECT_EQ(harness.app.GetCurrentPage(), PageNumber(PageId::kLogFileChoice));
    EXPECT_EQ(harness.app.GetOperation(), 0);
    EXPECT_EQ(harness.app.History(), (std::vector<int>{156, 178}));
    EXPECT_EQ(sheet->windowTitle(), sheet->PageTitle(PageNumber(PageId::kLogFileChoice)));
    EXPECT_EQ(sheet->windowTitle(), Entry(kEnglish, 5010));
    ExpectTableTexts();
    EXPECT_EQ(driver->Text(65535), "LOG File (*.log , *.zlg)");
    EXPECT_EQ(driver->Text(1096), "Browse...");
    EXPECT_EQ(driver->Text(1095), "");
    EXPECT_TRUE(driver->IsEnabled("backButton"));
    EXPECT_TRUE(driver->IsEnabled("nextButton"));
    EXPECT_FALSE(driver->IsEnabled("finishButton"));
    // The label names the field for screen readers and keyboard users.
    EXPECT_EQ(driver->Control(1095)->accessibleName(), "LOG File (*.log , *.zlg)");
    EXPECT_EQ(QApplication::focusWidget(), driver->Control(1095));
    EXPECT_TRUE(sheet->CurrentPage()->acceptDrops());
    ExpectLabelsFit();
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(LogFilePageTest, NextRefusesAnEmptyOrUnopenableNameAndKeepsIt) {
    OpenLogFilePage("next");
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    EXPECT_EQ(harness.sink.shown.back(), MessageWithCode(kEnglish, 234, -11));
    EXPECT_EQ(harness.sink.shown.back(), "Please input the Log File Name. (-11)");

    const std::string missing = dir.File("missing.zlg");
    ASSERT_TRUE(driver->SetText(1095, QString::fromStdString(missing)));
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    EXPECT_EQ(harness.sink.shown.back(), "Open file failed. Check file name. (-10)");
    // A folder is no log either.
    ASSERT_TRUE(driver->SetText(1095, QString::fromStdString(dir.Path().string())));
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    EXPECT_EQ(harness.sink.shown.size(), 3u);
    EXPECT_EQ(harness.sink.shown.back(), "Open file failed. Check file name. (-10)");

    // Stored although refused, and still in the field; the road did not move.
    EXPECT_EQ(harness.app.GetLogFileName(), dir.Path().string());
    EXPECT_EQ(driver->Text(1095), QString::fromStdString(dir.Path().string()));
    EXPECT_EQ(harness.app.History(), (std::vector<int>{156, 178}));
    EXPECT_EQ(driver->PagesShown(), (std::vector<int>{156, 178}));

    // Any file that opens goes on; its form is the viewers' business.
    const std::string text = dir.File("notes.txt");
    loggen::WriteBytes(text, "not a log");
    ToViewerPage(text);
    EXPECT_EQ(harness.app.GetLogFileName(), text);
    EXPECT_EQ(harness.sink.shown.size(), 3u);
}

TEST_F(LogFilePageTest, OneDroppedFileReplacesTheNameAndAnythingElseIsRefused) {
    OpenLogFilePage("drop");
    ASSERT_TRUE(driver->SetText(1095, "/logs/old.zlg"));

    // One local file, longer than the 260 characters a Windows path had: taken whole.
    const std::string longName = dir.File(std::string(280, 'p') + ".zlg");
    std::unique_ptr<QMimeData> one(Urls({QUrl::fromLocalFile(QString::fromStdString(longName))}));
    ASSERT_TRUE(DropOnNameField(*driver, *one, harness.sink));
    EXPECT_EQ(driver->Text(1095), QString::fromStdString(longName));
    EXPECT_TRUE(harness.sink.shown.empty());

    // Two files: 235 with -12 and the name stays.
    const std::string shown = longName;
    std::unique_ptr<QMimeData> two(
        Urls({QUrl::fromLocalFile(QString::fromStdString(dir.File("a.log"))),
              QUrl::fromLocalFile(QString::fromStdString(dir.File("b.log")))}));
    ASSERT_TRUE(DropOnNameField(*driver, *two, harness.sink));
    EXPECT_EQ(driver->Text(1095), QString::fromStdString(shown));
    ASSERT_EQ(harness.sink.shown.size(), 1u);
    EXPECT_EQ(harness.sink.shown.back(), "Please drop only one file. (-12)");

    // An address that is no local file is refused the same way.
    std::unique_ptr<QMimeData> remote(Urls({QUrl(QStringLiteral("https://example.com/p1.zlg"))}));
    ASSERT_TRUE(DropOnNameField(*driver, *remote, harness.sink));
    EXPECT_EQ(driver->Text(1095), QString::fromStdString(shown));
    ASSERT_EQ(harness.sink.shown.size(), 2u);
    EXPECT_EQ(harness.sink.shown.back(), "Please drop only one file. (-12)");

    // Dragged text is no file: the page does not take it, and the field does not paste it.
    QMimeData text;
    text.setText(QStringLiteral("/logs/typed.zlg"));
    EXPECT_FALSE(DropOnNameField(*driver, text, harness.sink));
    EXPECT_EQ(driver->Text(1095), QString::fromStdString(shown));
    EXPECT_EQ(harness.sink.shown.size(), 2u);

    // The dropped name is what Next checks.
    std::unique_ptr<QMimeData> log(
        Urls({QUrl::fromLocalFile(QString::fromStdString(PlainLog("p1.log")))}));
    ASSERT_TRUE(DropOnNameField(*driver, *log, harness.sink));
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogViewers)));
    EXPECT_EQ(harness.app.GetLogFileName(), dir.File("p1.log"));
}

TEST_F(LogFilePageTest, ComingBackShowsTheNameLastStoredEvenARefusedOne) {
    OpenLogFilePage("back");
    const std::string log = CompressedLog("p1.zlg");
    ToViewerPage(log);
    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    EXPECT_EQ(driver->Text(1095), QString::fromStdString(log));
    EXPECT_EQ(QApplication::focusWidget(), driver->Control(1095));
    EXPECT_EQ(harness.app.History(), (std::vector<int>{156, 178}));

    // A refused name is stored as well; the page shows it when the road comes here again.
    const std::string missing = dir.File("gone.zlg");
    ASSERT_TRUE(driver->SetText(1095, QString::fromStdString(missing)));
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kOperationMenu)));
    ToLogFilePage();
    EXPECT_EQ(driver->Text(1095), QString::fromStdString(missing));
}

TEST_F(LogFilePageTest, BrowseStartsAtTheNameAndOnlyOkReplacesIt) {
    OpenLogFilePage("browse");
    ASSERT_TRUE(driver->SetText(1095, "p1.zlg"));
    auto* browse = driver->ControlAs<QPushButton>(1096);
    ASSERT_NE(browse, nullptr);

    // Cancel: nothing changes.
    QTest::mouseClick(browse, Qt::LeftButton);
    ASSERT_EQ(harness.files.calls.size(), 1u);
    const FakeFileChooser::Call& call = harness.files.calls.front();
    EXPECT_EQ(call.kind, "open");
    EXPECT_EQ(call.filter, "LOG Files (*.log *.zlg);;All Files (*)");
    // The harness's program folder holds no logs: the chooser opens in the home folder.
    EXPECT_EQ(call.start, QDir::homePath() + "/p1.zlg");
    EXPECT_EQ(driver->Text(1095), "p1.zlg");

    // OK: the chosen path replaces the name, and Next takes it.
    const std::string log = PlainLog("chosen.log");
    harness.files.answers.push_back(QString::fromStdString(log));
    QTest::mouseClick(browse, Qt::LeftButton);
    EXPECT_EQ(driver->Text(1095), QString::fromStdString(log));
    // An absolute name opens the chooser where that file is.
    QTest::mouseClick(browse, Qt::LeftButton);
    EXPECT_EQ(harness.files.calls.back().start, QString::fromStdString(log));
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogViewers)));
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(LogFilePageTest, BrowseStartsInTheProgramFolderWhenLogsAreKeptThere) {
    std::filesystem::create_directories(dir.Path() / "tool");
    loggen::WriteBytes(dir.File("tool/qx7-service-tool"), "program");
    PlainLog("tool/p7.log");
    StartAs(dir.File("tool/qx7-service-tool"));
    OpenLogFilePage("browse-program");
    QTest::mouseClick(driver->ControlAs<QPushButton>(1096), Qt::LeftButton);
    ASSERT_EQ(harness.files.calls.size(), 1u);
    EXPECT_EQ(harness.files.calls.front().start, QString::fromStdString(dir.File("tool") + "/"));
}

TEST_F(LogFilePageTest, TheDataFolderBecomesTheCurrentFolderOnTheFirstShowingOnly) {
    const std::filesystem::path tool = dir.Path() / "tool";
    std::filesystem::create_directories(tool / "Data");
    loggen::WriteBytes((tool / "Data" / "p1.log").string(), "any bytes");
    StartAs((tool / "qx7-service-tool").string());
    OpenLogFilePage("data");
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(tool / "Data"));

    // A name without a folder is taken from there.
    ToViewerPage("p1.log");
    EXPECT_EQ(harness.app.GetLogFileName(), "p1.log");

    // The second showing leaves the current folder alone.
    std::filesystem::current_path(dir.Path());
    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(dir.Path()));
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(LogFilePageTest, AMissingDataFolderIsNeitherMadeNorReported) {
    const std::filesystem::path tool = dir.Path() / "tool";
    std::filesystem::create_directories(tool);
    StartAs((tool / "qx7-service-tool").string());
    const std::filesystem::path before = std::filesystem::current_path();
    OpenLogFilePage("no-data");
    EXPECT_EQ(std::filesystem::current_path(), before);
    EXPECT_FALSE(std::filesystem::exists(tool / "Data"));
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(LogFilePageTest, AProgramPathWithoutFolderShowsTheInternalErrorOfTheDataFolder) {
    StartAs("qx7-service-tool");
    OpenLogFilePage("no-folder");
    ASSERT_EQ(harness.sink.shown.size(), 1u);
    EXPECT_EQ(harness.sink.shown.front(), MessageWithCode(kEnglish, 242, -270));
}

class DemoLogFilePageTest : public LogFilePageTest {
  protected:
    DemoLogFilePageTest() : LogFilePageTest(kEnglish, "-demo") {}
};

TEST_F(DemoLogFilePageTest, DemoModeChecksTheNameAllTheSame) {
    ASSERT_TRUE(harness.app.IsDemoMode());
    OpenLogFilePage("demo");
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    EXPECT_EQ(harness.sink.shown,
              std::vector<std::string>{"Please input the Log File Name. (-11)"});
    ToViewerPage(PlainLog("p1.log"));
}

class JapaneseLogFilePageTest : public LogFilePageTest {
  protected:
    JapaneseLogFilePageTest() : LogFilePageTest(kJapanese) {}
};

TEST_F(JapaneseLogFilePageTest, JapaneseTextsFitAndTheMessagesReadAsInEnglish) {
    OpenLogFilePage("0");
    ExpectTableTexts();
    EXPECT_EQ(sheet->windowTitle(), Entry(kJapanese, 5010));
    EXPECT_EQ(driver->Text(1094).count(QLatin1Char('\n')), 3);
    ExpectLabelsFit();
    driver->Screenshot();
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    EXPECT_EQ(harness.sink.shown.back(), MessageWithCode(kJapanese, 234, -11));
    EXPECT_EQ(harness.sink.shown.back(), "Please input the Log File Name. (-11)");
}

}  // namespace
}  // namespace qx7::test
