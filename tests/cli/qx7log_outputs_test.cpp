// qx7log's output files, standard output and signals, as a user meets them.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include "cli/common/StandardOutput.h"
#include "loggen/LogBuilder.h"
#include "loggen/Scenario.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/TerminalRun.h"

namespace {

namespace fs = std::filesystem;
using qx7::test::FileNames;
using qx7::test::ModeOf;
using qx7::test::ProgramResult;
using qx7::test::ReadFile;
using qx7::test::TempDir;
using qx7::test::WriteFile;

ProgramResult Qx7log(const std::vector<std::string>& args) {
    return qx7::test::RunProgram(QX7LOG_PATH, args, {{"TZ", "UTC"}, {"LANG", "C"}, {"LC_ALL", ""}});
}

// A generated log with entries, information and the six settings blocks.
std::string GeneratedLog(std::uint32_t entries) {
    qx7::loggen::ScenarioOptions options;
    options.entries = entries;
    return qx7::loggen::GenerateLog(options, qx7::loggen::LogForm::Plain);
}

// A program started with its standard output and error going to the given files.
class Started {
  public:
    Started(const std::vector<std::string>& args, const std::string& out, const std::string& err) {
        std::vector<char*> argv{const_cast<char*>(QX7LOG_PATH)};
        for (const auto& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(outFd, 1);
            ::dup2(errFd, 2);
            ::setenv("TZ", "UTC", 1);
            for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
                std::signal(signal, SIG_DFL);  // as a shell starts a command, whatever runs us
            }
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

    pid_t Pid() const { return pid_; }

    // The wait status, once the program ended (a generous deadline, never reached when it
    // works: a program that hangs fails the test instead of hanging it).
    int Wait() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        int status = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return status;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return -1;
    }

    // Whether the program holds a file of `folder` open (an unnamed one included) or has
    // ended; waits for one of the two.
    bool WaitForFileIn(const std::string& folder) {
        const std::string prefix = fs::canonical(folder).string() + "/";
        const std::string fds = "/proc/" + std::to_string(pid_) + "/fd";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            std::error_code error;
            for (const auto& fd : fs::directory_iterator(fds, error)) {
                std::error_code ignored;
                if (fs::read_symlink(fd.path(), ignored).string().rfind(prefix, 0) == 0) {
                    return true;
                }
            }
            if (error || ::waitpid(pid_, nullptr, WNOHANG) != 0) {
                return false;  // it ended (or is a zombie) before opening one
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

  private:
    pid_t pid_ = -1;
};

bool EndedBy(int status, int signal) {
    return WIFSIGNALED(status) && WTERMSIG(status) == signal;
}

class OutputsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        log = dir.File("p1.log");
        WriteFile(log, GeneratedLog(300));
    }

    TempDir dir;
    std::string log;
};

TEST_F(OutputsTest, TheLogBeingReadIsNeverAnOutputWhateverItsName) {
    const std::string original = ReadFile(log);
    const std::string linked = dir.File("linked.csv");
    ASSERT_EQ(::link(log.c_str(), linked.c_str()), 0);
    fs::create_symlink(log, dir.File("symlink.csv"));
    for (const std::string& alias : {log, linked, dir.File("symlink.csv")}) {
        SCOPED_TRACE(alias);
        const auto settings =
            Qx7log({"settings", log, "--block", "8011", "--csv", alias, "--force"});
        EXPECT_EQ(settings.exitCode, 1);
        EXPECT_EQ(settings.err,
                  "qx7log: " + alias + ": is the log being read; choose another output\n");
        const std::string name = fs::path(alias).filename().string();
        const auto stats = Qx7log({"stats", log, "--day", name, "--force"});
        EXPECT_EQ(stats.exitCode, 1);
        EXPECT_NE(stats.err.find(alias + ": is the log being read"), std::string::npos)
            << stats.err;
        const auto job = Qx7log({"stats", log, "--job", name, "--force"});
        EXPECT_EQ(job.exitCode, 1);
        EXPECT_EQ(ReadFile(log), original);
        EXPECT_TRUE(fs::is_symlink(dir.File("symlink.csv")));
    }
    // Nothing at all was written: the refusal comes before either file.
    EXPECT_EQ(FileNames(dir.Path()),
              (std::vector<std::string>{"linked.csv", "p1.log", "symlink.csv"}));
}

TEST_F(OutputsTest, StatisticsNeedTwoDifferentFiles) {
    auto same = Qx7log({"stats", log, "--day", "x.csv", "--job", "x.csv", "--force"});
    EXPECT_EQ(same.exitCode, 2);
    EXPECT_EQ(same.err,
              "qx7log stats: --day and --job name the same file: " + dir.File("x.csv") + "\n");
    WriteFile(dir.File("x.csv"), "day");
    ASSERT_EQ(::link(dir.File("x.csv").c_str(), dir.File("y.csv").c_str()), 0);
    EXPECT_EQ(Qx7log({"stats", log, "--day", "x.csv", "--job", "y.csv", "--force"}).exitCode, 2);
    fs::create_symlink(dir.File("x.csv"), dir.File("z.csv"));
    EXPECT_EQ(Qx7log({"stats", log, "--day", "z.csv", "--job", "x.csv", "--force"}).exitCode, 2);
    EXPECT_EQ(ReadFile(dir.File("x.csv")), "day");
    EXPECT_EQ(FileNames(dir.Path()),
              (std::vector<std::string>{"p1.log", "x.csv", "y.csv", "z.csv"}));
}

TEST_F(OutputsTest, OnlyRegularFilesAndLinksAreReplaced) {
    std::vector<std::string> specials = {dir.File("pipe")};
    ASSERT_EQ(::mkfifo(specials[0].c_str(), 0600), 0);
    if (::geteuid() == 0) {  // as root: a node like /dev/null itself
        specials.push_back(dir.File("null"));
        ASSERT_EQ(::mknod(specials[1].c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    }
    const std::string refusal =
        ": is not a regular file (a device, pipe or socket); only a regular file or a link is "
        "replaced";
    for (const std::string& special : specials) {
        SCOPED_TRACE(special);
        const std::string name = fs::path(special).filename().string();
        for (const char* command : {"text", "csv"}) {
            const auto run = Qx7log({command, log, "-o", special, "--force"});
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_NE(run.err.find(special + ": File I/O Error."), std::string::npos) << run.err;
            EXPECT_NE(run.err.find(refusal.substr(2)), std::string::npos) << run.err;
        }
        const auto settings =
            Qx7log({"settings", log, "--block", "8011", "--csv", special, "--force"});
        EXPECT_EQ(settings.exitCode, 1);
        EXPECT_EQ(settings.err, "qx7log: " + special + refusal + "\n");
        const auto stats = Qx7log({"stats", log, "--day", name, "--force"});
        EXPECT_EQ(stats.exitCode, 1);
        EXPECT_EQ(stats.err, "qx7log stats: " + special + refusal + "\n");
    }
    EXPECT_TRUE(fs::is_fifo(specials[0]));
    if (specials.size() > 1) {
        EXPECT_TRUE(fs::is_character_file(specials[1]));
    }
    EXPECT_EQ(FileNames(dir.Path()).size(), specials.size() + 1);
}

TEST_F(OutputsTest, ReplacedFilesKeepTheirPermissions) {
    const std::vector<std::vector<std::string>> runs = {
        {"text", log, "-o", dir.File("out.txt"), "--force"},
        {"csv", log, "-o", dir.File("out.csv"), "--force"},
        {"settings", log, "--block", "8011", "--csv", dir.File("block.csv"), "--force"},
        {"stats", log, "--force"},
    };
    for (const char* name : {"out.txt", "out.csv", "block.csv", "p1_D.csv", "p1_J.csv"}) {
        WriteFile(dir.File(name), "old");
        ASSERT_EQ(::chmod(dir.File(name).c_str(), 0600), 0);
    }
    for (const auto& args : runs) {
        const auto run = Qx7log(args);
        EXPECT_EQ(run.exitCode, 0) << args[0] << ": " << run.err;
    }
    for (const char* name : {"out.txt", "out.csv", "block.csv", "p1_D.csv", "p1_J.csv"}) {
        EXPECT_NE(ReadFile(dir.File(name)), "old") << name;
        EXPECT_EQ(ModeOf(dir.File(name)), 0600U) << name;
    }
}

TEST_F(OutputsTest, RacingExportsToOneNewFileWithoutForceLeaveOneWholeFile) {
    WriteFile(log, GeneratedLog(60000));
    const auto reference = Qx7log({"csv", log, "-o", "-"});
    ASSERT_EQ(reference.exitCode, 0);
    const std::string target = dir.File("race.csv");
    constexpr std::size_t kRuns = 8;
    std::vector<ProgramResult> results(kRuns);
    std::vector<std::thread> runs;
    for (std::size_t i = 0; i < kRuns; ++i) {
        runs.emplace_back([&, i] { results[i] = Qx7log({"csv", log, "-o", target}); });
    }
    for (auto& run : runs) {
        run.join();
    }
    std::size_t written = 0;
    for (const auto& result : results) {
        if (result.exitCode == 0) {
            ++written;
        } else {
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_EQ(result.err, "qx7log: " + target + " exists; use --force to replace it\n");
        }
    }
    EXPECT_EQ(written, 1U);
    EXPECT_EQ(ReadFile(target), reference.out);
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"p1.log", "race.csv"}));
}

TEST_F(OutputsTest, TheLongestValidNamesWork) {
    const std::string name = std::string(251, 'n') + ".csv";
    ASSERT_EQ(name.size(), 255U);
    const auto csv = Qx7log({"csv", log, "-o", dir.File(name)});
    EXPECT_EQ(csv.exitCode, 0) << csv.err;
    fs::create_directory(dir.File("stats"));
    const auto stats = Qx7log({"stats", log, "--folder", dir.File("stats"), "--day", name});
    EXPECT_EQ(stats.exitCode, 0) << stats.err;
    EXPECT_TRUE(fs::exists(dir.File("stats/" + name)));
    const auto settings = Qx7log({"settings", log, "--block", "8012", "--csv",
                                  dir.File("stats/" + std::string(251, 's') + ".csv")});
    EXPECT_EQ(settings.exitCode, 0) << settings.err;
}

TEST_F(OutputsTest, StatisticsOfALogThatCannotBeReadFailAndWriteNothing) {
    WriteFile(dir.File("broken.zlg"), "QX7LG1ZLthis is no gzip stream");
    fs::create_directory(dir.File("folder.log"));
    const struct {
        std::string log;
        std::string message;
    } cases[] = {
        {dir.File("missing.log"),
         "qx7log stats: cannot open " + dir.File("missing.log") + ": No such file or directory\n"},
        {dir.File("broken.zlg"),
         "qx7log stats: " + dir.File("broken.zlg") + ": the compressed data is damaged (-5)\n"},
        {dir.File("folder.log"),
         "qx7log stats: " + dir.File("folder.log") + ": is a folder, not a log file\n"},
    };
    for (const auto& c : cases) {
        const auto run = Qx7log({"stats", c.log, "--folder", dir.Path().string()});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, c.message);
    }
    if (::geteuid() != 0) {  // root reads whatever the mode says
        WriteFile(dir.File("locked.log"), ReadFile(log));
        ::chmod(dir.File("locked.log").c_str(), 0);
        const auto locked = Qx7log({"stats", dir.File("locked.log")});
        EXPECT_EQ(locked.exitCode, 1);
        EXPECT_EQ(locked.err,
                  "qx7log stats: cannot open " + dir.File("locked.log") + ": Permission denied\n");
        fs::remove(dir.File("locked.log"));
    }
    EXPECT_EQ(FileNames(dir.Path()),
              (std::vector<std::string>{"broken.zlg", "folder.log", "p1.log"}));

    // A log that can be read but holds no records is no failure: the files hold their headers.
    WriteFile(dir.File("empty.log"), "");
    EXPECT_EQ(Qx7log({"stats", dir.File("empty.log")}).exitCode, 0);
    EXPECT_EQ(ReadFile(dir.File("empty_D.csv")).substr(0, 11), "date,print,");
}

TEST_F(OutputsTest, SettingsOfAFolderFail) {
    const auto run = Qx7log({"settings", dir.Path().string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "qx7log: " + dir.Path().string() + ": is a folder, not a log file\n");
    EXPECT_EQ(run.out, "");
}

// Every command that writes to standard output says so when it cannot, and fails.
TEST_F(OutputsTest, AFullStandardOutputIsAFailureWithItsCause) {
    const std::vector<std::vector<std::string>> commands = {
        {"info", log},     {"analyze", log, "--analysis", "0", "--max", "all"},
        {"settings", log}, {"settings", log, "--block", "8011"},
        {"--help"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0] + (args.size() > 2 ? " " + args[2] : ""));
        {
            Started run(args, "/dev/full", dir.File("err"));
            const int status = run.Wait();
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        }
        EXPECT_EQ(ReadFile(dir.File("err")),
                  "qx7log: cannot write to standard output: No space left on device\n");
    }
    for (const char* command : {"text", "csv"}) {
        Started run({command, log, "-o", "-"}, "/dev/full", dir.File("err"));
        const int status = run.Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        EXPECT_NE(ReadFile(dir.File("err"))
                      .find("(cannot write to standard output: No space left on device)\n"),
                  std::string::npos)
            << ReadFile(dir.File("err"));
    }
}

// A log that is a pipe nobody writes to once held every command in its reading, after an
// export had opened its output: now each command refuses it at once, and the output folder
// stays as it was.
TEST_F(OutputsTest, APipeAsTheLogIsRefusedLeavingTheOutputsAsTheyWere) {
    const std::string pipe = dir.File("pipe.log");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_directory(dir.File("out"));
    const std::string existing = dir.File("out/existing.txt");
    WriteFile(existing, "before");
    const std::vector<std::vector<std::string>> commands = {
        {"text", pipe, "-o", existing, "--force"},
        {"csv", pipe, "-o", dir.File("out/new.csv")},
        {"info", pipe},
        {"analyze", pipe},
        {"settings", pipe},
        {"stats", pipe, "--folder", dir.File("out")},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0]);
        Started run(args, dir.File("stdout"), dir.File("stderr"));
        const int status = run.Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << ReadFile(dir.File("stderr"));
        EXPECT_NE(ReadFile(dir.File("stderr")).find("is not a regular file"), std::string::npos)
            << ReadFile(dir.File("stderr"));
        EXPECT_EQ(FileNames(dir.File("out")), std::vector<std::string>{"existing.txt"});
        EXPECT_EQ(ReadFile(existing), "before");
    }
}

// The same on a large log while the files are being written. Statistics write the day file
// first: a signal during the job file may find the day file written whole. A run that ends
// before the signal reaches it must have written its files whole.
TEST_F(OutputsTest, SignalsWhileWritingALargeLogLeaveTheFolderAsItWas) {
    const std::string big = dir.File("big.log");
    WriteFile(big, GeneratedLog(300000));
    fs::create_directory(dir.File("out"));
    const std::string existing = dir.File("out/existing.csv");
    const auto whole = [](const std::string& path) {
        const std::string bytes = ReadFile(path);
        return bytes.size() > 2 && bytes.substr(bytes.size() - 2) == "\r\n";
    };
    const std::vector<std::vector<std::string>> commands = {
        {"text", big, "-o", existing, "--force"},
        {"csv", big, "-o", existing, "--force"},
        {"stats", big, "--folder", dir.File("out"), "--job", "existing.csv", "--force"},
    };
    for (const auto& args : commands) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
            SCOPED_TRACE(args[0] + " " + std::to_string(signal));
            WriteFile(existing, "before");
            fs::remove(dir.File("out/big_D.csv"));
            Started run(args, dir.File("stdout"), dir.File("stderr"));
            const bool writing = run.WaitForFileIn(dir.File("out"));
            ::kill(run.Pid(), signal);
            const int status = run.Wait();
            if (writing && EndedBy(status, signal)) {
                EXPECT_EQ(ReadFile(existing), "before");
                auto names = FileNames(dir.File("out"));
                if (args[0] == "stats" && names.size() == 2) {
                    EXPECT_TRUE(whole(dir.File("out/big_D.csv")));
                    names.erase(names.begin());
                }
                EXPECT_EQ(names, std::vector<std::string>{"existing.csv"});
            } else {
                ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                    << status << ReadFile(dir.File("stderr"));
                EXPECT_TRUE(whole(existing));
            }
        }
    }
}

TEST(TerminalTextTest, ControlCharactersBecomeQuestionMarks) {
    using qx7::cli::ForTerminal;
    EXPECT_EQ(ForTerminal("tab\there\r\nline\n"), "tab\there\r\nline\n");
    EXPECT_EQ(ForTerminal("a\x1b[31mred\x1b]0;title\x07z"), "a?[31mred?]0;title?z");
    EXPECT_EQ(ForTerminal(std::string("nul\0del\x7f", 8)), "nul?del?");
    // C1 controls as UTF-8 (CSI is U+009B), and bytes that are not UTF-8 at all.
    EXPECT_EQ(ForTerminal("x\xc2\x9b"
                          "31my\xc2\x85"),
              "x?31my?");
    EXPECT_EQ(ForTerminal("raw \x9b"
                          "31m \xff \xc3"),
              "raw ?31m ? ?");
    EXPECT_EQ(ForTerminal("\xed\xa0\x80"), "???");  // a surrogate is not UTF-8
    // Text the log viewers show stays as it is.
    const std::string kept =
        "\xc2\xa0No\xc3\xa9 \xe9\x9b\xbb\xe6\xba\x90 25.0 \xe2\x84\x83 \xf0\x9f\x98\x80";
    EXPECT_EQ(ForTerminal(kept), kept);
}

// Information with escape sequences in its text blocks reaches a terminal without them, and
// a file byte for byte.
TEST_F(OutputsTest, InformationToATerminalHasNoEscapeSequences) {
    qx7::loggen::Ring ring(64);
    ring.Write(qx7::loggen::EntrySpec{100, 0, 4, 0, 0x00010000, {}});
    const std::string hostile = "PC\x1b]0;owned\x07\x1b[2J";
    WriteFile(log, qx7::loggen::ContainerBuilder()
                       .SavedAt("201403151345")
                       .TextBlock("PCDT", hostile)
                       .LogData(ring)
                       .End()
                       .Plain());
    const auto file = Qx7log({"info", log});
    ASSERT_EQ(file.exitCode, 0) << file.err;
    EXPECT_NE(file.out.find("PC Information :\t\t" + hostile + "\n"), std::string::npos);

    const qx7::test::TerminalRun run = qx7::test::RunOnTerminal(QX7LOG_PATH, {"info", log});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.shown.find('\x1b'), std::string::npos);
    EXPECT_NE(run.shown.find("PC Information :\t\tPC?]0;owned??[2J\n"), std::string::npos)
        << run.shown;
}

}  // namespace
