// qx7log entries: the browser's filtered view from the command line, as a user runs it.

#include <gtest/gtest.h>

#include <sstream>

#include "loggen/LogBuilder.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

using qx7::loggen::ContainerBuilder;
using qx7::loggen::EntrySpec;
using qx7::loggen::Ring;
using qx7::test::ProgramResult;
using qx7::test::TempDir;

ProgramResult Qx7log(const std::vector<std::string>& args, const std::string& zone = "Asia/Tokyo") {
    return qx7::test::RunProgram(
        QX7LOG_PATH, args, {{"TZ", zone}, {"LANG", "C"}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}});
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

class EntriesCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Every type, a temperature warning with its parameter, codes repeated a day apart.
        Ring ring(4096);
        for (std::uint32_t i = 0; i < 40; ++i) {
            const std::uint32_t time = 480000000 + i * 43200;  // from 2015-03-18 13:20 UTC
            const std::uint32_t type = i % 8;
            const std::uint32_t code = i % 4 == 0 ? 0x00001060 : 0x00010000;
            ring.Write(EntrySpec{time, 0, type, 0, code,
                                 code == 0x00001060 ? qx7::loggen::WordParams({150 + i})
                                                    : std::vector<unsigned char>{}});
        }
        const std::string plain = ContainerBuilder().LogData(ring).End().Plain();
        log = dir.File("p1.zlg");
        ASSERT_TRUE(qx7::loggen::WriteBytes(log, qx7::loggen::Compress(plain)));
    }

    // The text export's entry lines for the types.
    std::vector<std::string> TextLines(const std::string& types) {
        const ProgramResult text = Qx7log({"text", log, "-o", "-", "--types", types});
        EXPECT_EQ(text.exitCode, 0) << text.err;
        std::vector<std::string> lines = Lines(text.out);
        lines.erase(lines.begin(), lines.begin() + 2);
        return lines;
    }

    TempDir dir;
    std::string log;
};

TEST_F(EntriesCommandTest, PrintsTheTextExportsLinesForTheSameTypes) {
    for (const std::string types : {"ewi", "e", "wi", ""}) {
        const ProgramResult entries = Qx7log({"entries", log, "--types", types});
        EXPECT_EQ(entries.exitCode, 0) << entries.err;
        EXPECT_EQ(entries.out.find('\r'), std::string::npos);
        EXPECT_EQ(Lines(entries.out), TextLines(types)) << types;
    }
}

TEST_F(EntriesCommandTest, FiltersByCodeTimeAndWords) {
    // Code 1060 on entries 0, 4, 8 ...; types 0 and 4 alternate there, so every other one is
    // information and shown, the others are type 0 and never are.
    const ProgramResult byCode = Qx7log({"entries", log, "--code", "00001060"});
    ASSERT_EQ(byCode.exitCode, 0) << byCode.err;
    const auto lines = Lines(byCode.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].substr(0, 8), "000004: ");
    EXPECT_NE(lines[0].find("[00001060] (INF)"), std::string::npos);

    // Entry 2 is at 2015-03-19 13:20 UTC, 22:20 in Tokyo; the date alone means its whole day.
    const ProgramResult byDay =
        Qx7log({"entries", log, "--from", "2015-03-19", "--to", "2015-03-19"});
    ASSERT_EQ(byDay.exitCode, 0) << byDay.err;
    const auto day = Lines(byDay.out);
    ASSERT_EQ(day.size(), 2u);  // entries 1 (10:20) and 2 (22:20), both of type 1..2
    EXPECT_EQ(day[0].substr(0, 28), "000001: 03/19/2015 10:20:00 ");
    EXPECT_EQ(day[1].substr(0, 28), "000002: 03/19/2015 22:20:00 ");
    const ProgramResult byUtc =
        Qx7log({"entries", log, "--from", "2015-03-19T13:20:00Z", "--to", "2015-03-19T13:20Z"});
    EXPECT_EQ(Lines(byUtc.out), std::vector<std::string>{day[1]});

    const ProgramResult byWords = Qx7log({"entries", log, "--grep", "LOWER TEMP"});
    ASSERT_EQ(byWords.exitCode, 0) << byWords.err;
    EXPECT_EQ(Lines(byWords.out), lines);
}

TEST_F(EntriesCommandTest, JsonLinesCarryTheRowsFields) {
    const ProgramResult json = Qx7log({"entries", log, "--json", "--types", "w"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto lines = Lines(json.out);
    ASSERT_EQ(lines.size(), 5u);  // types 3 at entries 3, 11, 19, 27, 35
    EXPECT_EQ(lines[0],
              "{\"number\":3,\"utc\":\"2015-03-20T01:20:00Z\",\"local\":\"2015-03-20T10:20:00\","
              "\"code\":\"00010000\",\"type\":\"WRN\",\"text\":\"Power ON\",\"parameters\":\"\"}");
}

TEST_F(EntriesCommandTest, BadInputIsAUsageErrorAndAMissingLogAFailure) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"entries", log, "--from", "2015-02-30"},
                                               {"entries", log, "--to", "yesterday"},
                                               {"entries", log, "--code", "xyz"},
                                               {"entries", log, "--types", "x"},
                                               {"--encoding", "CP932", "entries", log, "--json"}}) {
        const ProgramResult result = Qx7log(args);
        EXPECT_EQ(result.exitCode, 2) << args[2];
        EXPECT_TRUE(result.out.empty());
        EXPECT_FALSE(result.err.empty());
    }
    const ProgramResult missing = Qx7log({"entries", dir.File("none.zlg")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("none.zlg"), std::string::npos);
}

}  // namespace
