// The file information, settings list and statistics viewers read their log on a worker: the
// dialog says it is reading (busy pointer, "Reading the log..."), takes no action that needs
// what is read, then fills; closed while it reads, it drops the reading and leaves nothing.

#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <filesystem>
#include <string>

#include "gui/app/LogViewerRegistry.h"
#include "gui/app/ViewerDialog.h"
#include "gui/log/LogViewerTest.h"
#include "gui/support/ViewerReading.h"

namespace qx7::test {
namespace {

constexpr int kFileInfoButton = 1191;
constexpr int kSettingsButton = 1188;
constexpr int kStatisticsButton = 1192;
constexpr int kReadingText = 5617;

class ViewerReadingTest : public LogViewerTest {
  protected:
    using LogViewerTest::LogViewerTest;

    void SetUp() override {
        const std::filesystem::path source =
            std::filesystem::path(QT_TESTCASE_SOURCEDIR) / "../../res/samples/sample.zlg";
        log_ = dir.File("sample.zlg");
        std::filesystem::copy_file(source, log_);
        OpenViewerPage("reading", log_);
    }

    // The viewer as its button makes it, shown, before the window's thread has taken any
    // event: its reading cannot have been delivered yet.
    gui::ViewerDialog* Make(int button) {
        QDialog* made = (*gui::LogViewerRegistry::Global().Find(button))(harness.Context(), log_,
                                                                         sheet.get());
        auto* viewer = qobject_cast<gui::ViewerDialog*>(made);
        EXPECT_NE(viewer, nullptr);
        return viewer;
    }

    // Saved without letting events in first (ScreenshotViewer would deliver the reading).
    void ShotAsIs(QWidget* viewer, const QString& name) const {
        const QString folder = qEnvironmentVariable("QX7_SCREENSHOT_DIR");
        if (folder.isEmpty()) {
            return;
        }
        QDir().mkpath(folder);
        const QString language =
            Language() == kJapanese ? QStringLiteral("ja") : QStringLiteral("en");
        viewer->grab().save(QDir(folder).filePath(language + QLatin1Char('-') + name + ".png"));
    }

    QString Reading() const {
        std::string text;
        LoadLocalString(Language(), kReadingText, text);
        return QString::fromStdString(text);
    }

    // What the viewer shows that says it is reading.
    static QString ReadingSign(gui::ViewerDialog* viewer, int button) {
        switch (button) {
            case kFileInfoButton:
                return ViewerControl<QPlainTextEdit>(viewer, 1201)->placeholderText();
            case kSettingsButton:
                return viewer->findChild<QLabel*>(QStringLiteral("noBlocks"))->isVisibleTo(viewer)
                           ? viewer->findChild<QLabel*>(QStringLiteral("noBlocks"))->text()
                           : QString();
            default:
                return viewer->findChild<QChartView*>(QStringLiteral("chart"))->chart()->title();
        }
    }

    void ReadsThenFills(int button, const QString& shot) {
        SCOPED_TRACE(button);
        gui::ViewerDialog* viewer = Make(button);
        ASSERT_NE(viewer, nullptr);
        gui::ShowLogViewer(viewer);
        const QPointer<gui::ViewerDialog> open(viewer);
        EXPECT_TRUE(viewer->IsReading());
        EXPECT_EQ(viewer->cursor().shape(), Qt::BusyCursor);
        EXPECT_EQ(ReadingSign(viewer, button), Reading());
        if (button == kSettingsButton) {
            EXPECT_FALSE(ViewerControl<QPushButton>(viewer, 1029)->isEnabled());  // Display
        } else if (button == kStatisticsButton) {
            EXPECT_FALSE(ViewerControl<QPushButton>(viewer, 1244)->isEnabled());  // Save
        }
        ShotAsIs(viewer, shot + QStringLiteral("-reading"));

        ASSERT_TRUE(WaitUntilViewerRead(QPointer<QDialog>(viewer)));
        ASSERT_FALSE(open.isNull());
        EXPECT_FALSE(viewer->IsReading());
        EXPECT_NE(viewer->cursor().shape(), Qt::BusyCursor);
        EXPECT_NE(ReadingSign(viewer, button), Reading());
        switch (button) {
            case kFileInfoButton:
                EXPECT_EQ(ViewerControl<QPlainTextEdit>(viewer, 1201)->toPlainText(),
                          QString::fromStdString(Qx7Log({"info", log_}).out)
                              .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
                break;
            case kSettingsButton:
                EXPECT_GT(ViewerControl<QListWidget>(viewer, 1036)->count(), 0);
                EXPECT_TRUE(ViewerControl<QPushButton>(viewer, 1029)->isEnabled());
                break;
            default:
                EXPECT_TRUE(ViewerControl<QPushButton>(viewer, 1244)->isEnabled());
                break;
        }
        ScreenshotViewer(viewer, shot + QStringLiteral("-read"));
        viewer->reject();
        EXPECT_TRUE(QTest::qWaitFor([&] { return open.isNull(); }, kDialogWaitMs));
    }

    std::string log_;
};

TEST_F(ViewerReadingTest, EachViewerSaysItReadsThenShowsWhatItRead) {
    ReadsThenFills(kFileInfoButton, QStringLiteral("1191-info"));
    ReadsThenFills(kSettingsButton, QStringLiteral("1188-settings"));
    ReadsThenFills(kStatisticsButton, QStringLiteral("1192-statistics"));
    EXPECT_TRUE(harness.sink.shown.empty());
    ExpectNoTemporaries();
}

TEST_F(ViewerReadingTest, AViewerClosedWhileItReadsDropsTheReadingAndLeavesNothing) {
    for (const int button : {kFileInfoButton, kSettingsButton, kStatisticsButton}) {
        SCOPED_TRACE(button);
        gui::ViewerDialog* viewer = Make(button);
        ASSERT_NE(viewer, nullptr);
        gui::ShowLogViewer(viewer);
        const QPointer<gui::ViewerDialog> open(viewer);
        bool finished = false;
        QObject::connect(viewer, &gui::ViewerDialog::readingFinished, [&] { finished = true; });
        ASSERT_TRUE(viewer->IsReading());
        viewer->reject();
        // Deleted on close: the reading's thread is waited for, its result dropped.
        ASSERT_TRUE(QTest::qWaitFor([&] { return open.isNull(); }, kDialogWaitMs));
        QTest::qWait(50);
        EXPECT_FALSE(finished);
    }
    EXPECT_TRUE(harness.sink.shown.empty());
    ExpectNoTemporaries();
    EXPECT_EQ(QApplication::activeModalWidget(), sheet.get());
}

class JapaneseViewerReadingTest : public ViewerReadingTest {
  protected:
    JapaneseViewerReadingTest() : ViewerReadingTest(kJapanese) {}
};

TEST_F(JapaneseViewerReadingTest, TheReadingTextIsJapanese) {
    ReadsThenFills(kFileInfoButton, QStringLiteral("1191-info"));
    ReadsThenFills(kSettingsButton, QStringLiteral("1188-settings"));
    ReadsThenFills(kStatisticsButton, QStringLiteral("1192-statistics"));
    EXPECT_TRUE(harness.sink.shown.empty());
}

}  // namespace
}  // namespace qx7::test
