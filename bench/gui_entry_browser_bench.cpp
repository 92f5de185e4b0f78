// The entry browser on a generated compressed log of a million entries, offscreen: time until
// the first rows are on screen and until every row is in, a filter change, scrolling (the
// longest single step), the longest pause of the event loop while the log is read, and the
// process's peak memory once the log is read and at the end; beside them the text export of
// the same file (what `qx7log text` does) for comparison.
// With --distinct-codes every entry has a code of its own (the code list's worst case); then
// opening the code list, and select-all and copy, are timed too.
// --limit-mib N limits the process's address space (RLIMIT_AS) once the log is generated.
//   gui_entry_browser_bench [--entries N] [--distinct-codes] [--limit-mib N]

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <utility>

#include "EventLoopPauseProbe.h"
#include "GeneratedLog.h"
#include "PeakMemory.h"
#include "core/app/QVJServToolApp.h"
#include "core/export/LogExport.h"
#include "core/log/LogOpening.h"
#include "core/log/QXLogFile.h"
#include "gui/app/DesktopOpener.h"
#include "gui/app/FileChooser.h"
#include "gui/app/PageContext.h"
#include "gui/app/ProgramStarter.h"
#include "gui/app/ToolSettings.h"
#include "gui/log/EntryBrowser.h"
#include "gui/log/EntryTableModel.h"
#include "loggen/Scenario.h"
#include "platform/SystemLocalTime.h"

namespace {

namespace fs = std::filesystem;

bool Generate(const std::string& path, std::uint32_t entries, bool distinctCodes) {
    qx7::loggen::ScenarioOptions options;
    options.seed = 7;
    options.entries = entries;
    options.distinctCodes = distinctCodes;
    options.start = 86400;
    options.futureEntries = false;
    return qx7::bench::GenerateLogInChild(path, options, qx7::loggen::LogForm::Compressed,
                                          qx7::bench::RingSize::kEveryEntryKept);
}

// Calls `painted` at the first paint event of the object it watches.
class FirstPaint final : public QObject {
  public:
    explicit FirstPaint(std::function<void()> painted) : painted_(std::move(painted)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && painted_) {
            std::exchange(painted_, nullptr)();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> painted_;
};

double TextExportSeconds(const std::string& path) {
    qx7::CollectingMessageSink sink;
    const qx7::SystemLocalTime clock;
    QElapsedTimer timer;
    timer.start();
    qx7::CQXLogFile reader(clock);
    const int kind = reader.Open(path);
    if (!(kind == 1 ? reader.OpenLogData() : kind == 0 && reader.OpenRawLog(path))) {
        return -1;
    }
    std::FILE* out = std::fopen("/dev/null", "wb");
    const qx7::LogTextContext context(qx7::kEnglish, clock);
    qx7::ExportText(reader, out, context, {});
    std::fclose(out);
    reader.Close();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    std::uint32_t entries = 1000000;
    bool distinctCodes = false;
    unsigned long limitMiB = 0;
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--entries") == 0 && k + 1 < argc) {
            entries = static_cast<std::uint32_t>(std::strtoul(argv[++k], nullptr, 10));
        } else if (std::strcmp(argv[k], "--distinct-codes") == 0) {
            distinctCodes = true;
        } else if (std::strcmp(argv[k], "--limit-mib") == 0 && k + 1 < argc) {
            limitMiB = std::strtoul(argv[++k], nullptr, 10);
        } else {
            std::fprintf(stderr, "usage: gui_entry_browser_bench [--entries N] [--distinct-codes] "
                                 "[--limit-mib N]\n");
            return 2;
        }
    }
    char pattern[] = "/tmp/qx7-browser-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string log = (fs::path(pattern) / "bench.zlg").string();
    if (!Generate(log, entries, distinctCodes)) {
        std::fprintf(stderr, "cannot generate %s\n", log.c_str());
        return 1;
    }
    if (limitMiB > 0) {
        const rlim_t bytes = static_cast<rlim_t>(limitMiB) << 20;
        const rlimit limit{bytes, bytes};
        if (setrlimit(RLIMIT_AS, &limit) != 0) {
            std::perror("setrlimit");
            return 1;
        }
    }
    const double exportSeconds = TextExportSeconds(log);

    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    qx7::CollectingMessageSink sink;
    qx7::CQVJServToolApp app(sink);
    app.Start("/usr/bin/qx7-service-tool", "qx7-service-tool", qx7::kEnglish);
    const qx7::SystemLocalTime clock;
    qx7::gui::QtFileChooser files;
    qx7::gui::QtDesktopOpener opener;
    qx7::gui::QtProgramStarter programs;
    qx7::gui::ToolSettings settings;
    const qx7::gui::PageContext context{app, files, opener, programs, settings, clock, {}};

    // The event loop's longest pause: a timer that should fire every 5 ms.
    qx7::bench::EventLoopPauseProbe probe(5);

    QElapsedTimer timer;
    timer.start();
    probe.Start();
    qx7::gui::EntryBrowser browser(context, log, nullptr);
    // The first rows on screen: the table's first paint once they are there has run its
    // course (a zero timer fires once the event loop is back); and how many rows there were.
    double firstRows = 0;
    int rowsFirstShown = 0;
    FirstPaint firstPaint([&] {
        QTimer::singleShot(0, [&] {
            firstRows = static_cast<double>(timer.nsecsElapsed()) / 1e9;
            rowsFirstShown = browser.Model()->rowCount();
        });
    });
    QObject::connect(&browser, &qx7::gui::EntryBrowser::rowsShown,
                     [&] { browser.Table()->viewport()->installEventFilter(&firstPaint); });
    browser.show();
    while (!browser.IsLoaded() || firstRows == 0) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    browser.Table()->viewport()->repaint();
    const double allRows = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    const double loadPause = static_cast<double>(probe.StopNs()) / 1e6;
    const double loadedPeak = static_cast<double>(qx7::bench::OwnPeakKiB()) / 1024.0;

    // A filter change: errors only, then everything again; the longer of the two.
    double filter = 0;
    for (const char* name : {"warnings", "information"}) {
        timer.restart();
        browser.findChild<QCheckBox*>(name)->setChecked(false);
        browser.Table()->viewport()->repaint();
        filter = std::max(filter, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    for (const char* name : {"warnings", "information"}) {
        timer.restart();
        browser.findChild<QCheckBox*>(name)->setChecked(true);
        browser.Table()->viewport()->repaint();
        filter = std::max(filter, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }

    // Scrolling: page steps from the top, then jumps anywhere; each step painted at once.
    QScrollBar* bar = browser.Table()->verticalScrollBar();
    double longestStep = 0;
    double totalSteps = 0;
    int steps = 0;
    std::mt19937 random(3);
    for (int k = 0; k < 400; ++k) {
        const int value =
            k < 200 ? std::min(bar->maximum(), k * bar->pageStep())
                    : static_cast<int>(random() % static_cast<unsigned>(bar->maximum() + 1));
        timer.restart();
        bar->setValue(value);
        browser.Table()->viewport()->repaint();
        const double step = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        longestStep = std::max(longestStep, step);
        totalSteps += step;
        ++steps;
    }

    // The code list opened (and closed), and a copy of every row (the first 100,000 go).
    QComboBox* codes = browser.findChild<QComboBox*>("codes");
    timer.restart();
    codes->showPopup();
    QCoreApplication::processEvents();
    const double openCodes = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    codes->hidePopup();
    timer.restart();
    browser.Table()->selectAll();
    browser.CopySelectedRows();
    const double copyAll = static_cast<double>(timer.nsecsElapsed()) / 1e6;

    std::printf("log: %s, %zu rows shown of %u entries, %d codes\n", log.c_str(),
                static_cast<std::size_t>(browser.Model()->rowCount()), entries,
                codes->count() - 1);
    std::printf("text export of the same file (qx7log text's work): %.2f s\n", exportSeconds);
    std::printf("first rows on screen: %.3f s, %d rows (aim: 0.15 s)\n", firstRows,
                rowsFirstShown);
    std::printf("every row in: %.3f s\n", allRows);
    std::printf("longest event-loop pause while reading: %.1f ms\n", loadPause);
    std::printf("filter change, longest of four: %.1f ms (aim: 300 ms)\n", filter);
    std::printf("scrolling, %d steps: longest %.1f ms, average %.2f ms (aim: 50 ms)\n", steps,
                longestStep, totalSteps / steps);
    std::printf("opening the code list: %.1f ms\n", openCodes);
    std::printf("select all and copy: %.1f ms\n", copyAll);
    std::printf("peak memory once the log is read: %.1f MiB (aim: 100 MiB)\n", loadedPeak);
    std::printf("peak memory of the process: %.1f MiB (aim: 150 MiB)\n",
                static_cast<double>(qx7::bench::OwnPeakKiB()) / 1024.0);
    browser.reject();
    fs::remove_all(pattern);
    return 0;
}
