// Throughput of the log reader on generated logs: opening (scan and positioning) and delivering
// every entry, for plain and compressed containers of 100k and 1M entries.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>

#include "SilentSink.h"
#include "core/log/QXLogFile.h"
#include "loggen/Scenario.h"
#include "platform/SystemLocalTime.h"

namespace {

// Generated once per size and form, removed at exit.
const std::string& LogFile(std::uint32_t entries, bool compressed) {
    static std::map<std::pair<std::uint32_t, bool>, std::string> files;
    auto& path = files[{entries, compressed}];
    if (path.empty()) {
        const char* base = std::getenv("TMPDIR");
        path = std::string(base != nullptr ? base : "/tmp") + "/qx7bench-" +
               std::to_string(::getpid()) + "-" + std::to_string(entries) +
               (compressed ? ".zlg" : ".log");
        qx7::loggen::ScenarioOptions options;
        options.entries = entries;
        options.seed = 42;
        qx7::loggen::WriteBytes(
            path, qx7::loggen::GenerateLog(options, compressed ? qx7::loggen::LogForm::Compressed
                                                               : qx7::loggen::LogForm::Plain));
        static bool cleanup = [] {
            std::atexit([] {
                for (const auto& [key, file] : files) {
                    ::unlink(file.c_str());
                }
            });
            return true;
        }();
        (void)cleanup;
    }
    return path;
}

void ReadWholeLog(benchmark::State& state) {
    const auto entries = static_cast<std::uint32_t>(state.range(0));
    const bool compressed = state.range(1) != 0;
    const std::string& path = LogFile(entries, compressed);
    const qx7::SystemLocalTime clock;
    std::int64_t delivered = 0;
    for (auto _ : state) {
        qx7::CQXLogFile reader(clock);
        if (reader.Open(path) != 1 || !reader.OpenLogData()) {
            state.SkipWithError("cannot open the generated log");
            return;
        }
        qx7::CQXLogEntry entry;
        while (reader.ReadEntry(entry) == 1) {
            ++delivered;
        }
        reader.Close();
    }
    state.SetItemsProcessed(delivered);
    state.counters["entries"] =
        static_cast<double>(delivered) / static_cast<double>(state.iterations());
}

BENCHMARK(ReadWholeLog)
    ->ArgsProduct({{100000, 1000000}, {0, 1}})
    ->ArgNames({"entries", "compressed"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
