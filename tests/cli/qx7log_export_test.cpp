// qx7log text and csv, run as a user would.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "loggen/LogBuilder.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using qx7::loggen::EntrySpec;
using qx7::test::FileNames;
using qx7::test::ReadFile;
using qx7::test::TempDir;

struct Result {
    int exit = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs qx7log with a clean language environment and the given zone.
Result Qx7log(const TempDir& dir, const std::vector<std::string>& args,
              const std::string& zone = "UTC", const std::string& lang = "C") {
    std::string command = "env -u LC_ALL -u LC_MESSAGES LANG=" + Quote(lang) +
                          " TZ=" + Quote(zone) + " " + Quote(QX7LOG_PATH);
    for (const auto& arg : args) {
        command += " " + Quote(arg);
    }
    const std::string out = dir.File(".stdout");
    const std::string err = dir.File(".stderr");
    command += " >" + Quote(out) + " 2>" + Quote(err);
    const int status = std::system(command.c_str());
    Result result;
    result.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    fs::remove(out);
    fs::remove(err);
    return result;
}

// Printer time of 2014-03-15 13:45:07 UTC.
constexpr std::uint32_t kMarch2014 = 448206307;

EntrySpec Entry(std::uint32_t time, std::uint32_t code, std::uint32_t type,
                std::vector<unsigned char> params = {}) {
    EntrySpec entry;
    entry.time = time;
    entry.code = code;
    entry.type = type;
    entry.params = std::move(params);
    return entry;
}

std::vector<EntrySpec> SampleEntries() {
    using qx7::loggen::TextParams;
    using qx7::loggen::WordParams;
    return {
        Entry(kMarch2014, 0x00010000, 4),
        Entry(kMarch2014 + 1, 0x00001060, 3, WordParams({250})),
        Entry(kMarch2014 + 2, 0x00006120, 1, WordParams({7, 0xFFFFFFFF})),
        Entry(kMarch2014 + 3, 0x90080000, 4, TextParams("Shirt", 4)),
        Entry(kMarch2014 + 4, 0x00007000, 6),
    };
}

std::string PlainLog(const std::vector<EntrySpec>& entries) {
    qx7::loggen::Ring ring(256);
    for (const auto& entry : entries) {
        ring.Write(entry);
    }
    return qx7::loggen::ContainerBuilder().SavedAt("201403151400").LogData(ring).End().Plain();
}

std::string WriteLog(const TempDir& dir, const std::string& name, const std::string& bytes) {
    const std::string path = dir.File(name);
    EXPECT_TRUE(qx7::loggen::WriteBytes(path, bytes));
    return path;
}

const std::string kTextHeader =
    "Log date in this file is based on UTC\r\n"
    "Number:    Date      Time     Code     (Type) Description   \r\n";

TEST(Qx7logExportTest, TextFileBesideTheLogByteForByte) {
    TempDir dir;
    const std::string log = WriteLog(dir, "p1.log", PlainLog(SampleEntries()));
    const Result run = Qx7log(dir, {"text", log});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string pad = std::string(127, ' ');
    auto line = [&](const std::string& first, const std::string& added) {
        return first + (added.empty() ? "" : pad.substr(first.size()) + added) + "\r\n";
    };
    EXPECT_EQ(ReadFile(log + ".txt"),
              kTextHeader +
                  line("000000: 03/15/2014 13:45:07 [00010000] (INF) \"Power ON\"", "") +
                  line("000001: 03/15/2014 13:45:08 [00001060] (WRN) \"Lower Temperature than "
                       "best print range\"", "[77 deg F]") +
                  line("000002: 03/15/2014 13:45:09 [00006120] (ERR) \"Abnormal Head Temp (K)\"",
                       "") +
                  line("000003: 03/15/2014 13:45:10 [90080000] (INF) \"Print Data Info: Job "
                       "Name\"", "\"Shirt\""));
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"p1.log", "p1.log.txt"}));

    // Raw words, only errors and warnings, to standard output.
    const Result ext = Qx7log(dir, {"text", log, "-o", "-", "--ext", "--types", "we"});
    ASSERT_EQ(ext.exit, 0) << ext.err;
    EXPECT_EQ(ext.out,
              kTextHeader +
                  line("000001: 03/15/2014 13:45:08 [00001060] (WRN) \"Lower Temperature than "
                       "best print range\"", " 000000FA") +
                  line("000002: 03/15/2014 13:45:09 [00006120] (ERR) \"Abnormal Head Temp (K)\"",
                       " 00000007 FFFFFFFF"));
}

TEST(Qx7logExportTest, CsvOfPlainAndCompressedLogsIsTheSameAndLeavesNoTemporaryFiles) {
    TempDir dir;
    const std::string plain = PlainLog(SampleEntries());
    const std::string log = WriteLog(dir, "p1.log", plain);
    const std::string zlg = WriteLog(dir, "p2.zlg", qx7::loggen::Compress(plain));
    ASSERT_EQ(Qx7log(dir, {"csv", log}).exit, 0);
    const Result compressed = Qx7log(dir, {"csv", zlg}, "Asia/Tokyo");
    ASSERT_EQ(compressed.exit, 0) << compressed.err;
    EXPECT_EQ(FileNames(dir.Path()),
              (std::vector<std::string>{"p1.csv", "p1.log", "p2.csv", "p2.zlg"}));
    EXPECT_EQ(ReadFile(dir.File("p1.csv")),
              "Log date in this file is based on UTC\r\n"
              "Number,Date,Time,Code,Type,Description,Param1,Param2,Param3,Param4,Param5,"
              "Param6,Param7,Param8,Param9,Param10,Param11,Param12\r\n"
              "000000,03/15/2014,13:45:07,0000,00,Power ON,,,,,,,,,,,,\r\n"
              "000001,03/15/2014,13:45:08,1060,00,Lower Temperature than best print range,250,"
              ",,,,,,,,,,\r\n"
              "000002,03/15/2014,13:45:09,6120,00,Abnormal Head Temp (K),7,-1,,,,,,,,,,\r\n"
              // "Shir", "t" and the terminating zero as words.
              "000003,03/15/2014,13:45:10,0000,00,Print Data Info: Job Name,0,1399351666,"
              "1946157056,,,,,,,,,\r\n"
              "000004,03/15/2014,13:45:11,7000,00,System Call Error,,,,,,,,,,,,\r\n");
    const std::string tokyo = ReadFile(dir.File("p2.csv"));
    EXPECT_EQ(tokyo.substr(0, 40), "Log date in this file is based on JST\r\nN");
    EXPECT_NE(tokyo.find("000000,03/15/2014,22:45:07,0000,00,Power ON,"), std::string::npos);
}

TEST(Qx7logExportTest, LanguageAndEncodingOfTheTexts) {
    TempDir dir;
    const std::string log = WriteLog(dir, "p.log", PlainLog(SampleEntries()));
    const Result ja = Qx7log(dir, {"--lang", "ja", "text", log, "-o", "-"});
    ASSERT_EQ(ja.exit, 0);
    EXPECT_NE(ja.out.find("(INF) \"電源オン\"\r\n"), std::string::npos);
    EXPECT_NE(ja.out.find("[25.0 \u2103]\r\n"), std::string::npos);
    // The environment's language when --lang is not given.
    const Result env = Qx7log(dir, {"text", log, "-o", "-"}, "UTC", "ja_JP.UTF-8");
    EXPECT_EQ(env.out, ja.out);
    const Result sjis =
        Qx7log(dir, {"--lang", "ja", "--encoding", "CP932", "text", log, "-o", "-"});
    ASSERT_EQ(sjis.exit, 0);
    EXPECT_NE(sjis.out.find("[25.0 \x81\x8E]\r\n"), std::string::npos);
    EXPECT_NE(sjis.out.find("\"\x93\x64\x8C\xB9\x83\x49\x83\x93\"\r\n"), std::string::npos);
    EXPECT_EQ(Qx7log(dir, {"--encoding", "NO-SUCH-CODE", "text", log, "-o", "-"}).exit, 2);
}

TEST(Qx7logExportTest, ExistingOutputsAreKeptUnlessForcedAndLinksAreReplacedNotFollowed) {
    TempDir dir;
    const std::string log = WriteLog(dir, "p.log", PlainLog(SampleEntries()));
    const std::string out = dir.File("p.log.txt");
    qx7::test::WriteFile(out, "keep me");
    const Result refused = Qx7log(dir, {"text", log});
    EXPECT_EQ(refused.exit, 1);
    EXPECT_EQ(ReadFile(out), "keep me");
    EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
    EXPECT_EQ(refused.err, "qx7log: " + out + " exists; use --force to replace it\n");

    ASSERT_EQ(Qx7log(dir, {"text", log, "--force"}).exit, 0);
    EXPECT_EQ(ReadFile(out).substr(0, kTextHeader.size()), kTextHeader);

    const std::string precious = dir.File("precious.txt");
    qx7::test::WriteFile(precious, "user data");
    fs::create_symlink(precious, dir.File("link.csv"));
    ASSERT_EQ(Qx7log(dir, {"csv", log, "-o", dir.File("link.csv"), "--force"}).exit, 0);
    EXPECT_EQ(ReadFile(precious), "user data");
    EXPECT_FALSE(fs::is_symlink(dir.File("link.csv")));

    // The log itself is never the output, even when forced.
    const std::string csvLog = WriteLog(dir, "a.csv", PlainLog(SampleEntries()));
    const Result self = Qx7log(dir, {"csv", csvLog, "--force"});
    EXPECT_EQ(self.exit, 1);
    EXPECT_EQ(ReadFile(csvLog), PlainLog(SampleEntries()));
}

TEST(Qx7logExportTest, FailuresGiveOneLineWithTheFileAndNumberAndLeaveNothingBehind) {
    TempDir dir;
    const std::string log = WriteLog(dir, "p.log", PlainLog(SampleEntries()));
    qx7::test::WriteFile(dir.File("plainfile"), "x");
    struct Case {
        std::vector<std::string> args;
        std::string file;
        std::string number;
    };
    const std::string empty = WriteLog(dir, "empty.log",
                                       qx7::loggen::ContainerBuilder().End().Plain());
    const std::string noEntries = WriteLog(dir, "zeros.log", std::string(64, '\0'));
    const std::string broken = WriteLog(dir, "broken.zlg", "QX7LG1ZLthis is no gzip stream");
    const Case cases[] = {
        {{"text", log, "-o", dir.File("plainfile/out.txt")}, dir.File("plainfile/out.txt"),
         "(-166)"},
        {{"csv", log, "-o", dir.File("plainfile/out.csv")}, dir.File("plainfile/out.csv"),
         "(-167)"},
        {{"csv", log, "-o", dir.Path().string(), "--force"}, dir.Path().string(), "(-167)"},
    };
    // A log that cannot be read is named with the cause alone, as every command names it.
    const struct {
        std::vector<std::string> args;
        std::string message;
    } logCases[] = {
        {{"text", dir.File("missing.log"), "-o", dir.File("o1.txt")},
         "qx7log: cannot open " + dir.File("missing.log") + ": No such file or directory\n"},
        {{"csv", empty, "-o", dir.File("o2.csv")}, "qx7log: " + empty + ": holds no log entries\n"},
        {{"text", noEntries, "-o", dir.File("o3.txt")},
         "qx7log: " + noEntries + ": holds no log entries\n"},
        {{"text", broken, "-o", dir.File("o4.txt")},
         "qx7log: " + broken + ": the compressed data is damaged (-5)\n"},
        {{"text", dir.Path().string(), "-o", dir.File("o5.txt")},
         "qx7log: " + dir.Path().string() + ": is a folder, not a log file\n"},
    };
    const auto before = FileNames(dir.Path());
    for (const Case& c : cases) {
        const Result run = Qx7log(dir, c.args);
        SCOPED_TRACE(c.args[1] + " " + run.err);
        EXPECT_EQ(run.exit, 1);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
        EXPECT_EQ(run.err.rfind("qx7log: " + c.file + ": File I/O Error. Restart PC and try "
                                "again. " + c.number + "(", 0), 0U);
        EXPECT_EQ(FileNames(dir.Path()), before);
    }
    for (const auto& c : logCases) {
        const Result run = Qx7log(dir, c.args);
        EXPECT_EQ(run.exit, 1) << c.args[1];
        EXPECT_EQ(run.err, c.message);
        EXPECT_EQ(FileNames(dir.Path()), before);
    }
}

TEST(Qx7logExportTest, ACompressedLogDamagedPastItsEntriesWritesNothing) {
    // The entries are read while the log inflates; damage found after them still fails the
    // export, and no output is left, with either inflater.
    TempDir dir;
    qx7::loggen::Ring ring(300000);
    for (std::uint32_t i = 0; i < 60000; ++i) {
        ring.Write(Entry(kMarch2014 + i, 0x00010000, 4));
    }
    const std::string zlg = qx7::loggen::Compress(
        qx7::loggen::ContainerBuilder().SavedAt("201403151400").LogData(ring).End().Plain());
    std::string badCheck = zlg;
    badCheck[badCheck.size() - 6] = static_cast<char>(badCheck[badCheck.size() - 6] ^ 0x01);
    const std::string broken = WriteLog(dir, "check.zlg", badCheck);
    const std::string cut = WriteLog(dir, "cut.zlg", zlg.substr(0, zlg.size() - 3));
    const auto before = FileNames(dir.Path());
    for (const std::string inflater : {"", "zlib"}) {
        const qx7::test::ScopedEnv chosen("QX7_INFLATER", inflater);
        for (const auto& [log, kind] : {std::pair{broken, "text"}, std::pair{cut, "csv"}}) {
            const Result run = Qx7log(dir, {kind, log, "-o", dir.File("out")});
            EXPECT_EQ(run.exit, 1) << log << inflater;
            EXPECT_EQ(run.err, "qx7log: " + log + ": the compressed data is damaged (-5)\n");
            EXPECT_EQ(FileNames(dir.Path()), before);
        }
    }
}

TEST(Qx7logExportTest, UsageErrors) {
    TempDir dir;
    const std::string log = WriteLog(dir, "p.log", PlainLog(SampleEntries()));
    EXPECT_EQ(Qx7log(dir, {"text"}).exit, 2);
    EXPECT_EQ(Qx7log(dir, {"text", log, "--types", "ex"}).exit, 2);
    EXPECT_EQ(Qx7log(dir, {"csv", log, "--ext"}).exit, 2);
    EXPECT_EQ(Qx7log(dir, {"--lang", "fr", "csv", log}).exit, 2);
    EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"p.log"});
    // An empty set is allowed: the text file then holds its two header lines.
    const Result none = Qx7log(dir, {"text", log, "--types", "", "-o", "-"});
    EXPECT_EQ(none.exit, 0);
    EXPECT_EQ(none.out, kTextHeader);
}

}  // namespace
