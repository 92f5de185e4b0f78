// Page 225, the viewers of the chosen log: which buttons show for the log's form, the name,
// Finish and Back; and the whole saved-log road (code 0) in both languages.

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>

#include "core/app/LogFileChoice.h"
#include "gui/app/ControlText.h"
#include "gui/log/LogPageTest.h"
#include "gui/log/LogViewerRegistry.h"

#include <QTest>

namespace qx7::test {
namespace {

constexpr int kViewerButtons[] = {1191, 1189, 1188, 1208, 1192};

class ViewerPageTest : public LogPageTest {
  protected:
    using LogPageTest::LogPageTest;

    // The viewer page on show for the log.
    void OpenViewerPage(const std::string& road, const std::string& logFile) {
        OpenLogFilePage(road);
        ToViewerPage(logFile);
    }

    // Settings (1188) and file information (1191) shown or not; the other three always are.
    void ExpectContainerButtons(bool shown) {
        EXPECT_EQ(driver->IsShown(1188), shown);
        EXPECT_EQ(driver->IsShown(1191), shown);
        for (int always : {1189, 1208, 1192}) {
            EXPECT_TRUE(driver->IsShown(always)) << always;
        }
    }
};

TEST_F(ViewerPageTest, AContainerShowsEveryViewerWithItsTextsAndName) {
    const std::string log = PlainLog("p1.log");
    OpenViewerPage("container", log);
    EXPECT_EQ(harness.app.GetCurrentPage(), kPageLogViewer);
    EXPECT_EQ(harness.app.History(), (std::vector<int>{156, 178, 225}));
    EXPECT_EQ(sheet->windowTitle(), Entry(kEnglish, 5011));
    ExpectTableTexts();
    ExpectContainerButtons(true);
    EXPECT_EQ(driver->Text(1190), QString::fromStdString(log));
    auto* name = driver->ControlAs<QLineEdit>(1190);
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->isReadOnly());
    EXPECT_EQ(name->accessibleName(), "Log File Name:");
    // Back and Finish; no Next.
    EXPECT_TRUE(driver->IsEnabled("backButton"));
    EXPECT_TRUE(driver->IsEnabled("finishButton"));
    EXPECT_FALSE(driver->IsEnabled("nextButton"));
    ExpectLabelsFit();
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(ViewerPageTest, AButtonWorksExactlyWhenItsViewerIsBuiltIn) {
    OpenViewerPage("viewers", PlainLog("p1.log"));
    for (int number : kViewerButtons) {
        auto* button = driver->ControlAs<QPushButton>(number);
        ASSERT_NE(button, nullptr) << number;
        const bool builtIn = gui::LogViewerRegistry::Global().Find(number) != nullptr;
        EXPECT_EQ(button->isEnabled(), builtIn) << number;
        // A button without its viewer says so instead of doing nothing.
        EXPECT_EQ(button->toolTip(), builtIn ? QString() : Entry(kEnglish, kMsgViewerNotAvailable))
            << number;
    }
    EXPECT_EQ(Entry(kEnglish, kMsgViewerNotAvailable),
              "This viewer is not available in this version.");
}

TEST_F(ViewerPageTest, EachShowingAsksTheLogsFormAgain) {
    // A bare log has neither settings nor file information.
    OpenViewerPage("forms", BareLog("p1.bin"));
    ExpectContainerButtons(false);

    const struct {
        std::string file;
        bool containerButtons;
    } logs[] = {
        {CompressedLog("p2.zlg"), true},
        {BareLog("p3.bin"), false},
        // A compressed log that cannot be decompressed: each viewer reports its own failure.
        {DamagedCompressedLog("p4.zlg"), true},
        {PlainLog("p5.log"), true},
    };
    for (const auto& log : logs) {
        ASSERT_TRUE(driver->Back()) << log.file;
        ASSERT_TRUE(driver->WaitForPage(kPageLogFile)) << log.file;
        ToViewerPage(log.file);
        ExpectContainerButtons(log.containerButtons);
        EXPECT_EQ(driver->Text(1190), QString::fromStdString(log.file));
    }
    EXPECT_TRUE(harness.sink.shown.empty());
    // The decompression's temporary files are gone.
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_NE(entry.path().extension(), ".qvl") << entry.path();
    }
}

// Notes the pointer while a viewer dialog (not the sheet) is being built: its children are
// added to it one by one.
class PointerWhileBuilding : public QObject {
  public:
    explicit PointerWhileBuilding(const QDialog* sheet) : sheet_(sheet) {}
    bool hourglass = false;
    bool normal = false;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::ChildAdded && object != sheet_ &&
            qobject_cast<QDialog*>(object) != nullptr) {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            (cursor != nullptr && cursor->shape() == Qt::WaitCursor ? hourglass : normal) = true;
        }
        return false;
    }

  private:
    const QDialog* sheet_;
};

TEST_F(ViewerPageTest, AViewerIsBuiltUnderTheHourglassAndOpensWithTheNormalPointer) {
    // The file information and the settings list read the log while they are made.
    OpenViewerPage("pointer", CompressedLog("p1.zlg"));
    for (int number : {1191, 1188}) {
        PointerWhileBuilding watch(sheet.get());
        qApp->installEventFilter(&watch);
        QTest::mouseClick(driver->ControlAs<QPushButton>(number), Qt::LeftButton);
        qApp->removeEventFilter(&watch);
        EXPECT_TRUE(watch.hourglass) << number;
        EXPECT_FALSE(watch.normal) << number;
        QDialog* viewer = nullptr;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                viewer = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                return viewer != nullptr && viewer != sheet.get() && viewer->isVisible();
            },
            10000))
            << number;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << number;
        viewer->reject();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return QApplication::activeModalWidget() == sheet.get(); }, 10000));
    }
}

TEST_F(ViewerPageTest, FinishEndsTheWizard) {
    OpenViewerPage("finish", PlainLog("p1.log"));
    ASSERT_TRUE(driver->Finish());
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_TRUE(harness.sink.asked.empty());
}

TEST_F(ViewerPageTest, CancelClosesWithoutAQuestion) {
    OpenViewerPage("cancel", PlainLog("p1.log"));
    ASSERT_TRUE(driver->Cancel());
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
    EXPECT_TRUE(harness.sink.asked.empty());
}

TEST_F(ViewerPageTest, BackWalksTheRoadToTheMenu) {
    OpenViewerPage("back", CompressedLog("p1.zlg"));
    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(kPageLogFile));
    EXPECT_EQ(harness.app.History(), (std::vector<int>{156, 178}));
    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(kPageOperationMenu));
    EXPECT_EQ(harness.app.History(), std::vector<int>{156});
    EXPECT_EQ(driver->PagesShown(), (std::vector<int>{156, 178, 225, 178, 156}));
    // The menu kept its choice.
    EXPECT_TRUE(driver->IsChecked(1025));
}

// Road 0: the operation menu, the log file page, the viewer page; Finish ends the program.
class SavedLogRoadTest : public ViewerPageTest {
  protected:
    using ViewerPageTest::ViewerPageTest;

    void WalkRoadZero() {
        OpenOnMenu("0");
        ExpectLabelsFit();
        driver->Screenshot();
        ToLogFilePage();
        EXPECT_EQ(harness.app.GetOperation(), 0);
        ExpectTableTexts();
        ExpectLabelsFit();
        const std::string log = CompressedLog("p1.zlg");
        ASSERT_TRUE(driver->SetText(1095, QString::fromStdString(log)));
        driver->Screenshot();
        ASSERT_TRUE(driver->Next());
        ASSERT_TRUE(driver->WaitForPage(kPageLogViewer));
        ExpectTableTexts();
        ExpectContainerButtons(true);
        EXPECT_EQ(driver->Text(1190), QString::fromStdString(log));
        EXPECT_EQ(sheet->windowTitle(), Entry(Language(), 5011));
        ExpectLabelsFit();
        driver->Screenshot();
        ASSERT_TRUE(driver->Finish());
        EXPECT_FALSE(sheet->isVisible());
        EXPECT_EQ(sheet->result(), QDialog::Accepted);
        EXPECT_EQ(driver->PagesShown(), (std::vector<int>{156, 178, 225}));
        EXPECT_EQ(harness.app.History(), (std::vector<int>{156, 178, 225}));
        EXPECT_TRUE(harness.sink.shown.empty());
        EXPECT_TRUE(harness.spooler.calls.empty());
    }
};

TEST_F(SavedLogRoadTest, English) {
    WalkRoadZero();
}

class JapaneseSavedLogRoadTest : public SavedLogRoadTest {
  protected:
    JapaneseSavedLogRoadTest() : SavedLogRoadTest(kJapanese) {}
};

TEST_F(JapaneseSavedLogRoadTest, Japanese) {
    WalkRoadZero();
    // The Japanese instructions name the Finish button by the caption Qt's translation gives.
    const QString finish = gui::WithoutMnemonics(driver->Button("finishButton")->text());
    EXPECT_TRUE(finish.startsWith(QStringLiteral("完了"))) << finish.toStdString();
    EXPECT_TRUE(Entry(kJapanese, 205).contains(QStringLiteral("「完了」")));
}

class DemoSavedLogRoadTest : public SavedLogRoadTest {
  protected:
    DemoSavedLogRoadTest() : SavedLogRoadTest(kEnglish, "-demo") {}
};

TEST_F(DemoSavedLogRoadTest, DemoModeWalksTheSameRoad) {
    WalkRoadZero();
}

}  // namespace
}  // namespace qx7::test
