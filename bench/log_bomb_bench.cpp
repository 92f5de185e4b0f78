// Peak memory and time of the analysis, the statistics and the file information on
// decompression bombs: ".zlg" files of about 2 MB that inflate to the reader's limit of 1 GiB.
//   analyze: 67 million error entries, listed in full ("All"), newest first, to /dev/null;
//   stats:   one job of 33 million prints (67 million records), both CSV files written;
//   info:    a customer text of 1 GiB.
// Each run happens in a fresh child process (this program, started with --bomb-child), which
// reports its own high-water resident size (VmHWM) as peak_MiB.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "PeakMemory.h"
#include "core/text/Messages.h"
#include "core/base/TextEncoder.h"
#include "core/export/StatisticsFiles.h"
#include "core/log/LogAnalysis.h"
#include "core/log/LogFileInfo.h"
#include "core/log/QXLogFile.h"
#include "loggen/LogBomb.h"
#include "loggen/LogBuilder.h"
#include "platform/SystemLocalTime.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

class SilentSink final : public qx7::IMessageSink {
  public:
    void ShowOk(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return true; }
};

fs::path gDirectory;

constexpr std::uint32_t kTime = 478519200;  // 2015-03-01 10:00:00 UTC

std::string Entry(std::uint32_t code, std::uint32_t type) {
    return qx7::loggen::WordBytes(qx7::loggen::EntryWords({kTime, 0, type, 0, code, {}}));
}

// The bomb of a kind, made once.
const std::string& Bomb(const std::string& kind) {
    static std::map<std::string, std::string> made;
    std::string& path = made[kind];
    if (!path.empty()) {
        return path;
    }
    path = (gDirectory / (kind + ".zlg")).string();
    bool ok = false;
    if (kind == "analyze") {
        const std::string unit = Entry(0x00002070, 2);
        ok = qx7::loggen::WriteEntryBomb(
            path, "", unit,
            qx7::loggen::UnitsWithinInflationLimit(unit.size(), qx7::loggen::kEntryBombOverhead));
    } else if (kind == "stats") {
        const std::string lead = Entry(0x20000000, 4);
        const std::string unit = Entry(0x91000000, 4) + Entry(0x91010000, 4);
        ok = qx7::loggen::WriteEntryBomb(
            path, lead, unit,
            qx7::loggen::UnitsWithinInflationLimit(unit.size(),
                                                   qx7::loggen::kEntryBombOverhead + lead.size()));
    } else {
        ok = qx7::loggen::WriteTextBomb(path, "Cust",
                                        qx7::loggen::UnitsWithinInflationLimit(1, 36 + 8 + 8), 'A');
    }
    if (!ok) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    return path;
}

// One run of a kind in this process, as qx7log does it; false when it failed.
bool RunOnce(const std::string& kind, const std::string& path) {
    SilentSink sink;
    const qx7::Messages messages(qx7::kEnglish, sink);
    const qx7::SystemLocalTime clock;
    if (kind == "analyze") {
        std::FILE* out = std::fopen("/dev/null", "wb");
        const qx7::LogTextContext context(qx7::kEnglish, clock);
        const bool ok = out != nullptr &&
                        qx7::StreamLogAnalysis(path, qx7::LogAnalyses()[0], qx7::kNoLimit, nullptr,
                                               context, [&](std::string_view text) {
                                                   return std::fwrite(text.data(), 1, text.size(),
                                                                      out) == text.size();
                                               });
        if (out != nullptr) {
            std::fclose(out);
        }
        return ok;
    }
    if (kind == "stats") {
        qx7::Utf8PassThrough encoder;
        qx7::CLogList records;
        if (qx7::LoadStatisticsRecords(path, records, clock) != 0) {
            return false;
        }
        qx7::StatisticsOutputContext context{clock, encoder, messages, qx7::LocalToday(clock),
                                             [](const std::string&) { return true; }};
        qx7::StatisticsSaveRequest request;
        request.folder = gDirectory.string();
        request.dayFileName = "bomb_D.csv";
        request.jobFileName = "bomb_J.csv";
        return qx7::SaveStatisticsFiles(records, request, context).started == 2;
    }
    return !qx7::BuildLogFileInformation(path, clock).empty();
}

// Peak resident size in MiB of a child running one kind, or -1.
double ChildPeakMiB(const std::string& kind, const std::string& path) {
    std::string self = fs::read_symlink("/proc/self/exe").string();
    std::string flag = "--bomb-child";
    std::string kindArg = kind;
    std::string file = path;
    std::string folder = gDirectory.string();
    char* argv[] = {self.data(), flag.data(), kindArg.data(), file.data(), folder.data(), nullptr};
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

void BM_Bomb(benchmark::State& state, const std::string& kind) {
    const std::string& path = Bomb(kind);
    double peak = -1;
    for (auto _ : state) {
        peak = ChildPeakMiB(kind, path);
        if (peak < 0) {
            state.SkipWithError("the run failed");
            return;
        }
    }
    state.counters["peak_MiB"] = peak;
    state.counters["zlg_MiB"] = static_cast<double>(fs::file_size(path)) / (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--bomb-child") == 0) {
        gDirectory = argv[4];
        if (!RunOnce(argv[2], argv[3])) {
            return 1;
        }
        std::printf("%ld\n", qx7::bench::OwnPeakKiB());
        return 0;
    }
    char pattern[] = "/tmp/qx7-log-bomb-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    gDirectory = pattern;
    for (const char* kind : {"analyze", "stats", "info"}) {
        benchmark::RegisterBenchmark((std::string("Bomb/") + kind).c_str(), BM_Bomb,
                                     std::string(kind))
            ->Iterations(1)
            ->Unit(benchmark::kSecond)
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(gDirectory, ignored);
    return 0;
}
