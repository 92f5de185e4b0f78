// qx7log info and analyze, run as a user would.

#include <gtest/gtest.h>

#include <filesystem>

#include "loggen/LogBuilder.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

using qx7::loggen::ContainerBuilder;
using qx7::loggen::EntrySpec;
using qx7::loggen::Ring;
using qx7::test::ProgramResult;
using qx7::test::TempDir;

// Runs qx7log with the given zone and language (LC_ALL and LC_MESSAGES emptied, so LANG rules).
ProgramResult Qx7log(const TempDir&, const std::vector<std::string>& args,
                     const std::string& zone = "UTC", const std::string& lang = "C") {
    return qx7::test::RunProgram(
        QX7LOG_PATH, args, {{"TZ", zone}, {"LANG", lang}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}});
}

class ViewCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Ring ring(256);
        ring.Write(EntrySpec{100, 0, 4, 0, 0x00010000, {}});
        ring.Write(EntrySpec{200, 0, 3, 0, 0x00001060, qx7::loggen::WordParams({250})});
        ring.Write(EntrySpec{300, 0, 1, 0, 0x00006160, {}});
        ring.Write(EntrySpec{400, 0, 2, 0, 0x00002070, {}});
        plain = ContainerBuilder()
                    .SavedAt("201403151345")
                    .TextBlock("PCDT", "SERVICE-PC")
                    .TextBlock("Prod", "QX730")
                    .LogData(ring)
                    .End()
                    .Plain();
        ASSERT_TRUE(qx7::loggen::WriteBytes(dir.File("p1.log"), plain));
        ASSERT_TRUE(qx7::loggen::WriteBytes(dir.File("p1.zlg"), qx7::loggen::Compress(plain)));
        ASSERT_TRUE(qx7::loggen::WriteBytes(dir.File("bare.bin"), ring.Bytes()));
    }

    TempDir dir;
    std::string plain;
};

TEST_F(ViewCommandsTest, InfoPrintsTheInformationWithLineFeeds) {
    for (const char* name : {"p1.log", "p1.zlg"}) {
        const auto result = Qx7log(dir, {"info", dir.File(name)});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out,
                  "PC Information :\t\tSERVICE-PC\nSaved Date (PC) :\t\t03/15/2014 13:45\n\n\n"
                  "\nProduct Number:\t\tQX730\n")
            << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("p1.zlg.qvl")));
}

TEST_F(ViewCommandsTest, InfoOfABareLogIsEmptyAndOfAMissingFileFails) {
    const auto bare = Qx7log(dir, {"info", dir.File("bare.bin")});
    EXPECT_EQ(bare.exitCode, 0);
    EXPECT_EQ(bare.out, "");
    const auto missing = Qx7log(dir, {"info", dir.File("none.log")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("none.log"), std::string::npos);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(Qx7log(dir, {"info", dir.Path().string()}).exitCode, 1);
}

TEST_F(ViewCommandsTest, AnalyzeListsErrorsNewestFirstByDefault) {
    const auto result = Qx7log(dir, {"analyze", dir.File("p1.zlg")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "000001: 01/01/2000 00:06:40 [00002070] (ERR) \"Obstruction sensed on the "
              "Platen\"\n"
              "000002: 01/01/2000 00:05:00 [00006160] (ERR) \"Thermistor Failure\"\n");
}

TEST_F(ViewCommandsTest, AnalyzeChoosesTheAnalysisAndTheLanguage) {
    const auto temperature = Qx7log(dir, {"analyze", dir.File("p1.log"), "--analysis", "4"},
                                    "Asia/Tokyo");
    EXPECT_EQ(temperature.exitCode, 0) << temperature.err;
    EXPECT_EQ(temperature.out.substr(0, 36), "000001: 01/01/2000 09:05:00 [0000616");
    EXPECT_NE(temperature.out.find("[77 deg F]\n"), std::string::npos);
    const auto japanese =
        Qx7log(dir, {"--lang", "ja", "analyze", dir.File("p1.log"), "--analysis", "4"});
    EXPECT_NE(japanese.out.find("[25.0 \xE2\x84\x83]\n"), std::string::npos) << japanese.out;
    const auto none = Qx7log(dir, {"analyze", dir.File("bare.bin"), "--analysis", "1"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "No data found.\n");
}

TEST_F(ViewCommandsTest, AnalyzeRejectsBadChoicesAndUnreadableFiles) {
    EXPECT_EQ(Qx7log(dir, {"analyze", dir.File("p1.log"), "--analysis", "8"}).exitCode, 2);
    EXPECT_EQ(Qx7log(dir, {"analyze", dir.File("p1.log"), "--max", "7"}).exitCode, 2);
    EXPECT_EQ(Qx7log(dir, {"analyze", dir.File("p1.log"), "--max", "ALL"}).exitCode, 0);
    const auto missing = Qx7log(dir, {"analyze", dir.File("none.log")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("none.log"), std::string::npos);
}

}  // namespace
