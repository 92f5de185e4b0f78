// Start-up of the wizard to its first page on screen: each run starts a fresh process that
// does what qx7-service-tool does before the user sees anything (Qt and its platform plugin,
// the application object, Qt's translation, the icon, the pages) and reports when the first
// page has been painted. The time counts from before the process is started, so loading the
// program and its libraries is in it. Runs in English and Japanese (whose fonts load on the
// first paint), on the display of the environment, or offscreen when there is none.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QTimer>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "SilentSink.h"
#include "core/text/Language.h"
#include "core/text/MessageSink.h"
#include "core/app/PageFlow.h"
#include "core/app/QVJServToolApp.h"
#include "gui/app/ControlText.h"
#include "gui/app/DesktopOpener.h"
#include "gui/app/FileChooser.h"
#include "gui/app/PageContext.h"
#include "gui/app/ProgramStarter.h"
#include "gui/app/WizardSheet.h"
#include "gui/app/Startup.h"
#include "gui/app/ToolSettings.h"
#include "gui/wizard/WizardPage.h"
#include "platform/SystemLocalTime.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

const Clock::time_point gMainEntered = Clock::now();

constexpr char kChildFlag[] = "--first-page-child";

std::int64_t Nanoseconds(Clock::time_point at) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}

// Ends the sheet once a page has been painted and that paint has reached the window.
class FirstPaint final : public QObject {
  public:
    explicit FirstPaint(QDialog& sheet) : sheet_(sheet) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!seen_ && event->type() == QEvent::Paint &&
            qobject_cast<qx7::gui::WizardPage*>(watched) != nullptr) {
            seen_ = true;
            QTimer::singleShot(0, &sheet_, [this] {
                const Clock::time_point now = Clock::now();
                std::printf("%lld %lld %s\n", static_cast<long long>(Nanoseconds(now)),
                            static_cast<long long>(Nanoseconds(now) - Nanoseconds(gMainEntered)),
                            QGuiApplication::platformName().toUtf8().constData());
                std::fflush(stdout);
                sheet_.done(0);
            });
        }
        return false;
    }

  private:
    QDialog& sheet_;
    bool seen_ = false;
};

// What qx7-service-tool's main does up to the first page, without the single-instance lock.
int RunChild(qx7::LanguageId language) {
    int argc = 1;
    char name[] = "qx7-service-tool";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/qx7/qx7-service-tool.svg")));
    std::setlocale(LC_NUMERIC, "C");

    qx7::bench::SilentSink sink;
    qx7::CQVJServToolApp tool(sink);
    tool.Start("/usr/bin/qx7-service-tool", "/usr/bin/qx7-service-tool", language);
    qx7::gui::InstallQtTranslator(application, tool.GetLanguage());
    QGuiApplication::setApplicationDisplayName(qx7::gui::LocalText(tool.GetLanguage(), 102));

    qx7::SystemLocalTime clock;
    qx7::gui::QtFileChooser files;
    qx7::gui::QtDesktopOpener opener;
    qx7::gui::QtProgramStarter programs;
    qx7::gui::ToolSettings settings;
    const qx7::gui::PageContext context{tool, files, opener, programs, settings, clock, {}};
    qx7::gui::WizardSheet sheet(context, qx7::WizardPages());
    FirstPaint watch(sheet);
    application.installEventFilter(&watch);
    sheet.exec();
    return 0;
}

struct ChildRun {
    bool ok = false;
    double totalMs = 0;   // from before the start of the process to the first page
    double inMainMs = 0;  // the part after the process's static start-up
    std::string platform;
};

ChildRun StartAndMeasure(qx7::LanguageId language) {
    ChildRun run;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    // Qt's notes on the platform would bury the results.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string self = "/proc/self/exe";
    std::string flag = kChildFlag;
    std::string languageArg = std::to_string(language);
    char* childArgs[] = {self.data(), flag.data(), languageArg.data(), nullptr};

    const Clock::time_point start = Clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, self.c_str(), &actions, nullptr, childArgs, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return run;
    }
    std::string line;
    char buffer[128];
    ssize_t got = 0;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        line.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    long long paintedNs = 0;
    long long inMainNs = 0;
    char platform[32] = {};
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
        std::sscanf(line.c_str(), "%lld %lld %31s", &paintedNs, &inMainNs, platform) == 3) {
        run.platform = platform;
        run.ok = true;
        run.totalMs = static_cast<double>(paintedNs - Nanoseconds(start)) / 1e6;
        run.inMainMs = static_cast<double>(inMainNs) / 1e6;
    }
    return run;
}

void BM_StartToFirstPage(benchmark::State& state) {
    const auto language = static_cast<qx7::LanguageId>(state.range(0));
    double inMain = 0;
    std::string platform;
    for (auto _ : state) {
        const ChildRun run = StartAndMeasure(language);
        if (!run.ok) {
            state.SkipWithError("the wizard process did not show its first page");
            return;
        }
        state.SetIterationTime(run.totalMs / 1000.0);
        inMain += run.inMainMs;
        platform = run.platform;
    }
    state.counters["in_main_ms"] = benchmark::Counter(inMain, benchmark::Counter::kAvgIterations);
    state.SetLabel(std::string(language == qx7::kJapanese ? "Japanese" : "English") + ", " +
                   platform);
}
BENCHMARK(BM_StartToFirstPage)
    ->Arg(qx7::kEnglish)
    ->Arg(qx7::kJapanese)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kChildFlag) == 0) {
        return RunChild(static_cast<qx7::LanguageId>(std::atoi(argv[2])));
    }
    // Without a display the children draw offscreen; the label says which platform drew.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
