// The reply line between the queue's filter and the link: what it carries whole, and that a
// line the scheduler cut or another job's line is never taken for a reply.

#include "platform/cups/ReplyReport.h"

#include <gtest/gtest.h>

namespace qx7 {
namespace {

std::vector<unsigned char> EveryByte(std::size_t size) {
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<unsigned char>((i * 37 + 11) % 256);
    }
    return bytes;
}

TEST(ReplyReportTest, RepliesUpToTheLimitTravelWhole) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{56},
                                   std::size_t{256}, kMaxReportedReplyBytes}) {
        const std::vector<unsigned char> reply = EveryByte(size);
        const std::string line = FormatReplyReport(7, reply);
        EXPECT_EQ(line.rfind("QX7-REPLY job=7 n=" + std::to_string(size) + " hex=", 0), 0u);
        // With the scheduler's "WARNING: " and its own framing, a status line keeps ~1,000 bytes.
        EXPECT_LT(line.size(), 1000u);
        const ReplyReading reading = ReadReplyReport(line, 7);
        EXPECT_EQ(reading.kind, ReplyReportKind::kReply) << size;
        EXPECT_EQ(reading.reply, reply) << size;
    }
    EXPECT_EQ(FormatReplyReport(3, std::vector<unsigned char>{0x1B, 0x7C, 0x00, 0xFF}),
              "QX7-REPLY job=3 n=4 hex=1b7c00ff");
    EXPECT_EQ(ReadReplyReport("QX7-REPLY job=3 n=2 hex=AbFf", 3).reply,
              (std::vector<unsigned char>{0xAB, 0xFF}));
}

TEST(ReplyReportTest, LongerRepliesAreReportedAsNoReplyWithTheCause) {
    const std::string line = FormatReplyReport(9, EveryByte(kMaxReportedReplyBytes + 1));
    const ReplyReading reading = ReadReplyReport(line, 9);
    EXPECT_EQ(reading.kind, ReplyReportKind::kNoReply);
    EXPECT_NE(reading.cause.find("481 bytes"), std::string::npos) << reading.cause;
    EXPECT_EQ(ReadReplyReport(FormatNoReplyReport(9, "first\nsecond"), 9).cause, "first second");
}

TEST(ReplyReportTest, EveryCutOfALineIsNeverAReply) {
    const std::string line = FormatReplyReport(12, EveryByte(200));
    for (std::size_t length = 0; length < line.size(); ++length) {
        const ReplyReading reading = ReadReplyReport(line.substr(0, length), 12);
        EXPECT_NE(reading.kind, ReplyReportKind::kReply) << length;
    }
}

TEST(ReplyReportTest, OtherJobsAndOtherWordsAreNoReport) {
    const std::string line = FormatReplyReport(12, EveryByte(8));
    EXPECT_EQ(ReadReplyReport(line, 1).kind, ReplyReportKind::kAbsent);
    EXPECT_EQ(ReadReplyReport(line, 120).kind, ReplyReportKind::kAbsent);
    EXPECT_EQ(ReadReplyReport("", 12).kind, ReplyReportKind::kAbsent);
    EXPECT_EQ(ReadReplyReport("The printer is not responding.", 12).kind,
              ReplyReportKind::kAbsent);
    for (const char* damaged :
         {"QX7-REPLY job=12 n=2 hex=1g2h", "QX7-REPLY job=12 n=x hex=", "QX7-REPLY job=12 n=",
          "QX7-REPLY job=12 n=2 hex=0102 ", "QX7-REPLY job=12 n=18446744073709551617 hex=00",
          "QX7-REPLY job=12 n=-1 hex=", "QX7-REPLY job=12 n=1hex=00",
          "QX7-REPLY job=12 n=00 hex=", "QX7-REPLY job=12 n=01 hex=00"}) {
        EXPECT_EQ(ReadReplyReport(damaged, 12).kind, ReplyReportKind::kDamaged) << damaged;
    }
}

}  // namespace
}  // namespace qx7
