// Statistics over generated logs: loading the records, building days and jobs and writing both
// CSV files, as `qx7log stats` does. Reports time per run and the peak resident memory of one
// run (measured in a child process, so the generator's own memory does not count).

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "core/text/Messages.h"
#include "core/export/StatisticsChart.h"
#include "core/export/StatisticsFiles.h"
#include "loggen/Scenario.h"
#include "platform/SystemLocalTime.h"

namespace {

class NullSink final : public qx7::IMessageSink {
  public:
    void ShowOk(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return true; }
};

std::filesystem::path BenchFolder() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("statistics_bench." + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

// A plain log whose ring holds all `entries` generated entries.
std::string LogWithEntries(std::uint32_t entries) {
    static std::map<std::uint32_t, std::string> made;
    auto& path = made[entries];
    if (path.empty()) {
        qx7::loggen::ScenarioOptions options;
        options.entries = entries;
        options.ringWords =
            static_cast<std::uint32_t>(qx7::loggen::GenerateEntryWords(options).size()) + 64;
        path = (BenchFolder() / ("log" + std::to_string(entries) + ".log")).string();
        qx7::loggen::WriteBytes(path,
                                qx7::loggen::GenerateLog(options, qx7::loggen::LogForm::Plain));
    }
    return path;
}

struct RunResult {
    std::size_t records = 0;
    int written = 0;
};

RunResult RunStatistics(const std::string& logPath) {
    qx7::SystemLocalTime localTime;
    qx7::Utf8PassThrough encoder;
    NullSink sink;
    const qx7::Messages messages(qx7::kEnglish, sink);
    qx7::CLogList records;
    qx7::LoadStatisticsRecords(logPath, records, localTime);
    qx7::StatisticsOutputContext context{localTime, encoder, messages, qx7::LocalToday(localTime),
                                         [](const std::string&) { return true; }};
    qx7::StatisticsSaveRequest request;
    request.folder = BenchFolder().string();
    request.dayFileName = "bench_D.csv";
    request.jobFileName = "bench_J.csv";
    const auto result = qx7::SaveStatisticsFiles(records, request, context);
    return {records.GetCount(), result.started};
}

// Peak resident set of one run in a fresh child, in MiB.
double ChildPeakMiB(const std::string& logPath) {
    const pid_t child = ::fork();
    if (child == 0) {
        RunStatistics(logPath);
        std::_Exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void BM_Statistics(benchmark::State& state) {
    const auto entries = static_cast<std::uint32_t>(state.range(0));
    const std::string path = LogWithEntries(entries);
    RunResult result;
    for (auto _ : state) {
        result = RunStatistics(path);
        benchmark::DoNotOptimize(result);
    }
    state.counters["records"] = static_cast<double>(result.records);
    state.counters["file_MiB"] =
        static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
    // The children's peak is a high-water mark over all of them: measure the large run last.
    state.counters["peak_rss_MiB"] = ChildPeakMiB(path);
    state.counters["records_per_s"] = benchmark::Counter(
        static_cast<double>(result.records), benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_Statistics)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

// One update of the statistics dialog's chart: the days of the whole log from records already
// read (the dialog holds them), as each change of the range computes them anew.
void BM_ChartDays(benchmark::State& state) {
    const std::string path = LogWithEntries(static_cast<std::uint32_t>(state.range(0)));
    qx7::SystemLocalTime localTime;
    qx7::CLogList records;
    qx7::LoadStatisticsRecords(path, records, localTime);
    std::size_t days = 0;
    for (auto _ : state) {
        days = qx7::BuildChartDays(records, {}, localTime, qx7::LocalToday(localTime)).size();
        benchmark::DoNotOptimize(days);
    }
    state.counters["days"] = static_cast<double>(days);
}

BENCHMARK(BM_ChartDays)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code error;
    std::filesystem::remove_all(BenchFolder(), error);
    return 0;
}
