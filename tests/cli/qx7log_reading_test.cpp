// qx7log commands reading saved logs where users put them: one ".zlg" read by several processes
// at once, logs in folders nobody can write, things that are no log files, huge files and runs
// ended by signals. A compressed log is inflated into a private unnamed file: nothing appears
// beside the log or in the temporary folder, whatever happens.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <thread>

#include "loggen/Scenario.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using qx7::test::FileNames;
using qx7::test::ProgramResult;
using qx7::test::TempDir;

// Long enough for any machine; only a blocked or endless run ever reaches it.
constexpr auto kWatchdog = std::chrono::seconds(120);

// Every file of a folder with its bytes.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] = qx7::test::ReadFile(entry.path().string());
    }
    return files;
}

// A started qx7log with TMPDIR set, its standard output and error in one file.
class Started {
  public:
    Started(const std::vector<std::string>& args, const std::string& tmpdir,
            const std::string& outputFile) {
        std::vector<std::string> all = {QX7LOG_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, 1);
            ::dup2(fd, 2);
            ::setenv("TMPDIR", tmpdir.c_str(), 1);
            ::setenv("TZ", "UTC", 1);
            ::setenv("LANG", "C", 1);
            ::unsetenv("LC_ALL");
            ::unsetenv("LC_MESSAGES");
            ::execv(QX7LOG_PATH, argv.data());
            ::_exit(127);
        }
    }
    ~Started() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    // -1 once it has ended.
    pid_t Pid() const { return pid_; }
    void Signal(int signal) {
        if (pid_ > 0) {
            ::kill(pid_, signal);
        }
    }
    // Whether it has ended; `status` then holds its wait status.
    bool Ended(int& status) {
        if (pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            ended_ = status;
        }
        status = ended_;
        return pid_ <= 0;
    }
    // Waits for the end; the watchdog kills a run that never ends (-2).
    int Finish() {
        const auto deadline = std::chrono::steady_clock::now() + kWatchdog;
        int status = 0;
        while (!Ended(status)) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
                pid_ = -1;
                return -2;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = -1;
    int ended_ = 0;
};

// Runs one qx7log command to its end; exit code -2 when the watchdog had to kill it.
ProgramResult RunGuarded(const std::vector<std::string>& args, const std::string& tmpdir) {
    const TempDir capture;
    Started run(args, tmpdir, capture.File("output"));
    ProgramResult result;
    result.exitCode = run.Finish();
    result.err = qx7::test::ReadFile(capture.File("output"));
    return result;
}

class ReadingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        qx7::loggen::ScenarioOptions options;
        options.entries = 20000;
        options.seed = 7;
        log = logs.File("p1.zlg");
        ASSERT_TRUE(qx7::loggen::WriteBytes(
            log, qx7::loggen::GenerateLog(options, qx7::loggen::LogForm::Compressed)));
    }

    // Nothing but the log beside it, nothing in the temporary folder.
    void ExpectNothingLeft(const std::string& what) {
        EXPECT_EQ(FileNames(logs.Path()), std::vector<std::string>{"p1.zlg"}) << what;
        EXPECT_TRUE(fs::is_empty(temporaries.Path())) << what;
    }

    TempDir logs;
    TempDir temporaries;
    TempDir outputs;
    std::string log;
};

// One command's arguments for a log, writing any files into `folder`.
using CommandArgs = std::vector<std::string> (*)(const std::string& log, const std::string& folder);

const std::vector<std::pair<std::string, CommandArgs>> kCommands = {
    {"text",
     [](const std::string& log, const std::string&) {
         return std::vector<std::string>{"text", log, "-o", "-"};
     }},
    {"info",
     [](const std::string& log, const std::string&) {
         return std::vector<std::string>{"info", log};
     }},
    {"stats",
     [](const std::string& log, const std::string& folder) {
         return std::vector<std::string>{"stats", log, "--folder", folder};
     }},
    {"analyze",
     [](const std::string& log, const std::string&) {
         return std::vector<std::string>{"analyze", log, "--max", "all"};
     }},
    {"settings",
     [](const std::string& log, const std::string&) {
         return std::vector<std::string>{"settings", log, "--block", "8013", "--compare"};
     }},
};

// What a run produced: its output and the files it wrote.
struct Outcome {
    ProgramResult result;
    std::map<std::string, std::string> files;
};

Outcome RunInto(const std::vector<std::string>& args, const std::string& tmpdir,
                const TempDir& folder) {
    Outcome outcome;
    outcome.result = qx7::test::RunProgram(
        QX7LOG_PATH, args,
        {{"TMPDIR", tmpdir}, {"TZ", "UTC"}, {"LANG", "C"}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}});
    outcome.files = Contents(folder.Path());
    return outcome;
}

TEST_F(ReadingTest, EightProcessesOnOneCompressedLogAllGetTheRightOutput) {
    constexpr std::size_t kProcesses = 8;
    for (const auto& [name, args] : kCommands) {
        const TempDir alone;
        const Outcome expected =
            RunInto(args(log, alone.Path().string()), temporaries.Path().string(), alone);
        ASSERT_EQ(expected.result.exitCode, 0) << name << ": " << expected.result.err;
        ASSERT_FALSE(expected.result.out.empty() && expected.files.empty()) << name;

        std::vector<std::unique_ptr<TempDir>> folders;
        std::vector<Outcome> outcomes(kProcesses);
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < kProcesses; ++i) {
            folders.push_back(std::make_unique<TempDir>());
        }
        for (std::size_t i = 0; i < kProcesses; ++i) {
            threads.emplace_back([&, i] {
                outcomes[i] = RunInto(args(log, folders[i]->Path().string()),
                                      temporaries.Path().string(), *folders[i]);
            });
        }
        for (auto& thread : threads) {
            thread.join();
        }
        for (std::size_t i = 0; i < kProcesses; ++i) {
            EXPECT_EQ(outcomes[i].result.exitCode, 0)
                << name << " " << i << ": " << outcomes[i].result.err;
            EXPECT_EQ(outcomes[i].result.out, expected.result.out) << name << " " << i;
            EXPECT_EQ(outcomes[i].files, expected.files) << name << " " << i;
        }
        ExpectNothingLeft(name);
    }
}

TEST_F(ReadingTest, ACompressedLogInAFolderNobodyCanWriteIsRead) {
    // The log's folder made read-only; /proc/PID/fd/N also for root, who may write anywhere else.
    const int held = ::open(log.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    const std::string procPath =
        "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(held);
    fs::permissions(logs.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    for (const auto& [name, args] : kCommands) {
        const TempDir usual;
        const TempDir readOnly;
        const Outcome expected =
            RunInto(args(log, usual.Path().string()), temporaries.Path().string(), usual);
        const Outcome got = RunInto(args(procPath, readOnly.Path().string()),
                                    temporaries.Path().string(), readOnly);
        EXPECT_EQ(expected.result.exitCode, 0) << name << ": " << expected.result.err;
        EXPECT_EQ(got.result.exitCode, 0) << name << ": " << got.result.err;
        EXPECT_EQ(got.result.out, expected.result.out) << name;
        // The statistics files are named after the log: compare their contents only.
        std::vector<std::string> expectedFiles;
        std::vector<std::string> gotFiles;
        for (const auto& [file, bytes] : expected.files) {
            expectedFiles.push_back(bytes);
        }
        for (const auto& [file, bytes] : got.files) {
            gotFiles.push_back(bytes);
        }
        EXPECT_EQ(gotFiles, expectedFiles) << name;
    }
    ::close(held);
    fs::permissions(logs.Path(), fs::perms::owner_all);
    ExpectNothingLeft("read-only folder");
}

TEST_F(ReadingTest, WhatIsNoRegularFileIsRefusedAtOnce) {
    const std::string fifo = logs.File("fifo.zlg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = outputs.Path().string();
    for (const std::string& path : {fifo, std::string("/dev/zero"), logs.File("sub")}) {
        fs::create_directories(logs.File("sub"));
        const bool isFolder = path == logs.File("sub");
        const std::string cause =
            isFolder ? "is a folder, not a log file" : "is not a regular file";
        for (const char* command : {"text", "csv", "info", "analyze"}) {
            std::vector<std::string> args = {command, path};
            if (std::string(command) == "text" || std::string(command) == "csv") {
                args.insert(args.end(), {"-o", outputs.File("out")});
            }
            const ProgramResult result = RunGuarded(args, temporaries.Path().string());
            EXPECT_EQ(result.exitCode, 1) << command << " " << path << ": " << result.err;
            EXPECT_NE(result.err.find(path + ": "), std::string::npos) << command << " " << path;
            EXPECT_NE(result.err.find(cause), std::string::npos)
                << command << " " << path << ": " << result.err;
        }
        const ProgramResult settings = RunGuarded({"settings", path}, temporaries.Path().string());
        EXPECT_EQ(settings.exitCode, 1) << path << ": " << settings.err;
        EXPECT_NE(settings.err.find(path), std::string::npos) << settings.err;
        EXPECT_NE(settings.err.find(cause), std::string::npos) << settings.err;
        const ProgramResult stats =
            RunGuarded({"stats", path, "--folder", folder, "--force"}, temporaries.Path().string());
        EXPECT_EQ(stats.exitCode, 1) << path << ": " << stats.err;
        EXPECT_NE(stats.err.find(cause), std::string::npos) << stats.err;
        fs::remove_all(logs.File("sub"));
    }
    EXPECT_TRUE(fs::is_empty(temporaries.Path()));
}

TEST_F(ReadingTest, ABareLogOverTwoGiBIsReportedAsTooLarge) {
    // Sparse: it costs no disk.
    const std::string huge = logs.File("huge.bin");
    const int fd = ::open(huge.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(3ULL << 30)), 0);
    ::close(fd);
    for (const char* command : {"text", "csv", "analyze"}) {
        std::vector<std::string> args = {command, huge};
        if (std::string(command) != "analyze") {
            args.insert(args.end(), {"-o", outputs.File("out")});
        }
        const ProgramResult result = RunGuarded(args, temporaries.Path().string());
        EXPECT_EQ(result.exitCode, 1) << command;
        EXPECT_NE(result.err.find("is too large to be a log (over 2 GiB)"), std::string::npos)
            << command << ": " << result.err;
        EXPECT_EQ(result.err.find("holds no log entries"), std::string::npos) << result.err;
    }
}

// A compressed log whose container inflates to well over 100 MiB (a padding block of zeros),
// so that a run is still inflating when the signal comes.
void WriteLargeCompressedLog(const std::string& path) {
    qx7::loggen::ScenarioOptions options;
    options.entries = 2000;
    const std::string plain = qx7::loggen::GenerateLog(options, qx7::loggen::LogForm::Plain);
    ASSERT_TRUE(qx7::loggen::WriteBytes(path, "QX7LG1ZL"));
    gzFile out = gzopen(path.c_str(), "ab1");
    ASSERT_NE(out, nullptr);
    constexpr std::uint32_t kPadding = 160U << 20;
    const std::string zeros(1 << 20, '\0');
    const unsigned char blockHead[8] = {'P',
                                        'a',
                                        'd',
                                        'd',
                                        kPadding >> 24,
                                        (kPadding >> 16) & 0xFF,
                                        (kPadding >> 8) & 0xFF,
                                        kPadding & 0xFF};
    gzwrite(out, plain.data(), 36);
    gzwrite(out, blockHead, sizeof blockHead);
    for (std::size_t written = 0; written < kPadding; written += zeros.size()) {
        gzwrite(out, zeros.data(), static_cast<unsigned>(zeros.size()));
    }
    gzwrite(out, plain.data() + 36, static_cast<unsigned>(plain.size() - 36));
    ASSERT_EQ(gzclose(out), Z_OK);
}

// Whether the process has a file of `folder` open that holds at least `bytes` bytes.
bool HoldsFileIn(pid_t pid, const std::string& folder, off_t bytes) {
    std::error_code error;
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    for (const auto& entry : fs::directory_iterator(fds, error)) {
        const std::string target = fs::read_symlink(entry.path(), error).string();
        struct stat info {};
        if (!error && target.rfind(folder + "/", 0) == 0 &&
            ::stat(entry.path().c_str(), &info) == 0 && info.st_size >= bytes) {
            return true;
        }
    }
    return false;
}

TEST_F(ReadingTest, NothingOfARunStaysAfterASignal) {
    WriteLargeCompressedLog(log);
    const std::string tmpdir = fs::canonical(temporaries.Path()).string();
    for (const auto& [name, args] : kCommands) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
            const std::string what = name + " signal " + std::to_string(signal);
            const TempDir folder;
            Started run(args(log, folder.Path().string()), tmpdir, outputs.File("output"));
            // Wait until it is well into the inflation; anything appearing by name on the way
            // is a fault, and so is a run that ends before.
            const auto deadline = std::chrono::steady_clock::now() + kWatchdog;
            bool inflating = false;
            int status = 0;
            while (!inflating && !run.Ended(status) &&
                   std::chrono::steady_clock::now() < deadline) {
                inflating = HoldsFileIn(run.Pid(), tmpdir, 1 << 20);
                ASSERT_EQ(FileNames(logs.Path()), std::vector<std::string>{"p1.zlg"}) << what;
                ASSERT_TRUE(fs::is_empty(temporaries.Path())) << what;
            }
            EXPECT_TRUE(inflating) << what << ": the run was not seen inflating";
            run.Signal(signal);
            EXPECT_NE(run.Finish(), -2) << what;
            ExpectNothingLeft(what);
        }
    }
}

}  // namespace
