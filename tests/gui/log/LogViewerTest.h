#pragma once
// The viewers of page 225: the page reached through the real sheet with a log of the test's
// own, a viewer opened by its button, and what `qx7log` prints or writes for the same log to
// compare with.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <string>
#include <vector>

#include "gui/support/ViewerReading.h"
#include "gui/wizard/LogPageTest.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace qx7::test {

// How long a test waits for a dialog to come or go. Generous, so that a slow machine does not
// fail a test: qWaitFor returns as soon as the dialog is there (or gone).
inline constexpr int kDialogWaitMs = 10000;

class LogViewerTest : public LogPageTest {
  protected:
    using LogPageTest::LogPageTest;

    // Page 225 on show for the log (156, 178, 225 walked as a user does).
    void OpenViewerPage(const std::string& road, const std::string& logFile) {
        OpenLogFilePage(road);
        ToViewerPage(logFile);
    }

    // Clicks the viewer button of page 225 and answers the viewer it opened, modal on show;
    // nullptr when none opened (the button is disabled, or the viewer refused to open); a
    // test that expects none may look for a shorter while.
    QDialog* PressViewer(int buttonNumber, int waitMs = kDialogWaitMs) {
        auto* button = driver->ControlAs<QPushButton>(buttonNumber);
        if (button == nullptr || !button->isVisible() || !button->isEnabled()) {
            return nullptr;
        }
        QTest::mouseClick(button, Qt::LeftButton);
        QDialog* viewer = nullptr;
        [[maybe_unused]] const bool opened = QTest::qWaitFor(
            [&] {
                viewer = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                // The sheet itself is modal: only a dialog above it is a viewer.
                return viewer != nullptr && viewer != sheet.get() && viewer->isVisible();
            },
            waitMs);
        if (viewer == sheet.get()) {
            return nullptr;
        }
        if (viewer != nullptr) {
            // A viewer reads its log once it is open, and one that could not read it closes
            // itself (as if it never opened): it may go while the test waits for it.
            const QPointer<QDialog> open(viewer);
            [[maybe_unused]] const bool exposed = QTest::qWaitFor(
                [&] {
                    return open.isNull() || !open->isVisible() ||
                           (open->windowHandle() != nullptr && open->windowHandle()->isExposed());
                },
                waitMs);
            // On X11 the window system activates a new window a little later than it shows
            // it; the keyboard focus is the viewer's only from then on.
            [[maybe_unused]] const bool active = QTest::qWaitFor(
                [&] { return open.isNull() || !open->isVisible() || open->isActiveWindow(); },
                waitMs);
            // What it shows is there once its reading has returned.
            EXPECT_TRUE(WaitUntilViewerRead(open));
            if (open.isNull() || !open->isVisible()) {
                return nullptr;
            }
        }
        return viewer;
    }

    // The viewer's control by number.
    template <class T>
    static T* ViewerControl(QDialog* viewer, int number) {
        return viewer->findChild<T*>(QString::number(number));
    }

    // Saves the viewer as <lang>-<name>.png when QX7_SCREENSHOT_DIR is set (look at them).
    void ScreenshotViewer(QWidget* viewer, const QString& name) const {
        const QString folder = qEnvironmentVariable("QX7_SCREENSHOT_DIR");
        if (folder.isEmpty() || viewer == nullptr) {
            return;
        }
        QCoreApplication::processEvents();
        QDir().mkpath(folder);
        const QString language =
            Language() == kJapanese ? QStringLiteral("ja") : QStringLiteral("en");
        viewer->grab().save(QDir(folder).filePath(language + QLatin1Char('-') + name + ".png"));
    }

    // Nothing beside the logs but what the test put there: no temporary a viewer made (a
    // decompressed .qvl, a .tjg) is left behind.
    void ExpectNoTemporaries() const {
        for (const std::string& name : FileNames(dir.Path())) {
            EXPECT_EQ(name.find(".qvl"), std::string::npos) << name;
            EXPECT_EQ(name.find(".tjg"), std::string::npos) << name;
        }
    }

    // `qx7log` on the same log, in the language of the test and the zone the tests pin.
    ProgramResult Qx7Log(const std::vector<std::string>& arguments) const {
        std::vector<std::string> all = arguments;
        all.insert(all.begin(),
                   Language() == kJapanese ? std::string("--lang=ja") : std::string("--lang=en"));
        return RunProgram(QX7LOG_PATH, all);
    }
};

}  // namespace qx7::test
