// qx7-service-tool: the wizard for the procedures after a part exchange, the printer's clock,
// the "Clean Tube W" warning and saved printer logs.

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/app/LogFileChoice.h"
#include "core/text/Messages.h"
#include "core/app/PageFlow.h"
#include "core/app/QVJServToolApp.h"
#include "core/app/SecondStart.h"
#include "core/app/StartupDecision.h"
#include "core/text/StringTable.h"
#include "core/base/SignalCleanup.h"
#include "gui/app/ControlText.h"
#include "gui/app/DesktopOpener.h"
#include "gui/app/FileChooser.h"
#include "gui/app/HandOver.h"
#include "gui/app/MessageBoxSink.h"
#include "gui/app/PageContext.h"
#include "gui/app/ProgramStarter.h"
#include "gui/app/WizardSheet.h"
#include "gui/app/SingleInstance.h"
#include "gui/app/Startup.h"
#include "gui/app/ToolSettings.h"
#include "gui/log/EntryBrowser.h"
#include "platform/SystemLocalTime.h"
#include "platform/SystemSleeper.h"
#include "platform/posix/SpoolerChoice.h"
#include "platform/SystemEnvironment.h"

namespace {

using namespace qx7;
using namespace qx7::gui;

constexpr int kCaptionString = 102;
// "Cannot open a window: no display is set (DISPLAY or WAYLAND_DISPLAY)."
constexpr int kMsgNoDisplay = 5750;
// How long a second start waits for the running copy to take its request; a copy busy with a
// printer operation answers within a few seconds.
constexpr int kHandOverDeadlineMs = 8000;

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
    // The command line as the system passed it: a log's name keeps its bytes, and --help and
    // --version need no display.
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const std::string programName = ProgramName(argc > 0 ? argv[0] : "qx7-service-tool", '/');
    std::string executable = ExecutablePath();
    if (executable.empty() && argc > 0) {
        executable = argv[0];
    }
    const StartCommand command = ParseStartCommand(programName, arguments);
    switch (command.action) {
        case StartCommand::Action::kRun:
            break;
        case StartCommand::Action::kHelp:
        case StartCommand::Action::kVersion:
            std::fputs(command.text.c_str(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        case StartCommand::Action::kUsage:
            std::fputs(command.text.c_str(), stderr);
            return 2;
    }
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string_view(value != nullptr ? value : "");
    };
    if (!DisplayNamed(variable("DISPLAY"), variable("WAYLAND_DISPLAY"),
                      variable("QT_QPA_PLATFORM"))) {
        // Qt would abort without a word a user can act on.
        const LanguageId language =
            DecideStartup(executable, arguments, SystemDefaultLanguage(), '/').language;
        std::string text;
        LoadLocalString(language, kMsgNoDisplay, text);
        std::fprintf(stderr, "%s: %s\n", programName.c_str(), text.c_str());
        return 2;
    }

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
    tool.Start(executable, arguments, SystemDefaultLanguage());
    InstallQtTranslator(application, tool.GetLanguage());
    QGuiApplication::setApplicationDisplayName(LocalText(tool.GetLanguage(), kCaptionString));

    // CUPS (CUPS_SERVER names another machine's scheduler), or the simulator's spool folder
    // when QX7_SPOOL_DIR names one.
    ChosenSpooler spooler(SpoolerChoice{});
    SystemSleeper sleeper;
    SystemLocalTime clock;
    tool.Printer().SetServices(&spooler.Spooler(), &sleeper, &clock);

    QtFileChooser files;
    QtDesktopOpener opener;
    QtProgramStarter programs;
    ToolSettings settings;
    const PageContext context{tool, files, opener, programs, settings, clock, command.options};

    SingleInstance instance;
    switch (instance.Acquire()) {
        case InstanceLock::kAcquired:
            break;
        case InstanceLock::kAlreadyRunning: {
            // The running copy opens the log and comes to the front; this one ends.
            std::error_code noFolder;
            HandOverRequest request{HandedLogPath(
                context.options.logFile, std::filesystem::current_path(noFolder).string())};
            if (request.logPath.empty() && context.options.chooseLog) {
                request.logPath = ChooseLog(context, nullptr);
            }
            if (SendHandOver(instance.SocketPath(), request, kHandOverDeadlineMs)) {
                return 0;
            }
            sink.ShowOk(AlreadyStartedText(tool.GetLanguage(), programName));
            return 1;
        }
        case InstanceLock::kFailed:
            sink.ShowOk(instance.FailureText(tool.GetLanguage()).toStdString());
            return 1;
    }

    // Requests of later starts; the window goes on without them when the socket cannot be made
    // (a later start then shows message 389).
    const auto listen = [&](WizardSheet* sheet, QWidget* window) {
        auto server = std::make_unique<HandOverServer>([&context, sheet, window](
                                                           const HandOverRequest& request) {
            CarryOutHandOver(request, context, sheet, window);
        });
        if (!server->Listen(instance.SocketPath())) {
            std::fprintf(stderr, "%s: %s: %s\n", programName.c_str(),
                         instance.SocketPath().toLocal8Bit().constData(),
                         server->ErrorText().toLocal8Bit().constData());
        }
        return server;
    };

    if (context.options.browseOnly) {
        if (context.options.logFile.empty()) {
            tool.GetMessages().ShowMessage(kMsgEnterLogFileName, kCodeLogFileNameEmpty);
            return 2;
        }
        EntryBrowser browser(context, context.options.logFile, nullptr);
        boxes.SetOwner(&browser);
        const auto server = listen(nullptr, &browser);
        browser.exec();
        return 0;
    }

    WizardSheet sheet(context, WizardPages());
    boxes.SetOwner(&sheet);
    const auto server = listen(&sheet, &sheet);
    ShowStartPage(sheet, context.options);
    if (context.options.chooseLog && context.options.logFile.empty()) {
        // Once the sheet is on screen, so that the chooser stands over it.
        QTimer::singleShot(0, &sheet, [&sheet] { OpenChosenLog(sheet); });
    }
    sheet.exec();
    return 0;
}
