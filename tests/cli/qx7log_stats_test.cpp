// qx7log stats as a user runs it: real log files in, CSV files out.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "support/LogEntryBytes.h"
#include "support/TempDir.h"

namespace {

using qx7::test::EntryBytes;
using qx7::test::PrinterSeconds;

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

struct Outcome {
    int exitCode = -1;
    std::string errors;
};

Outcome RunStats(const qx7::test::TempDir& dir, const std::string& zone,
                 const std::vector<std::string>& args) {
    std::string command = "cd " + Quote(dir.Path().string()) + " && TZ=" + Quote(zone) + " " +
                          Quote(QX7LOG_PATH) + " --lang en stats";
    for (const auto& arg : args) {
        command += " " + Quote(arg);
    }
    command += " 2>" + Quote(dir.File("stderr.txt"));
    const int status = std::system(command.c_str());
    Outcome outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.errors = qx7::test::ReadFile(dir.File("stderr.txt"));
    return outcome;
}

// A job at 23:30 UTC on 2015-03-01 whose print ends 00:10 UTC the next day, then a power-on.
std::string MidnightLog() {
    const auto t = PrinterSeconds(2015, 3, 1, 23, 30);
    std::string name = std::string(4, '\0') + "Tee, \"A\"";
    name.resize(16, '\0');
    return "QX7LG1XX" + std::string(28, '0') + EntryBytes(t, 0x20000000) +
           EntryBytes(t + 1, 0x90080000, name) + EntryBytes(t + 60, 0x91000000) +
           EntryBytes(t + 2400, 0x91010000,
                      qx7::test::DotCountParams({2000000, 0, 0, 0, 0, 0, 0, 1000000})) +
           EntryBytes(t + 2 * 86400, 0x00010000);
}

const std::string kZeroTail =
    ",0,0,0,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,"
    "0.000000,0,0,0,0,0,0,1,0,0\r\n";

TEST(Qx7logStatsTest, DefaultNamesBesideTheLogAndDatesInTheLocalZone) {
    qx7::test::TempDir dir;
    qx7::test::WriteFile(dir.File("p1.log"), MidnightLog());
    // UTC: the print runs past midnight and counts on March 1st.
    auto outcome = RunStats(dir, "UTC", {"p1.log"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    const std::string dayHeaderEnd = "MntParts\r\n";
    std::string day = qx7::test::ReadFile(dir.File("p1_D.csv"));
    day = day.substr(day.find(dayHeaderEnd) + dayHeaderEnd.size());
    EXPECT_EQ(day,
              "3/1/2015,1,0,1,0.030000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,"
              "0.015000,0.030000,0.015000,0,0,0,0,0,1,0,0,0\r\n"
              "3/2/2015,0,0,0,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,"
              "0.000000,0.000000,0.000000,0,0,0,0,0,0,0,0,0\r\n"
              "3/3/2015" +
                  kZeroTail);
    std::string job = qx7::test::ReadFile(dir.File("p1_J.csv"));
    job = job.substr(job.find("ArpDate\r\n") + 9);
    EXPECT_EQ(job,
              "3/1/2015 23:30,\"Tee, \"\"A\"\"\",\"\",1,0:39:00,0:40:00,0,0,0,0,0:40:00,0,"
              "0.030000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.015000,"
              "0.030000,0.015000,,,1200,0,0,0,0,0,,0,0,0,0,\r\n");

    // Tokyo: everything happens on March 2nd and 4th (local), the job at 8:30.
    outcome = RunStats(dir, "Asia/Tokyo", {"p1.log", "--force"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    day = qx7::test::ReadFile(dir.File("p1_D.csv"));
    EXPECT_NE(day.find("\r\n3/2/2015,1,0,1,0.030000,"), std::string::npos);
    EXPECT_NE(day.find("\r\n3/4/2015" + kZeroTail), std::string::npos);
    EXPECT_NE(qx7::test::ReadFile(dir.File("p1_J.csv")).find("\r\n3/2/2015 8:30,"),
              std::string::npos);
}

TEST(Qx7logStatsTest, RangeNamesCommentSemicolonsAndExistingFiles) {
    qx7::test::TempDir dir;
    qx7::test::WriteFile(dir.File("p1.log"), MidnightLog());
    std::filesystem::create_directory(dir.File("out"));
    const std::vector<std::string> args = {"p1.log",   "--from",     "2015/3/3", "--to",
                                           "2015/3/3", "--folder",   "out",      "--comment",
                                           "shop, 1",  "--semicolon"};
    auto outcome = RunStats(dir, "UTC", args);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_EQ(qx7::test::ReadFile(dir.File("out/p1_D_2015_0303-2015_0303.csv")),
              "shop, 1\r\ndate;print;menu test print;print sum;inkK;inkM;inkC;inkY;inkW1;inkW2;"
              "inkW3;inkW4;inkCMYK;inkW;autopurge;purgeK;purgeM;purgeC;purgeY;Job;powerON;"
              "cancel;MntParts\r\n3/3/2015;0;0;0;0.000000;0.000000;0.000000;0.000000;0.000000;"
              "0.000000;0.000000;0.000000;0.000000;0.000000;0;0;0;0;0;0;1;0;0\r\n");
    const std::string job = qx7::test::ReadFile(dir.File("out/p1_J_2015_0303-2015_0303.csv"));
    EXPECT_EQ(job.substr(0, 20), "shop, 1\r\nclock;name;");
    EXPECT_EQ(job.find("\r\n", 10), job.size() - 2);  // header only: the job is outside

    // Run again: the files are kept without --force, and that is a failure for scripts.
    qx7::test::WriteFile(dir.File("out/p1_D_2015_0303-2015_0303.csv"), "mine");
    outcome = RunStats(dir, "UTC", args);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.errors.find("p1_D_2015_0303-2015_0303.csv exists; use --force to replace "
                                  "it\n"),
              std::string::npos)
        << outcome.errors;
    EXPECT_EQ(qx7::test::ReadFile(dir.File("out/p1_D_2015_0303-2015_0303.csv")), "mine");
    auto forced = args;
    forced.push_back("--force");
    EXPECT_EQ(RunStats(dir, "UTC", forced).exitCode, 0);
    EXPECT_NE(qx7::test::ReadFile(dir.File("out/p1_D_2015_0303-2015_0303.csv")), "mine");
}

TEST(Qx7logStatsTest, BadNamesAndUncreatableFilesReportTheirNumbers) {
    qx7::test::TempDir dir;
    qx7::test::WriteFile(dir.File("p1.log"), MidnightLog());
    auto outcome = RunStats(dir, "UTC", {"p1.log", "--day", "a|b.csv"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.errors.find("/a|b.csv access denied. (-60)"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.File("p1_J.csv")));  // the job file is still written

    outcome = RunStats(dir, "UTC", {"p1.log", "--job", "", "--force"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.errors.find("access denied. (-61)"), std::string::npos);

    qx7::test::WriteFile(dir.File("file"), "x");
    outcome = RunStats(dir, "UTC", {"p1.log", "--folder", dir.File("file")});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.errors.find(dir.File("file") + "/p1_D.csv access denied. (-62)"),
              std::string::npos);
    EXPECT_NE(outcome.errors.find(dir.File("file") + "/p1_J.csv access denied. (-63)"),
              std::string::npos);
}

TEST(Qx7logStatsTest, UsageErrors) {
    qx7::test::TempDir dir;
    qx7::test::WriteFile(dir.File("p1.log"), MidnightLog());
    EXPECT_EQ(RunStats(dir, "UTC", {"p1.log", "--from", "2015/3/1"}).exitCode, 2);
    EXPECT_EQ(RunStats(dir, "UTC", {"p1.log", "--from", "2015/3/1", "--to", "2015/13/1"}).exitCode,
              2);
    EXPECT_EQ(RunStats(dir, "UTC", {"p1.log", "--from", "2003/3/1", "--to", "2015/3/1"}).exitCode,
              2);
    // Both forms are dates, but not one mixing their separators, nor one with a time of day.
    EXPECT_EQ(RunStats(dir, "UTC", {"p1.log", "--from", "2015-3/1", "--to", "2015/3/1"}).exitCode,
              2);
    EXPECT_EQ(
        RunStats(dir, "UTC", {"p1.log", "--from", "2015/3/1 10:00", "--to", "2015/3/1"}).exitCode,
        2);
    EXPECT_EQ(RunStats(dir, "UTC", {"p1.log", "--encoding", "NO-SUCH-CODE"}).exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("p1_D.csv")));
}

TEST(Qx7logStatsTest, TheProgramsEncodingServesWhenTheCommandNamesNone) {
    qx7::test::TempDir dir;
    qx7::test::WriteFile(dir.File("p1.log"), MidnightLog());
    const std::string comment = "\xE3\x83\xAD\xE3\x82\xB0";  // "ログ"
    const std::string cp932 = "\x83\x8D\x83\x4F";
    // "qx7log --encoding CP932 stats" as "qx7log stats --encoding CP932".
    const std::string command = "cd " + Quote(dir.Path().string()) + " && TZ=UTC " +
                                Quote(QX7LOG_PATH) + " --encoding CP932 stats p1.log --comment " +
                                Quote(comment) + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string programWide = qx7::test::ReadFile(dir.File("p1_D.csv"));
    EXPECT_EQ(programWide.substr(0, cp932.size() + 2), cp932 + "\r\n");
    EXPECT_EQ(
        RunStats(dir, "UTC", {"p1.log", "--force", "--encoding", "CP932", "--comment", comment})
            .exitCode,
        0);
    EXPECT_EQ(qx7::test::ReadFile(dir.File("p1_D.csv")), programWide);
    // The command's own choice wins.
    EXPECT_EQ(RunStats(dir, "UTC", {"p1.log", "--force", "--comment", comment}).exitCode, 0);
    EXPECT_EQ(qx7::test::ReadFile(dir.File("p1_D.csv")).substr(0, comment.size() + 2),
              comment + "\r\n");
}

}  // namespace
