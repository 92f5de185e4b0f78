// The text export of the export dialog (227) against `qx7log text`, on the generated log of
// 1,000,000 entries (what `qx7-loggen --entries 1000000 --compressed` writes). Each run is a
// fresh process: the window's run is this program started with --window-child, which opens the
// dialog offscreen and presses Convert programmatically; the command line's is the qx7log
// binary. Reported per run:
// - the time until done (the window: from the press to the return of the handler, progress
//   window and its event-loop passes included; qx7log: the whole process);
// - longest_pause_ms (window only): the longest gap between two ticks of a zero-interval timer
//   while the export runs, i.e. the longest time the window could not repaint;
// - peak_MiB: the process's VmHWM, read at its exit through ptrace, so that nothing of this
//   process is counted in.
// Both files are compared byte for byte at the end.
//
//   build/default/bin/gui_log_export_bench [--qx7log PATH]
// qx7log is looked for beside this program unless given.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "EventLoopPauseProbe.h"
#include "GeneratedLog.h"
#include "PeakMemory.h"
#include "SilentSink.h"
#include "core/text/MessageSink.h"
#include "core/app/QVJServToolApp.h"
#include "core/log/QXLogFile.h"
#include "gui/app/DesktopOpener.h"
#include "gui/app/FileChooser.h"
#include "gui/app/PageContext.h"
#include "gui/app/ProgramStarter.h"
#include "gui/app/ToolSettings.h"
#include "gui/export/LogExportDialog.h"
#include "loggen/Scenario.h"
#include "platform/SystemLocalTime.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char kWindowChild[] = "--window-child";
constexpr char kIdleChild[] = "--idle-child";
constexpr std::uint32_t kEntries = 1000000;

std::string gQx7log;
fs::path gFolder;
std::string gLog;
int gEntriesKept = 0;  // what the ring kept of the entries written: what an export reads

// Answers Yes (an earlier run's file is replaced) and shows nothing.
class YesSink final : public qx7::IMessageSink {
  public:
    void ShowOk(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    bool AskYesNo(const std::string&) override { return true; }
};

class NoChooser final : public qx7::gui::IFileChooser {
  public:
    QString OpenFile(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString SaveFile(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString Folder(QWidget*, const QString&, const QString&) override { return {}; }
};

class CountingOpener final : public qx7::gui::IDesktopOpener {
  public:
    bool Open(const QString&) override {
        ++opened;
        return true;
    }
    int opened = 0;
};

// The dialog offscreen, Convert pressed once; prints "<export ns> <longest pause ns> <opened>".
// With `idle` the dialog is only shown: the window's own memory without an export.
int RunWindowChild(int argc, char** argv, bool idle) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const std::string log = argv[2];
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    static_cast<void>(argc);
    std::setlocale(LC_NUMERIC, "C");

    YesSink sink;
    qx7::CQVJServToolApp tool(sink);
    tool.Start("/usr/bin/qx7-service-tool", "/usr/bin/qx7-service-tool", qx7::kEnglish);
    const qx7::SystemLocalTime clock;
    NoChooser files;
    CountingOpener opener;
    qx7::gui::QtProgramStarter programs;
    qx7::gui::ToolSettings settings;
    const qx7::gui::PageContext context{tool, files, opener, programs, settings, clock, {}};
    qx7::gui::LogExportDialog view(context, log, nullptr);
    view.show();

    qx7::bench::EventLoopPauseProbe probe(0);
    qint64 exportNs = 0;
    qint64 longest = 0;
    QTimer::singleShot(0, [&] {
        QElapsedTimer sinceStart;
        sinceStart.start();
        probe.Start();
        if (!idle) {
            view.OnConvertText();
        }
        exportNs = sinceStart.nsecsElapsed();
        longest = probe.StopNs();
        view.close();
        QCoreApplication::quit();
    });
    QApplication::exec();
    std::printf("%lld %lld %d\n", static_cast<long long>(exportNs), static_cast<long long>(longest),
                opener.opened);
    return 0;
}

struct Measured {
    bool ok = false;
    double seconds = 0;
    long peakKiB = -1;
    std::string out;
};

// Runs the program to its end under ptrace, to read its VmHWM when it exits.
Measured RunMeasured(const std::vector<std::string>& arguments) {
    Measured result;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return result;
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        dup2(pipeFds[1], STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    int status = 0;
    bool first = true;
    while (waitpid(child, &status, 0) == child) {
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            break;
        }
        int deliver = 0;
        if (first) {
            first = false;  // stopped at exec
            ptrace(PTRACE_SETOPTIONS, child, nullptr,
                   reinterpret_cast<void*>(PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL));
        } else if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
            result.peakKiB = qx7::bench::PeakKiB(child);
        } else {
            deliver = WSTOPSIG(status);
        }
        ptrace(PTRACE_CONT, child, nullptr, reinterpret_cast<void*>(static_cast<long>(deliver)));
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    char buffer[256];
    ssize_t got = 0;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        result.out.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeFds[0]);
    return result;
}

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string WindowOutput() {
    return gLog + ".txt";
}
std::string CommandOutput() {
    return (gFolder / "qx7log.txt").string();
}

void BM_WindowTextExport(benchmark::State& state) {
    double longestMs = 0;
    double peakMiB = 0;
    double processSeconds = 0;
    for (auto _ : state) {
        fs::remove(WindowOutput());
        const Measured run = RunMeasured({"/proc/self/exe", kWindowChild, gLog});
        long long exportNs = 0;
        long long pauseNs = 0;
        int opened = 0;
        if (!run.ok ||
            std::sscanf(run.out.c_str(), "%lld %lld %d", &exportNs, &pauseNs, &opened) != 3 ||
            opened != 1) {
            state.SkipWithError("the window's export did not complete");
            return;
        }
        state.SetIterationTime(static_cast<double>(exportNs) / 1e9);
        longestMs = std::max(longestMs, static_cast<double>(pauseNs) / 1e6);
        peakMiB = std::max(peakMiB, static_cast<double>(run.peakKiB) / 1024.0);
        processSeconds += run.seconds;
    }
    state.counters["longest_pause_ms"] = longestMs;
    state.counters["peak_MiB"] = peakMiB;
    state.counters["process_s"] =
        benchmark::Counter(processSeconds, benchmark::Counter::kAvgIterations);
    state.counters["entries_per_s"] =
        benchmark::Counter(gEntriesKept, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WindowTextExport)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Qx7logText(benchmark::State& state) {
    double peakMiB = 0;
    for (auto _ : state) {
        const Measured run = RunMeasured({gQx7log, "text", gLog, "-o", CommandOutput(), "--force"});
        if (!run.ok) {
            state.SkipWithError("qx7log text failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        peakMiB = std::max(peakMiB, static_cast<double>(run.peakKiB) / 1024.0);
    }
    state.counters["peak_MiB"] = peakMiB;
    state.counters["entries_per_s"] =
        benchmark::Counter(gEntriesKept, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Qx7logText)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// The window with the dialog shown and no export: what of the window's peak is not the export's.
void BM_WindowIdle(benchmark::State& state) {
    double peakMiB = 0;
    for (auto _ : state) {
        const Measured run = RunMeasured({"/proc/self/exe", kIdleChild, gLog});
        if (!run.ok) {
            state.SkipWithError("the window did not start");
            return;
        }
        state.SetIterationTime(run.seconds);
        peakMiB = std::max(peakMiB, static_cast<double>(run.peakKiB) / 1024.0);
    }
    state.counters["peak_MiB"] = peakMiB;
}
BENCHMARK(BM_WindowIdle)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// Entries an export of the log reads.
int EntriesKept() {
    qx7::bench::SilentSink sink;
    const qx7::SystemLocalTime clock;
    qx7::CQXLogFile reader(clock);
    const int count = reader.Open(gLog) == 1 && reader.OpenLogData() ? reader.GetEntryCount() : 0;
    reader.Close();
    return count;
}

// The log, generated in a child so that this process stays small.
bool GenerateLog() {
    qx7::loggen::ScenarioOptions options;
    options.entries = kEntries;
    return qx7::bench::GenerateLogInChild(gLog, options, qx7::loggen::LogForm::Compressed);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kWindowChild) == 0) {
        return RunWindowChild(argc, argv, false);
    }
    if (argc == 3 && std::strcmp(argv[1], kIdleChild) == 0) {
        return RunWindowChild(argc, argv, true);
    }
    gQx7log = (fs::read_symlink("/proc/self/exe").parent_path() / "qx7log").string();
    std::vector<char*> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--qx7log") == 0 && i + 1 < argc) {
            gQx7log = argv[++i];
        } else {
            rest.push_back(argv[i]);
        }
    }
    char folderTemplate[] = "/tmp/qx7-gui-export-bench-XXXXXX";
    if (mkdtemp(folderTemplate) == nullptr) {
        return 1;
    }
    gFolder = folderTemplate;
    gLog = (gFolder / "p1m.zlg").string();
    if (!GenerateLog()) {
        std::fprintf(stderr, "cannot generate the log in %s\n", gFolder.c_str());
        fs::remove_all(gFolder);
        return 1;
    }
    gEntriesKept = EntriesKept();
    std::printf("%s: %d entries written, %d kept in the ring\n", gLog.c_str(),
                static_cast<int>(kEntries), gEntriesKept);
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const bool windowRan = fs::exists(WindowOutput());
    const bool commandRan = fs::exists(CommandOutput());
    if (windowRan && commandRan) {
        std::printf("window file %s qx7log's (%ju bytes)\n",
                    ReadAll(WindowOutput()) == ReadAll(CommandOutput()) ? "equals" : "DIFFERS FROM",
                    static_cast<std::uintmax_t>(fs::file_size(CommandOutput())));
    }
    fs::remove_all(gFolder);
    return 0;
}
