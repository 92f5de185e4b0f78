// The file information viewer (228) behind "View File Info": what it shows equals
// `qx7log info` for containers of every form, laid out as a table; nothing for logs without
// information; its texts, keys and size.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <filesystem>
#include <set>

#include "gui/app/LogViewerRegistry.h"
#include "gui/log/LogViewerTest.h"
#include "gui/support/Monospaced.h"

namespace qx7::test {
namespace {

constexpr int kFileInfoButton = 1191;

// A container with every information block, and log data.
std::string FullContainer() {
    loggen::Ring ring(64);
    ring.Write(loggen::EntrySpec{500000000, 0, 4, 1, 0x0101, {}});
    const std::string vers(
        "\x01\x02\x00\x03\x02\x10\x12\x34\x0A\x00\x00\x01\x00\x05\xAB\xCD"
        "\x1F\xFF\xFF\xFF",
        20);
    return loggen::ContainerBuilder()
        .SavedAt("201403151345")
        .TextBlock("Cust", "Test customer")
        .TextBlock("Comm", "Head cleaned twice \xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88")
        .TextBlock("PCDT", "SERVICE-PC")
        .Block("Date", std::string("\x1C\x9C\x38\x00", 4))
        .Block("Vers", vers)
        .TextBlock("Prod", "QX730")
        .TextBlock("18Cd", "ISM-0042")
        .Block("MACa", std::string("\x00\x80\x92\xAB\xCD\xEF\x00\x00", 8))
        .LogData(ring)
        .End()
        .Plain();
}

class LogFileInfoTest : public LogViewerTest {
  protected:
    using LogViewerTest::LogViewerTest;

    std::string FullLog(const std::string& name, bool compressed) {
        const std::string path = dir.File(name);
        const std::string plain = FullContainer();
        EXPECT_TRUE(loggen::WriteBytes(path, compressed ? loggen::Compress(plain) : plain));
        return path;
    }

    // The shipped sample, copied so that what reading it leaves behind shows in our folder.
    std::string SampleLog() {
        const std::filesystem::path source =
            std::filesystem::path(QT_TESTCASE_SOURCEDIR) / "../../res/samples/sample.zlg";
        const std::string path = dir.File("sample.zlg");
        std::filesystem::copy_file(source, path);
        return path;
    }

    static QPlainTextEdit* Information(QDialog* viewer) {
        return ViewerControl<QPlainTextEdit>(viewer, 1201);
    }

    // What `qx7log info` prints for the log (its line ends are line feeds, as the view's).
    QString Expected(const std::string& log) const {
        const ProgramResult info = Qx7Log({"info", log});
        EXPECT_EQ(info.exitCode, 0) << info.err;
        return QString::fromStdString(info.out);
    }

    static void Close(QDialog* viewer) {
        auto* close = ViewerControl<QPushButton>(viewer, 2);
        ASSERT_NE(close, nullptr);
        QTest::mouseClick(close, Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !viewer->isVisible(); }, 5000));
    }

    // Opens 228 for the log, checks its texts and controls, and answers the text it shows.
    QString ShowInformation(const std::string& log, const QString& screenshot = {}) {
        OpenViewerPage("info", log);
        QDialog* viewer = PressViewer(kFileInfoButton);
        EXPECT_NE(viewer, nullptr);
        if (viewer == nullptr) {
            return {};
        }
        EXPECT_EQ(viewer->objectName(), "CLogFileInfo");
        EXPECT_EQ(viewer->windowTitle(), Entry(Language(), 282));
        auto* name = ViewerControl<QLineEdit>(viewer, 1198);
        auto* label = ViewerControl<QLabel>(viewer, 1266);
        auto* text = Information(viewer);
        auto* close = ViewerControl<QPushButton>(viewer, 2);
        EXPECT_TRUE(name != nullptr && label != nullptr && text != nullptr && close != nullptr);
        if (name == nullptr || label == nullptr || text == nullptr || close == nullptr) {
            return {};
        }
        EXPECT_EQ(name->text(), QString::fromStdString(log));
        EXPECT_TRUE(name->isReadOnly());
        EXPECT_EQ(label->text(), Entry(Language(), 298));
        EXPECT_TRUE(label->alignment() & Qt::AlignRight);
        EXPECT_EQ(name->accessibleName(), Entry(Language(), 298));
        EXPECT_EQ(close->text(), Entry(Language(), 290));
        EXPECT_TRUE(text->isReadOnly());
        EXPECT_TRUE(ShowsMonospaced(text->font()));
        if (!screenshot.isEmpty()) {
            ScreenshotViewer(viewer, screenshot);
        }
        const QString shown = text->toPlainText();
        Close(viewer);
        return shown;
    }
};

TEST_F(LogFileInfoTest, AContainerShowsWhatTheCommandLinePrints) {
    const std::string plain = FullLog("full.log", false);
    const QString expected = Expected(plain);
    // Every block made its line.
    for (const char* label : {"Customer :", "Comment :", "PC Information :", "Saved Date (PC) :",
                              "Saved Date (Printer) :", "Versions :", "Product Number:",
                              "ISM Integrated Code :", "MAC address :"}) {
        EXPECT_TRUE(expected.contains(QLatin1String(label))) << label;
    }
    EXPECT_TRUE(expected.contains(QStringLiteral("03/18/2015 22:20:00 (UTC=03/18/2015 13:20:00)")));
    EXPECT_TRUE(expected.contains(QStringLiteral("テスト")));
    EXPECT_EQ(ShowInformation(plain, QStringLiteral("228-full")), expected);
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(LogFileInfoTest, CompressedContainersAndTheSampleShowTheSameAndLeaveNothingBeside) {
    const std::string compressed = FullLog("full.zlg", true);
    EXPECT_EQ(ShowInformation(compressed), Expected(compressed));
    ExpectNoTemporaries();

    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    const std::string sample = SampleLog();
    ToViewerPage(sample);
    QDialog* viewer = PressViewer(kFileInfoButton);
    ASSERT_NE(viewer, nullptr);
    const QString expected = Expected(sample);
    EXPECT_FALSE(expected.isEmpty());
    EXPECT_EQ(Information(viewer)->toPlainText(), expected);
    Close(viewer);
    ExpectNoTemporaries();
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(LogFileInfoTest, TheLinesShowAsATableThatGrowsWithTheDialog) {
    OpenViewerPage("table", FullLog("full.log", false));
    QDialog* viewer = PressViewer(kFileInfoButton);
    ASSERT_NE(viewer, nullptr);
    QPlainTextEdit* text = Information(viewer);
    // Where each value starts, after the tabs of its label; the versions run over two lines,
    // and their first line is the one that stands out.
    std::set<int> columns;
    int lines = 0;
    for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next()) {
        // At the first size even the widest line (the versions) fits without wrapping.
        EXPECT_EQ(block.lineCount(), 1) << block.text().toStdString();
        const qsizetype lastTab = block.text().lastIndexOf(QLatin1Char('\t'));
        if (lastTab >= 0 && !block.text().startsWith(QLatin1String("Versions"))) {
            QTextCursor at(block);
            at.setPosition(block.position() + static_cast<int>(lastTab) + 1);
            columns.insert(text->cursorRect(at).left());
            ++lines;
        }
    }
    EXPECT_EQ(lines, 9);
    EXPECT_EQ(columns.size(), 1u) << "values start in " << columns.size() << " columns";

    const QSize before = text->size();
    viewer->resize(viewer->size() + QSize(120, 80));
    QCoreApplication::processEvents();
    EXPECT_EQ(text->size(), before + QSize(120, 80));
    QTest::keyClick(viewer, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !viewer->isVisible(); }, 5000));
    EXPECT_EQ(driver->Current(), PageNumber(PageId::kLogViewers));
}

TEST_F(LogFileInfoTest, LogsWithoutInformationShowAnEmptyTextAndSayNothing) {
    // A compressed log that cannot be decompressed keeps its button on the page.
    const std::string damaged = DamagedCompressedLog("damaged.zlg");
    EXPECT_EQ(Qx7Log({"info", damaged}).out, "");
    EXPECT_EQ(ShowInformation(damaged), QString());
    ExpectNoTemporaries();

    // A bare log hides it; the dialog, were it opened on one, shows an empty text.
    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    const std::string bare = BareLog("bare.bin");
    ToViewerPage(bare);
    EXPECT_FALSE(driver->IsShown(kFileInfoButton));
    EXPECT_EQ(Qx7Log({"info", bare}).out, "");
    QDialog* viewer = (*gui::LogViewerRegistry::Global().Find(kFileInfoButton))(harness.Context(),
                                                                                bare, sheet.get());
    gui::ShowLogViewer(viewer);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    ASSERT_TRUE(WaitUntilViewerRead(viewer));
    EXPECT_EQ(Information(viewer)->toPlainText(), QString());
    EXPECT_EQ(ViewerControl<QLineEdit>(viewer, 1198)->text(), QString::fromStdString(bare));
    Close(viewer);
    EXPECT_TRUE(harness.sink.shown.empty());
}

class JapaneseLogFileInfoTest : public LogFileInfoTest {
  protected:
    JapaneseLogFileInfoTest() : LogFileInfoTest(kJapanese) {}
};

TEST_F(JapaneseLogFileInfoTest, TheSameTextAndTextsInJapanese) {
    const std::string log = FullLog("full.zlg", true);
    EXPECT_EQ(ShowInformation(log, QStringLiteral("228-full")), Expected(log));
    EXPECT_TRUE(harness.sink.shown.empty());
}

}  // namespace
}  // namespace qx7::test
