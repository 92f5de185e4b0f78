// What qx7log tells a user: the cause of a failure they can act on, quiet ends where other
// command-line tools end quietly, and a word on standard error where an empty output would
// otherwise leave them guessing.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sstream>

#include "loggen/LogBuilder.h"
#include "loggen/Scenario.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/TerminalRun.h"

namespace {

namespace fs = std::filesystem;
using qx7::test::FileNames;
using qx7::test::ProgramResult;
using qx7::test::ReadFile;
using qx7::test::TempDir;
using qx7::test::WriteFile;

ProgramResult Qx7log(const std::vector<std::string>& args, const std::string& zone = "UTC") {
    return qx7::test::RunProgram(
        QX7LOG_PATH, args, {{"TZ", zone}, {"LANG", "C"}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}});
}

std::string GeneratedLog(std::uint32_t entries, qx7::loggen::LogForm form) {
    qx7::loggen::ScenarioOptions options;
    options.entries = entries;
    return qx7::loggen::GenerateLog(options, form);
}

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A qx7log run in a child prepared by `prepare` (after standard output and error are set up),
// its wait status and standard error.
struct ChildRun {
    int status = 0;
    std::string err;
};

ChildRun RunPrepared(const std::vector<std::string>& args, const std::string& errFile,
                     const std::function<void()>& prepare, const std::string& tmpdir = "") {
    std::vector<char*> argv{const_cast<char*>(QX7LOG_PATH)};
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int errFd = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(errFd, 2);
        ::setenv("TZ", "UTC", 1);
        ::setenv("LANG", "C", 1);
        ::unsetenv("LC_ALL");
        if (!tmpdir.empty()) {
            ::setenv("TMPDIR", tmpdir.c_str(), 1);
        }
        // As a shell starts a command, whatever the test runner holds off.
        std::signal(SIGPIPE, SIG_DFL);
        std::signal(SIGXFSZ, SIG_DFL);
        prepare();
        ::execv(QX7LOG_PATH, argv.data());
        ::_exit(127);
    }
    ChildRun run;
    ::waitpid(child, &run.status, 0);
    run.err = ReadFile(errFile);
    return run;
}

class MessagesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        log = dir.File("p1.log");
        WriteFile(log, GeneratedLog(2000, qx7::loggen::LogForm::Plain));
        zlg = dir.File("p1.zlg");
        WriteFile(zlg, GeneratedLog(2000, qx7::loggen::LogForm::Compressed));
    }

    TempDir dir;
    TempDir outputs;
    std::string log;
    std::string zlg;
};

TEST_F(MessagesTest, AMissingLogIsNamedWithTheSystemsCause) {
    const std::string missing = dir.File("missing.zlg");
    const std::vector<std::vector<std::string>> commands = {
        {"text", missing},
        {"csv", missing, "-o", "-"},
        {"info", missing},
        {"entries", missing},
        {"analyze", missing},
        {"settings", missing},
        {"stats", missing, "--folder", outputs.Path().string()}};
    for (const auto& args : commands) {
        const ProgramResult run = Qx7log(args);
        const std::string prefix = args[0] == "stats" ? "qx7log stats" : "qx7log";
        EXPECT_EQ(run.exitCode, 1) << args[0];
        EXPECT_EQ(run.err, prefix + ": cannot open " + missing + ": No such file or directory\n")
            << args[0];
        EXPECT_EQ(run.out, "") << args[0];
    }
    EXPECT_TRUE(FileNames(outputs.Path()).empty());
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"p1.log", "p1.zlg"}));
}

TEST_F(MessagesTest, AnExistingOutputIsKeptAndForceIsNamed) {
    const std::string text = outputs.File("out.txt");
    const std::string csv = outputs.File("out.csv");
    const std::string block = outputs.File("block.csv");
    for (const std::string& path : {text, csv, block, outputs.File("p1_D.csv")}) {
        WriteFile(path, "mine");
    }
    const std::vector<std::pair<std::vector<std::string>, std::string>> runs = {
        {{"text", log, "-o", text}, text},
        {{"csv", log, "-o", csv}, csv},
        {{"settings", log, "--block", "8011", "--csv", block}, block},
    };
    for (const auto& [args, path] : runs) {
        const ProgramResult run = Qx7log(args);
        EXPECT_EQ(run.exitCode, 1) << args[0];
        EXPECT_EQ(run.err, "qx7log: " + path + " exists; use --force to replace it\n");
        std::vector<std::string> japanese = args;
        japanese.insert(japanese.begin(), {"--lang", "ja"});
        EXPECT_EQ(Qx7log(japanese).err, "qx7log: " + path +
                                            " はすでに存在します。置き換えるには --force "
                                            "を付けてください\n");
        EXPECT_EQ(ReadFile(path), "mine");
    }
    // Statistics write the file that is new and keep the one that exists.
    const ProgramResult stats = Qx7log({"stats", log, "--folder", outputs.Path().string()});
    EXPECT_EQ(stats.exitCode, 1);
    EXPECT_EQ(stats.err,
              "qx7log stats: " + outputs.File("p1_D.csv") + " exists; use --force to replace it\n");
    EXPECT_EQ(ReadFile(outputs.File("p1_D.csv")), "mine");
    EXPECT_TRUE(fs::exists(outputs.File("p1_J.csv")));
    // --force replaces, on every command that writes a file.
    for (auto [args, path] : runs) {
        args.push_back("--force");
        EXPECT_EQ(Qx7log(args).exitCode, 0) << args[0];
        EXPECT_NE(ReadFile(path), "mine");
    }
    EXPECT_EQ(Qx7log({"stats", log, "--folder", outputs.Path().string(), "--force"}).exitCode, 0);
    EXPECT_NE(ReadFile(outputs.File("p1_D.csv")), "mine");
}

// Standard output is a pipe whose reader has gone: the command ends by SIGPIPE without a
// word, as `cat` or `grep` do, and leaves no temporary behind.
TEST_F(MessagesTest, AClosedPipeEndsTheCommandQuietlyBySigpipe) {
    const TempDir temporaries;
    const std::vector<std::vector<std::string>> commands = {
        {"text", zlg, "-o", "-"},
        {"csv", zlg, "-o", "-"},
        {"entries", zlg},
        {"entries", zlg, "--json"},
        {"analyze", zlg, "--max", "all"},
        {"info", zlg},
        {"settings", zlg},
        {"settings", zlg, "--block", "8011"},
        {"--help"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0] + (args.size() > 2 ? " " + args[2] : ""));
        // The reader is gone before the command starts.
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        ::close(pipeFds[0]);
        const ChildRun run = RunPrepared(
            args, dir.File("err"), [&] { ::dup2(pipeFds[1], 1); }, temporaries.Path().string());
        ::close(pipeFds[1]);
        EXPECT_TRUE(WIFSIGNALED(run.status) && WTERMSIG(run.status) == SIGPIPE) << run.status;
        EXPECT_EQ(run.err, "");
    }
    EXPECT_TRUE(fs::is_empty(temporaries.Path()));
}

TEST_F(MessagesTest, LangAndEncodingAreTakenAfterTheCommandToo) {
    const std::vector<std::vector<std::string>> pairs[] = {
        {{"--lang", "ja", "analyze", log}, {"analyze", log, "--lang", "ja"}},
        {{"--encoding", "CP932", "entries", log}, {"entries", log, "--encoding", "CP932"}},
        {{"--lang", "ja", "--encoding", "CP932", "text", log, "-o", "-"},
         {"text", log, "-o", "-", "--encoding", "CP932", "--lang", "ja"}},
    };
    for (const auto& pair : pairs) {
        const ProgramResult before = Qx7log(pair[0]);
        const ProgramResult after = Qx7log(pair[1]);
        const ProgramResult plain =
            Qx7log(std::vector<std::string>(pair[1].begin(), pair[1].end() - 2));
        ASSERT_EQ(before.exitCode, 0) << before.err;
        EXPECT_EQ(after.exitCode, 0) << pair[1][0] << ": " << after.err;
        EXPECT_EQ(after.out, before.out) << pair[1][0];
        EXPECT_NE(after.out, plain.out) << pair[1][0] << ": the option changed nothing";
    }
}

TEST_F(MessagesTest, StatsAndEntriesTakeBothDateForms) {
    const std::string range = "_2014_0301-2014_0331.csv";
    const std::string folder = outputs.Path().string();
    const ProgramResult slashes =
        Qx7log({"stats", log, "--folder", folder, "--from", "2014/3/1", "--to", "2014/3/31"});
    ASSERT_EQ(slashes.exitCode, 0) << slashes.err;
    const std::string day = ReadFile(outputs.File("p1_D" + range));
    const std::string job = ReadFile(outputs.File("p1_J" + range));
    const ProgramResult iso = Qx7log({"stats", log, "--folder", folder, "--from", "2014-03-01",
                                      "--to", "2014-03-31", "--force"});
    ASSERT_EQ(iso.exitCode, 0) << iso.err;
    EXPECT_EQ(ReadFile(outputs.File("p1_D" + range)), day);
    EXPECT_EQ(ReadFile(outputs.File("p1_J" + range)), job);
    // A range of days takes no time of day.
    EXPECT_EQ(Qx7log({"stats", log, "--from", "2014-03-01T10:00", "--to", "2014-03-31"}).exitCode,
              2);

    const ProgramResult isoEntries =
        Qx7log({"entries", log, "--from", "2014-03-20", "--to", "2014-03-21T12:00"});
    const ProgramResult slashEntries =
        Qx7log({"entries", log, "--from", "2014/3/20", "--to", "2014/03/21 12:00"});
    ASSERT_EQ(slashEntries.exitCode, 0) << slashEntries.err;
    EXPECT_GT(LineCount(isoEntries.out), 0U);
    EXPECT_EQ(slashEntries.out, isoEntries.out);
    EXPECT_LT(LineCount(isoEntries.out), LineCount(Qx7log({"entries", log}).out));
}

// The printer counts from 2000-01-01 UTC: an earlier start is the first entry, not "not a
// time", also for the first day of 2000 in a zone east of UTC.
TEST_F(MessagesTest, EntriesFromBefore2000StartAtTheFirstEntry) {
    const ProgramResult all = Qx7log({"entries", log}, "Asia/Tokyo");
    ASSERT_EQ(all.exitCode, 0);
    for (const char* from : {"1999-12-31", "1970-01-01T00:00:00Z", "2000-01-01", "1/1/1"}) {
        const ProgramResult run = Qx7log({"entries", log, "--from", from}, "Asia/Tokyo");
        EXPECT_EQ(run.exitCode, 0) << from << ": " << run.err;
        EXPECT_EQ(run.out, all.out) << from;
    }
    // A range wholly outside what a printer stamps selects nothing, and that is no failure.
    for (const auto& range : {std::vector<std::string>{"--to", "1999-12-31"},
                              std::vector<std::string>{"--from", "2200-01-01"}}) {
        std::vector<std::string> args = {"entries", log};
        args.insert(args.end(), range.begin(), range.end());
        const ProgramResult run = Qx7log(args, "Asia/Tokyo");
        EXPECT_EQ(run.exitCode, 0) << range[1] << ": " << run.err;
        EXPECT_EQ(run.out, "") << range[1];
    }
}

TEST_F(MessagesTest, EmptyInformationAndSettingsListingsSaySoAndSucceed) {
    const std::string bare = dir.File("bare.bin");
    WriteFile(bare, GeneratedLog(100, qx7::loggen::LogForm::Bare));
    const ProgramResult info = Qx7log({"info", bare});
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_EQ(info.out, "");
    EXPECT_EQ(info.err, "qx7log: " + bare + ": holds no file information\n");
    const ProgramResult settings = Qx7log({"settings", bare});
    EXPECT_EQ(settings.exitCode, 0);
    EXPECT_EQ(settings.out, "");
    EXPECT_EQ(settings.err, "qx7log: " + bare + ": holds no settings blocks\n");
    // A container without settings blocks is the same.
    qx7::loggen::Ring ring(64);
    ring.Write(qx7::loggen::EntrySpec{100, 0, 4, 0, 0x00010000, {}});
    const std::string noBlocks = dir.File("noblocks.log");
    WriteFile(noBlocks, qx7::loggen::ContainerBuilder().LogData(ring).End().Plain());
    EXPECT_EQ(Qx7log({"settings", noBlocks}).err,
              "qx7log: " + noBlocks + ": holds no settings blocks\n");
    // A log that has them says nothing on standard error.
    const ProgramResult full = Qx7log({"settings", log});
    EXPECT_EQ(full.err, "");
    EXPECT_EQ(LineCount(full.out), 6U);
    EXPECT_EQ(Qx7log({"info", log}).err, "");
}

// Log texts with a line feed, a carriage return and a terminal escape sequence.
class ControlBytesTest : public MessagesTest {
  protected:
    void SetUp() override {
        MessagesTest::SetUp();
        qx7::loggen::Ring ring(256);
        ring.Write({480000000, 0, 4, 0, 0x90080000,
                    qx7::loggen::TextParams("two\nlines\r\x1b[31mred\x1b[0m", 4)});
        ring.Write({480000001, 0, 4, 0, 0x90080000, qx7::loggen::TextParams("plain", 4)});
        hostile = dir.File("hostile.log");
        WriteFile(hostile, qx7::loggen::ContainerBuilder().LogData(ring).End().Plain());
    }
    std::string hostile;
};

TEST_F(ControlBytesTest, EveryEntryIsOneLineInAFileOrPipe) {
    const ProgramResult run = Qx7log({"entries", hostile});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(LineCount(run.out), 2U) << run.out;
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
    // Other control bytes reach a file as they are, as the information's do.
    EXPECT_NE(run.out.find("two?lines?\x1b[31mred\x1b[0m"), std::string::npos) << run.out;
    // JSON escapes them all.
    const ProgramResult json = Qx7log({"entries", hostile, "--json"});
    EXPECT_NE(json.out.find("two\\u000alines\\u000d\\u001b[31mred"), std::string::npos) << json.out;
}

TEST_F(ControlBytesTest, ATerminalGetsQuestionMarksForEveryControl) {
    const qx7::test::TerminalRun run = qx7::test::RunOnTerminal(QX7LOG_PATH, {"entries", hostile});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(LineCount(run.shown), 2U) << run.shown;
    EXPECT_EQ(run.shown.find('\x1b'), std::string::npos);
    EXPECT_EQ(run.shown.find('\r'), std::string::npos);
    EXPECT_NE(run.shown.find("two?lines??[31mred?[0m"), std::string::npos) << run.shown;
}

// Under a file-size limit (ulimit -f) a write fails with "File too large" and the command
// says so; the limit's signal would end it without a word (status 153 in a shell).
TEST_F(MessagesTest, AFileSizeLimitIsAWriteFailureWithItsCause) {
    const std::string big = dir.File("big.zlg");
    WriteFile(big, GeneratedLog(60000, qx7::loggen::LogForm::Compressed));
    const TempDir temporaries;
    const auto limited = [] {
        const rlimit limit{256 * 1024, 256 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
    const auto toNull = [limited] {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        limited();
    };
    const std::string folder = outputs.Path().string();
    const std::vector<std::vector<std::string>> commands = {
        {"text", big, "-o", outputs.File("big.txt")},
        {"csv", big, "-o", outputs.File("big.csv")},
        {"entries", big},
        {"stats", big, "--folder", folder},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0]);
        const ChildRun run =
            RunPrepared(args, dir.File("err"), toNull, temporaries.Path().string());
        EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 1) << run.status;
        EXPECT_EQ(run.err, (args[0] == "stats" ? "qx7log stats: " : "qx7log: ") + big +
                               ": cannot write the temporary file in " +
                               temporaries.Path().string() + ": File too large (-6)\n");
    }
    // The output itself over the limit: the file is not published.
    const std::string plainBig = dir.File("big.log");
    WriteFile(plainBig, GeneratedLog(20000, qx7::loggen::LogForm::Plain));
    const ChildRun text =
        RunPrepared({"text", plainBig, "-o", outputs.File("big.txt")}, dir.File("err"), toNull);
    EXPECT_TRUE(WIFEXITED(text.status) && WEXITSTATUS(text.status) == 1) << text.status;
    EXPECT_NE(text.err.find("(cannot write: File too large)"), std::string::npos) << text.err;
    const ChildRun toStdout = RunPrepared({"text", plainBig, "-o", "-"}, dir.File("err"), [&] {
        const int out = ::open(outputs.File("stdout").c_str(), O_WRONLY | O_CREAT, 0600);
        ::dup2(out, 1);
        limited();
    });
    EXPECT_TRUE(WIFEXITED(toStdout.status) && WEXITSTATUS(toStdout.status) == 1);
    EXPECT_NE(toStdout.err.find("cannot write to standard output: File too large"),
              std::string::npos)
        << toStdout.err;
    fs::remove(outputs.File("stdout"));
    EXPECT_TRUE(FileNames(outputs.Path()).empty());
    EXPECT_TRUE(fs::is_empty(temporaries.Path()));
}

// A full disk is a tiny tmpfs: it needs root and a system that lets the test mount one (CI
// runs as root; elsewhere the test says why it is skipped).
class FullDiskTest : public MessagesTest {
  protected:
    void SetUp() override {
        MessagesTest::SetUp();
        full = outputs.File("full");
        fs::create_directory(full);
        if (::geteuid() != 0 || ::mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k") != 0) {
            GTEST_SKIP() << "a full disk needs a small tmpfs: run as root where mount is allowed";
        }
        mounted = true;
        // Filled to the last block.
        const int fill = ::open((full + "/fill").c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fill, 0);
        const std::string block(4096, 'x');
        while (::write(fill, block.data(), block.size()) > 0) {
        }
        EXPECT_EQ(errno, ENOSPC);
        ::close(fill);
    }
    void TearDown() override {
        if (mounted) {
            ::umount(full.c_str());
        }
    }

    std::string full;
    bool mounted = false;
};

TEST_F(FullDiskTest, StatisticsAndSettingsNameTheFullDisk) {
    const std::vector<std::string> before = FileNames(full);
    const ProgramResult stats = Qx7log({"stats", log, "--folder", full});
    EXPECT_EQ(stats.exitCode, 1);
    EXPECT_EQ(stats.err, "qx7log stats: File I/O Error. Restart PC and try again. (-62)(" + full +
                             "/p1_D.csv: cannot write: No space left on device)\n"
                             "qx7log stats: File I/O Error. Restart PC and try again. (-63)(" +
                             full + "/p1_J.csv: cannot write: No space left on device)\n");
    const std::string block = full + "/block.csv";
    const ProgramResult settings = Qx7log({"settings", log, "--block", "8011", "--csv", block});
    EXPECT_EQ(settings.exitCode, 1);
    EXPECT_EQ(settings.err, "qx7log: File I/O Error. Restart PC and try again. (-125)(" + block +
                                ": cannot write: No space left on device)\n");
    const ProgramResult text = Qx7log({"text", log, "-o", full + "/p1.txt"});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_NE(text.err.find("(cannot write: No space left on device)"), std::string::npos);
    // Nothing partial was published.
    EXPECT_EQ(FileNames(full), before);
}

// A compressed log that holds only the 8-byte plain header exists: it is damaged, not missing.
TEST_F(MessagesTest, ACompressedLogOfAHeaderAloneIsDamagedNotMissing) {
    const std::string header = dir.File("header.zlg");
    WriteFile(header, qx7::loggen::Compress("QX7LG1XX"));
    const ProgramResult info = Qx7log({"info", header});
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_EQ(info.err, "qx7log: " + header +
                            ": is damaged: it ends within its header and holds no log entries\n");
    for (const char* command : {"entries", "analyze"}) {
        const ProgramResult run = Qx7log({command, header});
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_EQ(run.err, "qx7log: " + header + ": holds no log entries\n") << command;
    }
    const ProgramResult text = Qx7log({"text", header, "-o", "-"});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_EQ(text.err.find("No such file"), std::string::npos) << text.err;
}

}  // namespace
