// The GUI tests: one QApplication for all of them, offscreen unless a platform is chosen,
// with settings, runtime folder and time zone of their own.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QSettings>
#include <clocale>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "support/TempDir.h"

// LeakSanitizer (the sanitizer build) asks for this at start: the system's D-Bus library keeps
// allocations for the life of the process once Qt's X11 platform has talked to the session
// bus. Not ours to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

namespace {

QtMessageHandler qtDefaultHandler = nullptr;

// The offscreen platform says on every dialog with a size grip that it cannot pass size hints
// on; that says nothing about the test.
void FilterQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("does not support propagateSizeHints"))) {
        return;
    }
    qtDefaultHandler(type, context, text);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Outlives the application: Qt may write settings until it ends.
    qx7::test::TempDir home;
    const std::filesystem::path config = home.Path() / "config";
    const std::filesystem::path runtime = home.Path() / "runtime";
    std::filesystem::create_directories(config);
    std::filesystem::create_directories(runtime);
    ::chmod(runtime.c_str(), 0700);
    qputenv("XDG_CONFIG_HOME", config.c_str());
    qputenv("XDG_RUNTIME_DIR", runtime.c_str());
    qputenv("TZ", "Asia/Tokyo");
    tzset();

    qtDefaultHandler = qInstallMessageHandler(FilterQtMessages);
    int result = 0;
    {
        QApplication application(argc, argv);
        std::setlocale(LC_NUMERIC, "C");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(config.string()));
        result = RUN_ALL_TESTS();
    }
    return result;
}
