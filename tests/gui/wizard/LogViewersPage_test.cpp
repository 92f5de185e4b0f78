// Page 225, the viewers of the chosen log: which buttons show for the log's form, the name,
// Finish and Back; and the whole saved-log road (code 0) in both languages.

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "core/app/LogFileChoice.h"
#include "gui/app/ControlText.h"
#include "gui/wizard/LogPageTest.h"
#include "gui/app/LogViewerRegistry.h"

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
    EXPECT_EQ(harness.app.GetCurrentPage(), PageNumber(PageId::kLogViewers));
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
        ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice))) << log.file;
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

// The viewer dialog open over the sheet; nullptr when none comes within the deadline.
QDialog* WaitForViewer(const QDialog* sheet) {
    QDialog* viewer = nullptr;
    const bool came = QTest::qWaitFor(
        [&] {
            viewer = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            return viewer != nullptr && viewer != sheet && viewer->isVisible();
        },
        10000);
    return came ? viewer : nullptr;
}

TEST_F(ViewerPageTest, TheKeyboardAloneOpensViewersAndKeepsTheSheet) {
    OpenViewerPage("keys", PlainLog("p1.log"));
    auto* settings = driver->ControlAs<QPushButton>(1188);
    ASSERT_NE(settings, nullptr);
    // Tab from where the focus arrived (the first viewer button) to "View Settings".
    for (int tabs = 0; tabs < 8 && QApplication::focusWidget() != settings; ++tabs) {
        driver->Press(Qt::Key_Tab);
    }
    ASSERT_EQ(QApplication::focusWidget(), settings);

    // Enter presses the focused button, not the default Finish.
    driver->Press(Qt::Key_Return);
    QPointer<QDialog> viewer = WaitForViewer(sheet.get());
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->objectName(), "CEEPDispSel");
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(driver->Current(), PageNumber(PageId::kLogViewers));
    // Escape closes the viewer alone; the focus comes back to the button.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return viewer->isAncestorOf(QApplication::focusWidget()); }, 10000));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.isNull(); }, 10000));
    EXPECT_TRUE(sheet->isVisible());
    // The window system gives the sheet back its activation (a platform without a window
    // manager needs to be asked); the sheet kept the button as its focus.
    sheet->activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == settings; }, 10000));

    // Space does the same.
    driver->Press(Qt::Key_Space);
    viewer = WaitForViewer(sheet.get());
    ASSERT_NE(viewer, nullptr);
    viewer->reject();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.isNull(); }, 10000));
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == settings; }, 10000));

    // Each viewer button has a letter of its own, none of Back's or Finish's; the texts and
    // the names read aloud stay the table's.
    QStringList letters{gui::MnemonicOf(driver->Button("backButton")->text()),
                        gui::MnemonicOf(driver->Button("finishButton")->text())};
    for (int number : kViewerButtons) {
        auto* button = driver->ControlAs<QPushButton>(number);
        const QString letter = gui::MnemonicOf(button->text());
        EXPECT_FALSE(letter.isEmpty()) << number;
        EXPECT_FALSE(letters.contains(letter)) << number << " " << letter.toStdString();
        letters.append(letter);
        EXPECT_EQ(button->accessibleName(), gui::WithoutMnemonics(button->text())) << number;
    }
    ExpectTableTexts();

    // Alt and the letter of "View Settings", from the name field.
    driver->ControlAs<QLineEdit>(1190)->setFocus(Qt::TabFocusReason);
    const QString letter = gui::MnemonicOf(settings->text());
    ASSERT_EQ(letter.size(), 1);
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(letter[0].unicode()),
                    Qt::AltModifier);
    viewer = WaitForViewer(sheet.get());
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->objectName(), "CEEPDispSel");
    viewer->reject();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.isNull(); }, 10000));
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));

    // Enter in the name field is Finish's, the default button.
    driver->ControlAs<QLineEdit>(1190)->setFocus(Qt::TabFocusReason);
    driver->Press(Qt::Key_Return);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
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
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    EXPECT_EQ(harness.app.History(), (std::vector<int>{156, 178}));
    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kOperationMenu)));
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
        ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogViewers)));
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
