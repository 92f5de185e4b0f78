#include "core/log/LogFileInfo.h"

#include <gtest/gtest.h>

#include "core/base/ByteOrder.h"
#include "platform/SystemLocalTime.h"
#include "support/RecordingMessageSink.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

std::string Block(const std::string& tag, const std::string& payload) {
    unsigned char length[4];
    WriteU32BE(length, static_cast<std::uint32_t>(payload.size()));
    return tag + std::string(reinterpret_cast<char*>(length), 4) + payload;
}

std::string Container(const std::string& blocks) {
    return "QX7LG1XX" + std::string(4, '\0') + "201403151345" + std::string(12, '\0') + blocks +
           Block("ENDF", "");
}

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (const int v : values) {
        out.push_back(static_cast<char>(v));
    }
    return out;
}

class LogFileInfoTest : public ::testing::Test {
  protected:
    std::string Info(const std::string& fileBytes) {
        const std::string path = dir.File("p1.log");
        test::WriteFile(path, fileBytes);
        return BuildLogFileInformation(path, clock);
    }

    test::TempDir dir;
    test::RecordingMessageSink sink;
    Messages messages{kEnglish, sink};
    SystemLocalTime clock;
};

TEST_F(LogFileInfoTest, PcBlockAloneGivesItsLineTheSaveTimeAndTwoEmptyLines) {
    EXPECT_EQ(Info(Container(Block("PCDT", std::string("WS-01 / Windows\0", 16)))),
              "PC Information :\t\tWS-01 / Windows\r\n"
              "Saved Date (PC) :\t\t03/15/2014 13:45\r\n\r\n\r\n");
}

TEST_F(LogFileInfoTest, EveryLineInOrderWithTabs) {
    QX7_PIN_TIME_ZONE(tz, "Asia/Tokyo");
    const std::string blocks = Block("MACa", Bytes({0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F})) +
                               Block("18Cd", "ISM-77") + Block("Prod", "QX-750") +
                               Block("Vers", Bytes({1,    2,    0x12, 0x34, 0xA, 0, 0, 7, 0, 0x10,
                                                    0xFF, 0xFF, 2,    3,    0,   0, 0, 1, 0, 1})) +
                               Block("Date", Bytes({0x1C, 0x9C, 0x38, 0x00})) +
                               Block("Xtra", "skipped") + Block("Comm", "after cleaning") +
                               Block("Cust", std::string("Shop A\0junk\0", 12));
    EXPECT_EQ(Info(Container(blocks)),
              "Customer :\t\tShop A\r\n"
              "Comment :\t\tafter cleaning\r\n"
              "Saved Date (Printer) :\t03/18/2015 22:20:00 (UTC=03/18/2015 13:20:00)\r\n"
              "Versions :\t\t\tMain=1.02.1234, Mainte=A.00.0007,\r\n"
              "\t\t\tMessage=0.10.FFFF, Font=2.03.0000, TestData=0.01.0001\r\n"
              "\r\nProduct Number:\t\tQX-750\r\n"
              "ISM Integrated Code :\tISM-77\r\n"
              "MAC address :\t\t00-1B-2C-3D-4E-5F\r\n");
}

TEST_F(LogFileInfoTest, PrinterDateIsSignedAndUtcIndependentOfTheZone) {
    QX7_PIN_TIME_ZONE(tz, "America/New_York");
    EXPECT_EQ(Info(Container(Block("Date", Bytes({0xFF, 0xFF, 0xFF, 0xFF})))),
              "Saved Date (Printer) :\t12/31/1999 18:59:59 (UTC=12/31/1999 23:59:59)\r\n");
}

TEST_F(LogFileInfoTest, ShortBlocksAreLeftOutAndLongOnesShowTheirFirstBytes) {
    EXPECT_EQ(Info(Container(Block("Date", Bytes({1, 2, 3})) + Block("Vers", std::string(19, 'v')) +
                             Block("MACa", Bytes({1, 2, 3, 4, 5})))),
              "");
    QX7_PIN_TIME_ZONE(tz, "UTC");
    EXPECT_EQ(Info(Container(Block("MACa", Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10})) +
                             Block("Date", Bytes({0, 0, 0, 0, 9, 9})))),
              "Saved Date (Printer) :\t01/01/2000 00:00:00 (UTC=01/01/2000 00:00:00)\r\n"
              "MAC address :\t\t01-02-03-04-05-06\r\n");
    EXPECT_EQ(Info(Container(Block("MACa", Bytes({1, 2, 3, 4, 5, 6, 7, 8})))),
              Info(Container(Block("MACa", Bytes({1, 2, 3, 4, 5, 6})))));
}

// Texts past 64 KiB show their first 64 KiB in whole characters and "..."; a final zero still
// ends a text at its first zero, however long the block.
TEST_F(LogFileInfoTest, LongTextsAreCutWithDotsAndNeverInsideACharacter) {
    ASSERT_EQ(kLongestTextShown, 65536u);
    const std::string a(65536, 'a');
    EXPECT_EQ(Info(Container(Block("Cust", a))), "Customer :\t\t" + a + "\r\n");
    EXPECT_EQ(Info(Container(Block("Cust", a + "b"))), "Customer :\t\t" + a + "...\r\n");
    // A zero inside a text without a final zero belongs to the text, so the cut is the same.
    std::string zeroInside = a + "b";
    zeroInside[10] = '\0';
    EXPECT_EQ(Info(Container(Block("Comm", zeroInside))),
              "Comment :\t\t" + zeroInside.substr(0, 65536) + "...\r\n");
    // A final zero: the text ends at the first zero, near the start or past the cut.
    EXPECT_EQ(Info(Container(Block("Comm", "short" + std::string(100000, '\0')))),
              "Comment :\t\tshort\r\n");
    EXPECT_EQ(Info(Container(Block("Prod", a + "bc" + std::string(1, '\0')))),
              "\r\nProduct Number:\t\t" + a + "...\r\n");
    // "\xE3\x81\x82" three bytes a character: 65,536 is not a multiple of three.
    std::string kana;
    while (kana.size() < 70000) {
        kana += "\xE3\x81\x82";
    }
    EXPECT_EQ(Info(Container(Block("PCDT", kana))),
              "PC Information :\t\t" + kana.substr(0, 65535) +
                  "...\r\nSaved Date (PC) :\t\t03/15/2014 13:45\r\n\r\n\r\n");
    // A block that claims more than the file holds is left out, as a short read always was.
    EXPECT_EQ(Info("QX7LG1XX" + std::string(4, '\0') + "201403151345" + std::string(12, '\0') +
                   "Cust" + std::string("\x00\x10\x00\x00", 4) + a + "b"),
              "");
}

TEST_F(LogFileInfoTest, BareLogsAndUnreadableFilesGiveNothing) {
    EXPECT_EQ(Info("not a container at all, just words"), "");
    EXPECT_EQ(Info("QX7LG1XX" + std::string(10, '\0')), "");  // header cut short
    EXPECT_EQ(BuildLogFileInformation(dir.File("missing.log"), clock), "");
    EXPECT_TRUE(sink.shown.empty());
}

}  // namespace
}  // namespace qx7
