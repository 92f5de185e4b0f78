// Throughput and peak memory of the text and CSV exports on generated logs of 100k and 1M
// entries, plain and compressed. Throughput is measured in this process with the output going
// to /dev/null. peak_MiB is the high-water resident size of a fresh child process that runs one
// export (this same program, started with --export-child); the kernel's rusage of a spawned
// child also counts the parent's pages before exec, so the child reads its own VmHWM. The logs
// are generated in a forked child so that this process stays small, and its own getrusage peak
// is printed at the end.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "GeneratedLog.h"
#include "PeakMemory.h"
#include "SilentSink.h"
#include "core/export/LogExport.h"
#include "core/log/QXLogFile.h"
#include "loggen/Scenario.h"
#include "platform/SystemLocalTime.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// One export of a log file to /dev/null; answers the entries read, or -1.
int ExportOnce(const std::string& path, bool csv) {
    const qx7::SystemLocalTime clock;
    qx7::CQXLogFile reader(clock);
    // As the programs read: a compressed log's entries are scanned while it inflates.
    reader.InflateWhileReading();
    const int kind = reader.Open(path);
    if (!(kind == 1 ? reader.OpenLogData() : kind == 0 && reader.OpenRawLog(path)) ||
        reader.FinishInflate() != 0) {
        return -1;
    }
    std::FILE* out = std::fopen("/dev/null", "wb");
    if (out == nullptr) {
        return -1;
    }
    const qx7::LogTextContext context(qx7::kEnglish, clock);
    qx7::ExportCounts counts;
    const int result = csv ? qx7::ExportCsv(reader, out, context, {}, &counts)
                           : qx7::ExportText(reader, out, context, {}, &counts);
    std::fclose(out);
    reader.Close();
    return result == qx7::kExportOk ? counts.entriesRead : -1;
}

// Peak resident size in MiB of a child process running one export.
double ChildPeakMiB(const std::string& path, bool csv) {
    std::string self = fs::read_symlink("/proc/self/exe").string();
    std::string flag = "--export-child";
    std::string kind = csv ? "csv" : "text";
    std::string file = path;
    char* argv[] = {self.data(), flag.data(), kind.data(), file.data(), nullptr};
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    char answer[64] = {};
    const ssize_t got = spawned == 0 ? read(pipeFds[0], answer, sizeof answer - 1) : -1;
    close(pipeFds[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0 || got <= 0) {
        return -1;
    }
    return static_cast<double>(std::strtol(answer, nullptr, 10)) / 1024.0;
}

fs::path gDirectory;

// The generated log for a size and form, made once.
const std::string& LogFile(std::uint32_t entries, bool compressed) {
    static std::map<std::pair<std::uint32_t, bool>, std::string> files;
    auto& path = files[{entries, compressed}];
    if (path.empty()) {
        qx7::loggen::ScenarioOptions options;
        options.seed = 7;
        options.entries = entries;
        options.start = 86400;  // 2000-01-02: a million entries stay in the past
        options.futureEntries = false;
        path = (gDirectory / ("bench-" + std::to_string(entries) + (compressed ? ".zlg" : ".log")))
                   .string();
        if (!qx7::bench::GenerateLogInChild(
                path, options,
                compressed ? qx7::loggen::LogForm::Compressed : qx7::loggen::LogForm::Plain,
                qx7::bench::RingSize::kEveryEntryKept)) {
            std::fprintf(stderr, "cannot generate %s\n", path.c_str());
            std::exit(1);
        }
    }
    return path;
}

void BM_Export(benchmark::State& state, bool csv, bool compressed) {
    const auto entries = static_cast<std::uint32_t>(state.range(0));
    const std::string& path = LogFile(entries, compressed);
    std::int64_t exported = 0;
    for (auto _ : state) {
        const int read = ExportOnce(path, csv);
        if (read < 0) {
            state.SkipWithError("export failed");
            return;
        }
        exported += read;
    }
    state.counters["entries/s"] =
        benchmark::Counter(static_cast<double>(exported), benchmark::Counter::kIsRate);
    state.counters["peak_MiB"] = ChildPeakMiB(path, csv);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--export-child") == 0) {
        if (ExportOnce(argv[3], std::strcmp(argv[2], "csv") == 0) < 0) {
            return 1;
        }
        std::printf("%ld\n", qx7::bench::OwnPeakKiB());
        return 0;
    }
    char pattern[] = "/tmp/qx7-log-export-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    gDirectory = pattern;
    for (const bool csv : {false, true}) {
        for (const bool compressed : {false, true}) {
            const std::string name = std::string("Export/") + (csv ? "csv" : "text") + "/" +
                                     (compressed ? "compressed" : "plain");
            benchmark::RegisterBenchmark(name.c_str(), BM_Export, csv, compressed)
                ->Arg(100000)
                ->Arg(1000000)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("Peak resident size of the benchmark process (getrusage): %.1f MiB\n",
                static_cast<double>(usage.ru_maxrss) / 1024.0);
    std::error_code ignored;
    fs::remove_all(gDirectory, ignored);
    return 0;
}
