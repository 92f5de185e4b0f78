// The analysis viewer (231) listing "All Error log" (and "Print operation", whose listing is
// far longer) with "All" on a log of a million entries:
// the time from Display until the view holds the whole listing, the longest pause of the event
// loop meanwhile (a 10 ms timer notes the gaps between its ticks; a gap well over 10 ms is time
// the window could not answer), and the process's high-water resident size (VmHWM).
//
// The log is QX7_BENCH_LOG when set (e.g. `qx7-loggen --entries 1000000 --compressed -o
// big.zlg`); otherwise the same log is generated in a forked child into a temporary folder, so
// that this process's peak stays the viewer's own. Offscreen unless a display is set. Also
// noted: how long a second Display blocks while it empties the full view.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "EventLoopPauseProbe.h"
#include "GeneratedLog.h"
#include "PeakMemory.h"
#include "SilentSink.h"
#include "core/text/MessageSink.h"
#include "core/app/QVJServToolApp.h"
#include "gui/app/DesktopOpener.h"
#include "gui/app/FileChooser.h"
#include "gui/app/PageContext.h"
#include "gui/app/ProgramStarter.h"
#include "gui/app/ToolSettings.h"
#include "gui/log/LogAnalysisDialog.h"
#include "loggen/LogBuilder.h"
#include "loggen/Scenario.h"
#include "platform/SystemLocalTime.h"

namespace {

namespace fs = std::filesystem;

constexpr int kAllRow = 3;
constexpr int kProbeMilliseconds = 10;

std::string gLogPath;

// The generated million-entry log, made in a child process.
bool GenerateLog(const std::string& path) {
    qx7::loggen::ScenarioOptions options;
    options.entries = 1000000;
    return qx7::bench::GenerateLogInChild(path, options, qx7::loggen::LogForm::Compressed);
}

void BM_AnalysisWithAll(benchmark::State& state) {
    const auto analysis = static_cast<int>(state.range(0));
    qx7::bench::SilentSink sink;
    qx7::CQVJServToolApp tool(sink);
    tool.Start("/usr/bin/qx7-service-tool", "/usr/bin/qx7-service-tool", qx7::kEnglish);
    qx7::SystemLocalTime clock;
    qx7::gui::QtFileChooser files;
    qx7::gui::QtDesktopOpener opener;
    qx7::gui::QtProgramStarter programs;
    qx7::gui::ToolSettings settings;
    const qx7::gui::PageContext context{tool, files, opener, programs, settings, clock, {}};

    double longestPause = 0;
    double redisplay = 0;
    int lines = 0;
    for (auto _ : state) {
        qx7::gui::LogAnalysisDialog viewer(context, gLogPath, nullptr);
        viewer.show();
        QEventLoop loop;
        QObject::connect(&viewer, &qx7::gui::LogAnalysisDialog::listingFinished, &loop,
                         &QEventLoop::quit);
        if (viewer.IsRunning()) {
            loop.exec();  // the first thousand errors the dialog opens with
        }
        viewer.findChild<QComboBox*>(QStringLiteral("1210"))->setCurrentIndex(kAllRow);

        qx7::bench::EventLoopPauseProbe probe(kProbeMilliseconds);
        probe.Start();
        QElapsedTimer filled;
        filled.start();
        // Another analysis runs at once; the one shown runs again on Display.
        if (analysis != 0) {
            viewer.findChild<QComboBox*>(QStringLiteral("1205"))->setCurrentIndex(analysis);
        } else {
            viewer.findChild<QPushButton*>(QStringLiteral("1105"))->click();
        }
        if (viewer.IsRunning()) {
            loop.exec();
        }
        const double seconds = static_cast<double>(filled.nsecsElapsed()) / 1e9;
        longestPause = std::max(longestPause, static_cast<double>(probe.StopNs()) / 1e6);
        state.SetIterationTime(seconds);
        lines = viewer.findChild<QPlainTextEdit*>(QStringLiteral("1207"))->blockCount() - 1;

        // Display once more: the click empties the full view before the next run starts, and
        // closing stops that run.
        QElapsedTimer again;
        again.start();
        viewer.findChild<QPushButton*>(QStringLiteral("1105"))->click();
        redisplay = std::max(redisplay, static_cast<double>(again.nsecsElapsed()) / 1e6);
        viewer.reject();
    }
    state.counters["lines"] = lines;
    state.counters["redisplay_click_ms"] = redisplay;
    state.counters["longest_pause_ms"] = longestPause;
    state.counters["peak_MiB"] = (static_cast<double>(qx7::bench::OwnPeakKiB()) / 1024.0);
}
// "All Error log", and "Print operation" for a listing fifty times as long.
BENCHMARK(BM_AnalysisWithAll)
    ->Arg(0)
    ->Arg(3)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    fs::path folder;
    if (const char* given = std::getenv("QX7_BENCH_LOG")) {
        gLogPath = given;
    } else {
        folder = fs::temp_directory_path() / ("qx7-analysis-bench-" + std::to_string(getpid()));
        fs::create_directories(folder);
        gLogPath = (folder / "big.zlg").string();
        if (!GenerateLog(gLogPath)) {
            std::fprintf(stderr, "could not generate %s\n", gLogPath.c_str());
            fs::remove_all(folder);
            return 1;
        }
    }
    int code = 0;
    {
        QApplication application(argc, argv);
        std::setlocale(LC_NUMERIC, "C");
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
            code = 1;
        } else {
            benchmark::RunSpecifiedBenchmarks();
            benchmark::Shutdown();
        }
    }
    if (!folder.empty()) {
        fs::remove_all(folder);
    }
    return code;
}
