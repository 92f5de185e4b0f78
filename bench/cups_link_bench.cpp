// The printer link through CUPS against the simulator: one command end to end through a private
// scheduler, the queue's filter and the simulator as its backend, beside the same command on the
// spool stand-in (each the median of 20, with the link's real 500 ms poll interval); the listing
// with 50 queues; the scheduler's start-up. Needs root (the scheduler); says so and skips
// otherwise.
//
//   build/default/bin/cups_link_bench

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/comm/PrinterSession.h"
#include "platform/SystemLocalTime.h"
#include "platform/SystemSleeper.h"
#include "platform/cups/CupsSpooler.h"
#include "platform/posix/SpoolDirectory.h"
#include "support/ChildProcess.h"
#include "support/PrivateCupsd.h"
#include "support/TempDir.h"

namespace {

using namespace qx7;
using Clock = std::chrono::steady_clock;
using test::PrivateCupsd;

constexpr int kRounds = 20;

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool CanRun(benchmark::State& state) {
    const std::string skip = PrivateCupsd::SkipReason();
    if (!skip.empty()) {
        state.SkipWithError(skip.c_str());
        return false;
    }
    return true;
}

// The same command, kRounds times, on a session; the median in ms (or -1 when one failed).
double MedianCommand(PrinterSession& session, const std::string& printer) {
    session.SetSelectedPrinter(printer);
    std::vector<double> times;
    for (int i = 0; i < kRounds; ++i) {
        const auto start = Clock::now();
        if (!session.ResetTubeCleanWarning()) {
            return -1;
        }
        times.push_back(Milliseconds(Clock::now() - start));
    }
    return Median(times);
}

void BM_CommandThroughCupsAndStandIn(benchmark::State& state) {
    if (!CanRun(state)) {
        return;
    }
    PrivateCupsd cupsd;
    std::string error;
    if (!cupsd.Start(error) ||
        !cupsd.InstallQx7Programs(QX7_COMMAND_FILTER_PATH, QX7_PRINTER_SIM_PATH)) {
        state.SkipWithError(("scheduler: " + error).c_str());
        return;
    }
    const std::filesystem::path printerState = cupsd.PrinterStateFolder();
    if (!cupsd.AddQueue("qx7", "qx7sim://QX-7?state=" + printerState.string(),
                        PrivateCupsd::Qx7Ppd(), error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    test::TempDir spool;
    test::ChildProcess simulator(QX7_PRINTER_SIM_PATH,
                                 {"--spool", spool.Path().string(), "--name", "QX-7", "--quiet"},
                                 spool.File("sim.log"));
    test::WaitForPath(spool.File("QX-7.sock"));

    SystemSleeper sleeper;
    SystemLocalTime clock;
    CupsSpooler cups(cupsd.Socket());
    SpoolDirectory standIn(spool.Path().string());
    PrinterSession throughCups(cups, sleeper, clock);
    PrinterSession throughStandIn(standIn, sleeper, clock);
    for (auto _ : state) {
        const double cupsMs = MedianCommand(throughCups, "qx7");
        const double standInMs = MedianCommand(throughStandIn, "QX-7");
        if (cupsMs < 0 || standInMs < 0) {
            state.SkipWithError("a command failed");
            return;
        }
        state.counters["cups_median_ms"] = cupsMs;
        state.counters["stand_in_median_ms"] = standInMs;
        state.counters["difference_ms"] = cupsMs - standInMs;
    }
}
BENCHMARK(BM_CommandThroughCupsAndStandIn)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ListingWith50Queues(benchmark::State& state) {
    if (!CanRun(state)) {
        return;
    }
    PrivateCupsd cupsd;
    std::string error;
    if (!cupsd.Start(error) || !cupsd.InstallBackend("qx7port", "#!/bin/sh\nexit 0\n")) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (int i = 0; i < 50; ++i) {
        char name[16];
        std::snprintf(name, sizeof(name), "qx7-%02d", i);
        if (!cupsd.AddQueue(name, std::string("qx7port://QX-7/") + name, PrivateCupsd::Qx7Ppd(),
                            error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    SystemSleeper sleeper;
    SystemLocalTime clock;
    CupsSpooler cups(cupsd.Socket());
    PrinterSession session(cups, sleeper, clock);
    std::size_t listed = 0;
    for (auto _ : state) {
        std::vector<std::string> names;
        session.ListReadyPrinters(names);
        listed = names.size();
    }
    state.counters["listed"] = static_cast<double>(listed);
}
BENCHMARK(BM_ListingWith50Queues)->Unit(benchmark::kMillisecond);

void BM_SchedulerStartUp(benchmark::State& state) {
    if (!CanRun(state)) {
        return;
    }
    for (auto _ : state) {
        PrivateCupsd cupsd;
        std::string error;
        const auto start = Clock::now();
        if (!cupsd.Start(error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_SchedulerStartUp)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
