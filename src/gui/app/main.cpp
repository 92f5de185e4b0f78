// qx7-service-tool: the wizard for the procedures after a part exchange, the printer's clock,
// the "Clean Tube W" warning and saved printer logs.

#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <clocale>
#include <cstdio>
#include <string>

#include "core/app/LogFileChoice.h"
#include "core/app/Messages.h"
#include "core/app/PageFlow.h"
#include "core/app/QVJServToolApp.h"
#include "core/base/SignalCleanup.h"
#include "gui/app/ControlText.h"
#include "gui/app/DesktopOpener.h"
#include "gui/app/FileChooser.h"
#include "gui/app/MessageBoxSink.h"
#include "gui/app/PageContext.h"
#include "gui/app/ProgramStarter.h"
#include "gui/app/ServSheet.h"
#include "gui/app/SingleInstance.h"
#include "gui/app/Startup.h"
#include "gui/app/ToolSettings.h"
#include "gui/log/EntryBrowser.h"
#include "platform/SystemLocalTime.h"
#include "platform/SystemSleeper.h"
#include "platform/posix/SpoolDirectory.h"
#include "platform/SystemEnvironment.h"

namespace {

using namespace qx7;
using namespace qx7::gui;

constexpr int kCaptionString = 102;

// With QX7_MESSAGES_TO_STDERR set, messages go to standard error instead of boxes (questions
// are answered No), so that scripts and tests can read what a start refused with.
class StderrSink final : public IMessageSink {
  public:
    void ShowOk(const std::string& text) override {
        std::fprintf(stderr, "%s: %s\n", MessageBoxSink::Caption().toLocal8Bit().constData(),
                     text.c_str());
    }
    bool AskYesNo(const std::string& text) override {
        ShowOk(text + " [no]");
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/qx7/qx7-service-tool.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("qx7-service-tool"));
    // Qt set the C library's locale from the environment; numbers in files keep the C form.
    std::setlocale(LC_NUMERIC, "C");
    // An export's named temporary (where the file system has no unnamed files) goes with the
    // program when a signal ends it.
    RemoveTemporariesOnEndSignals();

    MessageBoxSink boxes;
    StderrSink stderrSink;
    IMessageSink& sink = qEnvironmentVariableIsEmpty("QX7_MESSAGES_TO_STDERR")
                             ? static_cast<IMessageSink&>(boxes)
                             : static_cast<IMessageSink&>(stderrSink);

    CQVJServToolApp tool(sink);
    std::string executable = ExecutablePath();
    if (executable.empty()) {
        executable = QCoreApplication::applicationFilePath().toStdString();
    }
    const QStringList arguments = QCoreApplication::arguments();
    tool.Start(executable, CommandLineText(arguments), SystemDefaultLanguage());
    InstallQtTranslator(application, tool.GetLanguage());
    QGuiApplication::setApplicationDisplayName(LocalText(tool.GetLanguage(), kCaptionString));

    SingleInstance instance;
    switch (instance.Acquire()) {
        case InstanceLock::kAcquired:
            break;
        case InstanceLock::kAlreadyRunning:
            tool.GetMessages().ShowMessage(kMsgAlreadyStarted, 0);
            return 1;
        case InstanceLock::kFailed:
            tool.GetMessages().ShowMessage(kMsgInternalError, kCodeInstanceLock);
            return 1;
    }

    SpoolDirectory spooler(DefaultSpoolDirectory());
    SystemSleeper sleeper;
    SystemLocalTime clock;
    tool.SetPrinterServices(&spooler, &sleeper, &clock);

    QtFileChooser files;
    QtDesktopOpener opener;
    QtProgramStarter programs;
    ToolSettings settings;
    const PageContext context{
        tool, files, opener, programs, settings, clock, ParseGuiOptions(arguments)};

    if (context.options.browseOnly) {
        if (context.options.logFile.empty()) {
            tool.GetMessages().ShowMessage(kMsgEnterLogFileName, kCodeLogFileNameEmpty);
            return 2;
        }
        EntryBrowser browser(context, context.options.logFile, nullptr);
        boxes.SetOwner(&browser);
        browser.exec();
        return 0;
    }

    CServSheet sheet(context, WizardPages());
    boxes.SetOwner(&sheet);
    ShowStartPage(sheet, context.options);
    sheet.exec();
    return 0;
}
