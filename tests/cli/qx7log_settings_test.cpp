// qx7log settings, run as a user runs it, on logs assembled byte by byte.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "loggen/LogBuilder.h"
#include "support/TempDir.h"

namespace {

using qx7::test::ReadFile;
using qx7::test::TempDir;
using qx7::test::WriteFile;
using Data = std::vector<unsigned char>;

void AppendU32(Data& data, std::uint32_t value) {
    for (const int shift : {24, 16, 8, 0}) {
        data.push_back(static_cast<unsigned char>(value >> shift));
    }
}

// Block 0x8011 as a printer with the factory values holds it, LCD contrast replaced.
Data GeneralData(std::uint32_t contrast) {
    Data data;
    for (const std::uint32_t word : {contrast, 3U,    0U,    0U, 0U, 6U, 24U, 26U, 0U, 1U, 1U,
                                     12000U,   1000U, 3500U, 0U, 0U, 0U, 0U,  0U,  0U, 0U}) {
        AppendU32(data, word);
    }
    data.insert(data.end(), 4, 0xFF);  // ip address1..4
    AppendU32(data, 0xFFFFFF00U);      // subnet mask
    data.resize(qx7::loggen::SettingsDataBytes(0x8011), 0);
    return data;
}

Data Zeros(std::uint32_t blockId) {
    return Data(qx7::loggen::SettingsDataBytes(blockId), 0);
}

using qx7::loggen::SettingsRecord;

std::string Single(std::string_view tag, const std::string& record) {
    return qx7::loggen::ContainerBuilder().Block(tag, record).End().Plain();
}

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class SettingsCommandTest : public ::testing::Test {
  protected:
    Result Run(const std::string& arguments) {
        const std::string out = dir.File("stdout");
        const std::string err = dir.File("stderr");
        const std::string command = std::string(QX7LOG_PATH) + " --lang en settings " + arguments +
                                    " >" + out + " 2>" + err;
        const int status = std::system(command.c_str());
        Result result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadFile(out);
        result.err = ReadFile(err);
        return result;
    }
    std::string Log(const std::string& name, const std::string& bytes) {
        const std::string path = dir.File(name);
        WriteFile(path, bytes);
        return path;
    }
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    TempDir dir;
};

TEST_F(SettingsCommandTest, ListsTheBlocksInBlockOrderWhateverTheirFileOrder) {
    const std::string log = Log("p1.log", qx7::loggen::ContainerBuilder()
                                              .Block("EP15", SettingsRecord(Zeros(0x8015)))
                                              .TextBlock("Cust", "customer")
                                              .Block("EP12", "")  // empty: not listed
                                              .Block("EP11", SettingsRecord(GeneralData(3)))
                                              .Block("EP13", SettingsRecord(Data(128, 1)))
                                              .Block("EP16", SettingsRecord(Zeros(0x8016)))
                                              .End()
                                              .Plain());
    const Result result = Run(log);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "8011 : General parameters\n8013 : Serviceman parameters\n8015 : Interlace\n"
              "8016 : CR parameters(13ips)\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(SettingsCommandTest, CompressedLogsListTheirBlocksAndBareLogsNone) {
    const std::string plain =
        qx7::loggen::ContainerBuilder().Block("EP14", SettingsRecord(Zeros(0x8014))).End().Plain();
    const std::string zlg = Log("p1.zlg", qx7::loggen::Compress(plain));
    Result result = Run(zlg);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "8014 : Statistics parameters\n");

    result = Run(Log("bare.log", std::string(64, '\x11')));
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "");

    result = Run(dir.File("missing.log"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err, "");
}

TEST_F(SettingsCommandTest, RowsCarryTheMarkOnlyWhenComparing) {
    const std::string log = Log("p1.log", Single("EP11", SettingsRecord(GeneralData(5))));
    Result plain = Run(log + " --block 8011");
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    const std::vector<std::string> rows = Lines(plain.out);
    ASSERT_EQ(rows.size(), 57u);
    EXPECT_EQ(rows[0], "\t0\t0x0000\t4\t5\tLCD contrast      ");
    EXPECT_EQ(rows[21], "\t21\t0x0054\t1\t255\tip address1");
    EXPECT_EQ(rows[25], "\t25\t0x0058\t4\t0xFFFF FF00 \tsubnet mask");
    EXPECT_EQ(rows[56], "\t56\t0x00C8\t4\t0\treserve[25]");

    const Result compared = Run(log + " --block 0x8011 --compare");
    ASSERT_EQ(compared.exitCode, 0) << compared.err;
    const std::vector<std::string> marked = Lines(compared.out);
    ASSERT_EQ(marked.size(), 57u);
    for (std::size_t r = 0; r < marked.size(); ++r) {
        // Only the contrast (5, factory 3) and the subnet mask (factory 0xFFFFFFFF) differ.
        const bool differs = r == 0 || r == 25;
        EXPECT_EQ(marked[r], (differs ? "*" : "") + rows[r]) << r;
    }
}

TEST_F(SettingsCommandTest, ShortDataShowsZeroAndIsMarkedAgainstNonZeroDefaults) {
    Data data = GeneralData(3);
    data.resize(8);
    const std::string log = Log("p1.log", Single("EP11", SettingsRecord(data)));
    const Result result = Run(log + " --block 8011 --compare");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> rows = Lines(result.out);
    ASSERT_EQ(rows.size(), 57u);
    EXPECT_EQ(rows[1], "\t1\t0x0004\t4\t3\tSpeaker volume");
    EXPECT_EQ(rows[2], "\t2\t0x0008\t4\t0\tLanguage code");
    EXPECT_EQ(rows[5], "*\t5\t0x0014\t4\t0\tPrint direction");
    EXPECT_EQ(rows[25], "*\t25\t0x0058\t4\t0x0000 0000 \tsubnet mask");
}

TEST_F(SettingsCommandTest, BadRecordsAndMissingBlocksFail) {
    const std::string log = Log("p1.log", qx7::loggen::ContainerBuilder()
                                              .Block("EP11", SettingsRecord(GeneralData(3), 1))
                                              .Block("EP13", SettingsRecord({}, 0, 4))
                                              .End()
                                              .Plain());
    Result result = Run(log + " --block 8011");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("8011"), std::string::npos);

    result = Run(log + " --block 8012");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");

    result = Run(log + " --block 8017");
    EXPECT_EQ(result.exitCode, 2);

    result = Run(log + " --block 8013");  // length field disagrees with the record
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");

    // The list still names the blocks: the check happens when one is shown.
    result = Run(log);
    EXPECT_EQ(result.out, "8011 : General parameters\n8013 : Serviceman parameters\n");
}

TEST_F(SettingsCommandTest, CsvIsWrittenExactlyAndNeverOverwrittenWithoutForce) {
    const std::string log = Log("p1.log", Single("EP11", SettingsRecord(GeneralData(5))));
    const std::string csv = dir.File("EEPROM-8011.csv");
    Result result = Run(log + " --block 8011 --csv " + csv);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "");
    const std::string written = ReadFile(csv);
    const std::vector<std::string> lines = Lines(written);
    ASSERT_EQ(lines.size(), 58u);
    EXPECT_EQ(lines[0], "-3333,0x8011,\"QX7 EEPROM TEMPLATE\",0x20111007,\"General parameters\"\r");
    EXPECT_EQ(lines[1], "0,4,5,2,\"LCD contrast      \" \r");
    EXPECT_EQ(lines[26], "25,4,0xFFFFFF00,0,\"subnet mask\" \r");
    EXPECT_EQ(written.substr(written.size() - 4), "\" \r\n");

    WriteFile(csv, "mine");
    result = Run(log + " --block 8011 --csv " + csv);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(ReadFile(csv), "mine");
    result = Run(log + " --block 8011 --csv " + csv + " --force");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadFile(csv), written);

    WriteFile(dir.File("plain"), "");
    const std::string impossible = dir.File("plain") + "/x.csv";
    result = Run(log + " --block 8011 --csv " + impossible);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "qx7log: File I/O Error. Restart PC and try again. (-125)(" + impossible + ")\n");
}

}  // namespace
