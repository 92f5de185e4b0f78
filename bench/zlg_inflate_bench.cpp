// How close reading a compressed log (".zlg") comes to `gzip -dc` of its gzip stream: the
// 1,000,000-entry log of `qx7-loggen --entries 1000000 --compressed` is generated once, then
// `gzip -dc` (its standard input the file past the 8-byte magic, its output /dev/null) and
// `qx7log text`, `qx7log csv` and `qx7log stats` run on it as programs, each timed by wall
// clock; the exports write a new file each time, synced to disk before it is published, as
// every export is. x_gzip is a program's time over gzip's in the same run; peak_MiB is its
// high-water resident size (VmHWM), read from /proc when the program is about to exit (it runs
// traced to stop it there). The label names the inflater (QX7_INFLATER=zlib chooses zlib).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "GeneratedLog.h"
#include "PeakMemory.h"
#include "core/log/LogDecompress.h"
#include "loggen/Scenario.h"

namespace {

namespace fs = std::filesystem;

fs::path gDirectory;
fs::path gMemoryDirectory;  // empty where there is no /dev/shm
std::string gLog;
double gGzipSeconds = 0;

struct Program {
    std::vector<std::string> args;
    bool gzipInput = false;  // standard input: the log past its magic
};

std::vector<char*> Argv(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    return argv;
}

// The child's side: standard input and output as the program needs them.
bool Redirect(const Program& program) {
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0 || ::dup2(null, STDOUT_FILENO) < 0) {
        return false;
    }
    if (program.gzipInput) {
        const int log = ::open(gLog.c_str(), O_RDONLY);
        if (log < 0 || ::lseek(log, 8, SEEK_SET) != 8 || ::dup2(log, STDIN_FILENO) < 0) {
            return false;
        }
    }
    return true;
}

// Runs the program to its end; false when it could not run or failed.
bool Run(Program program) {
    std::vector<char*> argv = Argv(program.args);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (Redirect(program)) {
            ::execvp(argv[0], argv.data());
        }
        ::_exit(127);
    }
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// The program's VmHWM in KiB when it exits, or -1.
long PeakKiBAtExit(Program program) {
    std::vector<char*> argv = Argv(program.args);
    const pid_t pid = ::fork();
    if (pid < 0) {
        return -1;
    }
    if (pid == 0) {
        if (!Redirect(program) || ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) {
            ::_exit(127);
        }
        ::raise(SIGSTOP);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    long peak = -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) {
        return -1;
    }
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr,
             reinterpret_cast<void*>(PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL));
    ::ptrace(PTRACE_CONT, pid, nullptr, nullptr);
    while (::waitpid(pid, &status, 0) == pid) {
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? peak : -1;
        }
        long deliver = 0;
        if ((status >> 8) == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
            peak = qx7::bench::PeakKiB(pid);
        } else if (WSTOPSIG(status) != SIGTRAP) {
            deliver = WSTOPSIG(status);
        }
        ::ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(deliver));
    }
    return -1;
}

std::string Qx7log() {
    return (fs::read_symlink("/proc/self/exe").parent_path() / "qx7log").string();
}

// "text" and "csv" write beside the log; "text-in-memory" and "csv-in-memory" into a folder in
// memory (/dev/shm), where the sync before publishing costs nothing: what is left is reading,
// inflating and formatting, as gzip's output to /dev/null is.
fs::path OutputPath(const std::string& what) {
    if (what.ends_with("-in-memory")) {
        return gMemoryDirectory / ("out." + what);
    }
    return gDirectory / ("out." + what);
}

Program Make(const std::string& what) {
    if (what == "gzip") {
        return {{"gzip", "-dc"}, true};
    }
    if (what == "stats") {
        return {{Qx7log(), "stats", gLog, "--folder", gDirectory.string(), "--force"}, false};
    }
    const std::string command = what.substr(0, what.find('-'));
    return {{Qx7log(), command, gLog, "-o", OutputPath(what).string(), "--force"}, false};
}

void BM_Program(benchmark::State& state, const std::string& what) {
    const Program program = Make(what);
    double seconds = 0;
    const fs::path output = OutputPath(what);
    for (auto _ : state) {
        // Each run writes a new file, as an export usually does: freeing the 57 MB of the run
        // before would be timed with it otherwise.
        std::error_code ignored;
        fs::remove(output, ignored);
        const auto start = std::chrono::steady_clock::now();
        if (!Run(program)) {
            state.SkipWithError((what + " failed").c_str());
            return;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        seconds += took.count();
        state.SetIterationTime(took.count());
    }
    const double mean = seconds / static_cast<double>(state.iterations());
    if (what == "gzip") {
        gGzipSeconds = mean;
    }
    if (gGzipSeconds > 0) {
        state.counters["x_gzip"] = mean / gGzipSeconds;
    }
    state.counters["peak_MiB"] = static_cast<double>(PeakKiBAtExit(program)) / 1024.0;
    state.SetLabel(what == "gzip" ? std::string("gzip") : std::string(qx7::InflaterName()));
}

}  // namespace

int main(int argc, char** argv) {
    char pattern[] = "/tmp/qx7-zlg-inflate-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    gDirectory = pattern;
    gLog = (gDirectory / "bench-1M.zlg").string();
    qx7::loggen::ScenarioOptions options;  // qx7-loggen's defaults
    options.entries = 1000000;
    if (!qx7::bench::GenerateLogInChild(gLog, options, qx7::loggen::LogForm::Compressed)) {
        std::fprintf(stderr, "cannot generate %s\n", gLog.c_str());
        return 1;
    }
    std::printf("Log: %.1f MiB compressed; inflater: %s\n",
                static_cast<double>(fs::file_size(gLog)) / (1 << 20),
                std::string(qx7::InflaterName()).c_str());
    char memoryPattern[] = "/dev/shm/qx7-zlg-inflate-bench-XXXXXX";
    std::vector<std::string> programs = {"gzip", "text", "csv", "stats"};
    if (mkdtemp(memoryPattern) != nullptr) {
        gMemoryDirectory = memoryPattern;
        programs.insert(programs.end(), {"text-in-memory", "csv-in-memory"});
    }
    // gzip first: the others are measured against it.
    for (const std::string& what : programs) {
        benchmark::RegisterBenchmark(("Zlg/" + what).c_str(), BM_Program, what)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->MinTime(2.0);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(gDirectory, ignored);
    if (!gMemoryDirectory.empty()) {
        fs::remove_all(gMemoryDirectory, ignored);
    }
    return 0;
}
