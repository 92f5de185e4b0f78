#include "core/settings/SettingsRows.h"

#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include "support/LimitedRun.h"
#endif
#include <optional>
#include <vector>

#include "core/base/ByteOrder.h"
#include "support/RecordingMessageSink.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using Bytes = std::vector<unsigned char>;

// The data of block 0x8011 as a printer holding the factory values stores it.
Bytes GeneralDefaults() {
    Bytes data(204, 0);
    const std::pair<std::size_t, std::uint32_t> words[] = {
        {0, 3}, {1, 3},  {5, 6},      {6, 24},    {7, 26},
        {9, 1}, {10, 1}, {11, 12000}, {12, 1000}, {13, 3500}};
    for (const auto& [row, value] : words) {
        WriteU32BE(data.data() + 4 * row, value);
    }
    for (std::size_t i = 84; i < 88; ++i) {
        data[i] = 0xFF;  // ip address1..4
    }
    WriteU32BE(data.data() + 88, 0xFFFFFFFFU);  // subnet mask
    return data;
}

class SettingsRowsTest : public ::testing::Test {
  protected:
    test::RecordingMessageSink sink;
    Messages messages{kEnglish, sink};
    CEEPFile values;
    CEEPFile factory;

    // The messages of a file's last operation, as its caller shows them.
    std::vector<std::string> Shown(const CEEPFile& file) {
        sink.shown.clear();
        file.Report().Show(messages);
        return sink.shown;
    }
};

TEST_F(SettingsRowsTest, FactoryValuesCarryNoMarkAndAChangedValueDoes) {
    Bytes data = GeneralDefaults();
    ASSERT_TRUE(values.LoadBlock(220, data.data(), data.size()));
    ASSERT_TRUE(factory.LoadTemplate(220));
    {
        SettingsRows rows(values, &factory);
        for (std::int32_t r = 0; r < rows.RowCount(); ++r) {
            EXPECT_FALSE(rows.Differs(r)) << r;
        }
    }
    WriteU32BE(data.data(), 5);  // LCD contrast 5
    ASSERT_TRUE(values.LoadBlock(220, data.data(), data.size()));
    SettingsRows rows(values, &factory);
    EXPECT_TRUE(rows.Differs(0));
    EXPECT_EQ(rows.ItemImage(0, kColumnNumber), kDiffersImage);
    EXPECT_EQ(rows.ItemImage(0, kColumnData), kNoImage);
    EXPECT_FALSE(rows.Differs(1));
    EXPECT_EQ(rows.ItemImage(1, kColumnNumber), kNoImage);

    SettingsRows unchecked(values, nullptr);
    EXPECT_FALSE(unchecked.Differs(0));
    EXPECT_EQ(unchecked.ItemImage(0, kColumnNumber), kNoImage);
}

TEST_F(SettingsRowsTest, MovesToTheNextAndPreviousDifferingRowRoundTheEnds) {
    Bytes data = GeneralDefaults();
    WriteU32BE(data.data(), 5);                 // row 0, LCD contrast
    WriteU32BE(data.data() + 20, 7);            // row 5
    WriteU32BE(data.data() + 88, 0xFFFFFF00U);  // row 25, subnet mask
    ASSERT_TRUE(values.LoadBlock(220, data.data(), data.size()));
    ASSERT_TRUE(factory.LoadTemplate(220));
    SettingsRows rows(values, &factory);
    ASSERT_EQ(rows.RowCount(), 57);
    EXPECT_EQ(rows.DifferingRowCount(), 3);
    using Step = DifferingRowStep;
    // Down, from no row, from a marked row, from between, and round the end.
    EXPECT_EQ(rows.NextDifferingRow(-1, 1), (Step{0, false}));
    EXPECT_EQ(rows.NextDifferingRow(0, 1), (Step{5, false}));
    EXPECT_EQ(rows.NextDifferingRow(3, 1), (Step{5, false}));
    EXPECT_EQ(rows.NextDifferingRow(5, 1), (Step{25, false}));
    EXPECT_EQ(rows.NextDifferingRow(25, 1), (Step{0, true}));
    EXPECT_EQ(rows.NextDifferingRow(56, 1), (Step{0, true}));
    // Up likewise; with no row chosen the last differing row comes first.
    EXPECT_EQ(rows.NextDifferingRow(-1, -1), (Step{25, false}));
    EXPECT_EQ(rows.NextDifferingRow(57, -1), (Step{25, false}));
    EXPECT_EQ(rows.NextDifferingRow(25, -1), (Step{5, false}));
    EXPECT_EQ(rows.NextDifferingRow(10, -1), (Step{5, false}));
    EXPECT_EQ(rows.NextDifferingRow(5, -1), (Step{0, false}));
    EXPECT_EQ(rows.NextDifferingRow(0, -1), (Step{25, true}));
    EXPECT_EQ(rows.NextDifferingRow(57, 1), (Step{0, false}));

    // From every row both ways: a differing row, with none skipped on the way.
    for (std::int32_t from = 0; from < rows.RowCount(); ++from) {
        for (int direction : {1, -1}) {
            const std::optional<Step> step = rows.NextDifferingRow(from, direction);
            ASSERT_TRUE(step.has_value()) << from;
            EXPECT_TRUE(rows.Differs(step->row)) << from;
            const std::int32_t passed = direction > 0 ? step->row - from : from - step->row;
            EXPECT_EQ(step->wrapped, passed <= 0) << from << " " << direction;
            const std::int32_t count = rows.RowCount();
            for (std::int32_t r = (from + direction + count) % count; r != step->row;
                 r = (r + direction + count) % count) {
                EXPECT_FALSE(rows.Differs(r)) << from << " skipped " << r;
            }
        }
    }

    // Without a comparison nothing differs and there is nowhere to go.
    SettingsRows unchecked(values, nullptr);
    EXPECT_EQ(unchecked.DifferingRowCount(), 0);
    EXPECT_EQ(unchecked.NextDifferingRow(-1, 1), std::nullopt);
    EXPECT_EQ(unchecked.NextDifferingRow(4, -1), std::nullopt);
}

TEST_F(SettingsRowsTest, ALoneDifferingRowIsFoundAgainAndFactoryValuesGiveNoMove) {
    Bytes data = GeneralDefaults();
    ASSERT_TRUE(values.LoadBlock(220, data.data(), data.size()));
    ASSERT_TRUE(factory.LoadTemplate(220));
    {
        SettingsRows rows(values, &factory);
        EXPECT_EQ(rows.DifferingRowCount(), 0);
        EXPECT_EQ(rows.NextDifferingRow(-1, 1), std::nullopt);
        EXPECT_EQ(rows.NextDifferingRow(0, -1), std::nullopt);
    }
    WriteU32BE(data.data() + 200, 1);  // the last row, reserve[25]
    ASSERT_TRUE(values.LoadBlock(220, data.data(), data.size()));
    SettingsRows rows(values, &factory);
    EXPECT_EQ(rows.DifferingRowCount(), 1);
    EXPECT_EQ(rows.NextDifferingRow(56, 1), (DifferingRowStep{56, true}));
    EXPECT_EQ(rows.NextDifferingRow(56, -1), (DifferingRowStep{56, true}));
    EXPECT_EQ(rows.NextDifferingRow(-1, -1), (DifferingRowStep{56, false}));
    EXPECT_EQ(rows.NextDifferingRow(55, 1), (DifferingRowStep{56, false}));
    EXPECT_EQ(rows.NextDifferingRow(0, -1), (DifferingRowStep{56, true}));
}

TEST_F(SettingsRowsTest, RowTextsAndHeader) {
    Bytes data = GeneralDefaults();
    WriteU32BE(data.data() + 88, 0xFFFFFF00U);
    ASSERT_TRUE(values.LoadBlock(220, data.data(), data.size()));
    SettingsRows rows(values, nullptr);
    ASSERT_TRUE(rows.HasHeader());
    EXPECT_EQ(rows.BlockIdText(), "0x8011");
    EXPECT_EQ(rows.VersionText(), "0x20111007");
    EXPECT_EQ(rows.Signature(), "QX7 EEPROM TEMPLATE");
    EXPECT_EQ(rows.Title(), "General parameters");
    EXPECT_EQ(rows.SaveName(), "EEPROM-8011.csv");
    EXPECT_EQ(rows.RowCount(), 57);

    const std::vector<std::string> row25 = {"25", "0x0058", "4", "0xFFFF FF00 ", "subnet mask"};
    const std::vector<std::string> row21 = {"21", "0x0054", "1", "255", "ip address1"};
    for (int c = 0; c < kSettingsColumnCount; ++c) {
        EXPECT_EQ(rows.ItemText(25, c), row25[static_cast<std::size_t>(c)]);
        EXPECT_EQ(rows.ItemText(21, c), row21[static_cast<std::size_t>(c)]);
    }
    EXPECT_EQ(rows.ItemText(57, kColumnNumber), "");
    EXPECT_EQ(rows.ItemText(-1, kColumnNumber), "");
    EXPECT_EQ(rows.ItemText(0, kSettingsColumnCount), "");
}

TEST_F(SettingsRowsTest, ValueTextsByAttributeAndSize) {
    ASSERT_TRUE(values.ParseText(
        "-3333,0x8099,QX7 EEPROM TEMPLATE,0x1,T\r\n"
        "0,4,0,0,hex4\r\n1,1,0,0,hex1\r\n2,2,0,0,hex2\r\n3,3,0,0,hex3\r\n4,8,0,2,hex8\r\n"
        "5,2,0,2,signed2\r\n6,4,0,2,signed4\r\n7,4,0,1,unsigned4\r\n"));
    const Bytes data = {0, 0, 0, 0x3F, 0xFF, 0x12, 0x34, 0xAB, 0xCD, 0xEF, 1,    2,    3,    4,
                        5, 6, 7, 8,    0xFF, 0xFF, 0xFF, 0xFF, 0xFC, 0x18, 0xFF, 0xFF, 0xFF, 0xFE};
    ASSERT_TRUE(values.FillValues(data.size(), data.data()));
    SettingsRows rows(values, nullptr);
    const char* expected[] = {"0x0000 003F ",           "0xFF",  "0x1234 ", "0xABCD EF",
                              "0x0102 0304 0506 0708 ", "65535", "-1000",   "4294967294"};
    for (std::int32_t r = 0; r < 8; ++r) {
        EXPECT_EQ(rows.ItemText(r, kColumnData), expected[r]) << r;
    }
    EXPECT_EQ(rows.ItemText(4, kColumnAddress), "0x000A");
    const std::string csvRows =
        "\r\n0,4,0x0000003F,0,\"hex4\" \r\n1,1,0xFF,0,\"hex1\" \r\n2,2,0x1234,0,\"hex2\" \r\n"
        "3,3,0xABCDEF,0,\"hex3\" \r\n4,8,0x0102030405060708,0,\"hex8\" \r\n"
        "5,2,65535,2,\"signed2\" \r\n6,4,-1000,2,\"signed4\" \r\n7,4,4294967294,1,\"unsigned4\" "
        "\r\n";
    const std::string csv = values.CsvText();
    EXPECT_EQ(csv.substr(csv.find("\r\n")), csvRows);
}

TEST_F(SettingsRowsTest, StatisticsBlockShowsEightByteRowsInHexadecimal) {
    Bytes data(528, 0);
    data[46 * 4 + 7] = 1;
    ASSERT_TRUE(values.LoadBlock(284, data.data(), data.size()));
    SettingsRows rows(values, nullptr);
    EXPECT_EQ(rows.SaveName(), "EEPROM-8014.csv");
    EXPECT_EQ(rows.ItemText(46, kColumnData), "0x0000 0000 0000 0001 ");
    EXPECT_EQ(rows.ItemText(46, kColumnAddress), "0x00B8");
    EXPECT_NE(values.CsvText().find("\r\n46,8,0x0000000000000001,0,\"statHeadLifeDot[0]\" \r\n"),
              std::string::npos);
}

TEST_F(SettingsRowsTest, SavedCsvIsExactAndAFailedSaveLeavesNothing) {
    Bytes data = GeneralDefaults();
    WriteU32BE(data.data() + 88, 0xFFFFFF00U);
    ASSERT_TRUE(values.LoadBlock(220, data.data(), data.size()));
    test::TempDir dir;
    const std::string path = dir.File("EEPROM-8011.csv");
    ASSERT_TRUE(values.SaveCsv(path));
    const std::string csv = test::ReadFile(path);
    const std::string head =
        "-3333,0x8011,\"QX7 EEPROM TEMPLATE\",0x20111007,\"General parameters\"\r\n"
        "0,4,3,2,\"LCD contrast      \" \r\n";
    EXPECT_EQ(csv.substr(0, head.size()), head);
    EXPECT_NE(csv.find("\r\n25,4,0xFFFFFF00,0,\"subnet mask\" \r\n"), std::string::npos);
    EXPECT_NE(csv.find("\r\n21,1,255,2,\"ip address1\" \r\n"), std::string::npos);
    EXPECT_EQ(csv.substr(csv.size() - 27), "\r\n56,4,0,1,\"reserve[25]\" \r\n");
    EXPECT_EQ(csv, values.CsvText());
    EXPECT_TRUE(Shown(values).empty());

    test::WriteFile(dir.File("plain"), "");
    const std::string impossible = dir.File("plain") + "/EEPROM-8011.csv";
    EXPECT_FALSE(values.SaveCsv(impossible));
    EXPECT_EQ(Shown(values),
              (std::vector<std::string>{"File I/O Error.\nRestart PC and try again. (-125)(" +
                                        impossible + ")"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              2);
}

#ifndef _WIN32
// A CSV that cannot be completed names its cause (the full disk's "No space left on device"
// comes the same way; a file-size limit in a child stands in for it) and leaves no file.
TEST_F(SettingsRowsTest, AnIncompleteCsvIsReportedWithItsCause) {
    const Bytes data = GeneralDefaults();
    ASSERT_TRUE(values.LoadBlock(220, data.data(), data.size()));
    test::TempDir dir;
    const std::string path = dir.File("EEPROM-8011.csv");
    EXPECT_TRUE(test::PassesUnderFileSizeLimit(16, [&] {
        const bool saved = values.SaveCsv(path);
        const std::vector<std::string> expected = {
            "File I/O Error.\nRestart PC and try again. (-125)(" + path +
            ": cannot write: File too large)"};
        return !saved && Shown(values) == expected;
    }));
    EXPECT_TRUE(test::FileNames(dir.Path()).empty());
}
#endif

}  // namespace
}  // namespace qx7
