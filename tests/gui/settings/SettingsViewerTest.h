#pragma once
// The settings viewers reached as a user reaches them: page 225's "View Settings" opens the
// block list (226), whose Display opens one block (144). Logs come from the generator, and what
// qx7log prints for the same log is what the dialogs must show.

#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "gui/log/LogViewerTest.h"
#include "loggen/Scenario.h"

namespace qx7::test {

inline constexpr int kViewSettings = 1188;

class SettingsViewerTest : public LogViewerTest {
  protected:
    using LogViewerTest::LogViewerTest;

    // A generated log with the six settings blocks (a few values away from the factory's).
    std::string GeneratedLog(const std::string& name, loggen::LogForm form,
                             bool badSettings = false) {
        loggen::ScenarioOptions options;
        options.seed = 7;
        options.entries = 300;
        options.badSettings = badSettings;
        const std::string path = dir.File(name);
        EXPECT_TRUE(loggen::WriteBytes(path, loggen::GenerateLog(options, form)));
        return path;
    }

    // 226 on show for the log, reached through 156, 178 and 225.
    QDialog* OpenBlockList(const std::string& road, const std::string& log) {
        OpenViewerPage(road, log);
        QDialog* list = PressViewer(kViewSettings);
        EXPECT_NE(list, nullptr);
        if (list != nullptr) {
            EXPECT_EQ(list->objectName(), "CEEPDispSel");
        }
        return list;
    }

    static QListWidget* Items(QDialog* list) { return ViewerControl<QListWidget>(list, 1036); }

    static QStringList ItemTexts(QDialog* list) {
        QStringList texts;
        QListWidget* items = Items(list);
        for (int i = 0; items != nullptr && i < items->count(); ++i) {
            texts << items->item(i)->text();
        }
        return texts;
    }

    // The lines qx7log prints, as texts.
    static QStringList Lines(const std::string& text) {
        QStringList lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            lines << QString::fromStdString(line);
        }
        return lines;
    }

    // The dialog on show over the others, once it is `className`; nullptr when it does not come.
    static QDialog* WaitForDialog(const QString& className) {
        QDialog* shown = nullptr;
        [[maybe_unused]] const bool came = QTest::qWaitFor(
            [&] {
                shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                return shown != nullptr && shown->objectName() == className && shown->isVisible();
            },
            kDialogWaitMs);
        if (shown == nullptr || shown->objectName() != className) {
            return nullptr;
        }
        [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(shown);
        // Under X without a window manager a new dialog may wait long for the input focus (on
        // a loaded machine, beyond the wait); its keys and shortcuts need it: ask for it, as a
        // window manager gives it.
        if (!shown->isActiveWindow()) {
            shown->activateWindow();
            [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(shown, kDialogWaitMs);
        }
        return shown;
    }

    // Selects the item of the block ("8011 : ..."), sets the comparison and presses Display:
    // the display dialog (144), or nullptr when none opened.
    QDialog* DisplayBlock(QDialog* list, const QString& blockId, bool compare) {
        QListWidget* items = Items(list);
        auto* box = ViewerControl<QCheckBox>(list, 1196);
        auto* display = ViewerControl<QPushButton>(list, 1029);
        if (items == nullptr || box == nullptr || display == nullptr) {
            ADD_FAILURE() << "226 lacks its controls";
            return nullptr;
        }
        const QList<QListWidgetItem*> found =
            items->findItems(blockId + QStringLiteral(" : "), Qt::MatchStartsWith);
        if (found.size() != 1) {
            ADD_FAILURE() << "no item for block " << blockId.toStdString();
            return nullptr;
        }
        items->setCurrentItem(found.front());
        if (box->isChecked() != compare) {
            box->click();
        }
        QTest::mouseClick(display, Qt::LeftButton);
        QCoreApplication::processEvents();
        if (QApplication::activeModalWidget() == list) {
            return nullptr;
        }
        return WaitForDialog(QStringLiteral("CViewEEP2"));
    }

    // Closes a viewer by Escape and waits until it is gone (viewers delete themselves).
    static bool CloseByEscape(QDialog* viewer) {
        QPointer<QDialog> watched(viewer);
        QTest::keyClick(viewer, Qt::Key_Escape);
        return QTest::qWaitFor([&] { return watched.isNull(); }, kDialogWaitMs);
    }

    // With QX7_SCREENSHOT_DIR set, also the viewer as a screen of twice the pixel density
    // shows it (<lang>-<name>-2x.png).
    void ScreenshotViewerAt2x(QWidget* viewer, const QString& name) const {
        const QString folder = qEnvironmentVariable("QX7_SCREENSHOT_DIR");
        if (folder.isEmpty() || viewer == nullptr) {
            return;
        }
        QPixmap image(viewer->size() * 2);
        image.setDevicePixelRatio(2);
        image.fill(Qt::white);
        viewer->render(&image);
        const QString language =
            Language() == kJapanese ? QStringLiteral("ja") : QStringLiteral("en");
        QDir().mkpath(folder);
        image.save(QDir(folder).filePath(language + QLatin1Char('-') + name + "-2x.png"));
    }

    // Where this process's open files lead (/proc/self/fd).
    static std::set<std::string> OpenFileTargets() {
        std::set<std::string> targets;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
            char target[4096];
            const ssize_t length = ::readlink(entry.path().c_str(), target, sizeof target - 1);
            if (length > 0) {
                targets.insert(std::string(target, static_cast<std::size_t>(length)));
            }
        }
        return targets;
    }
};

}  // namespace qx7::test
