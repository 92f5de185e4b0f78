#include <gtest/gtest.h>

#include <string>

#include "core/comm/CommandJob.h"
#include "core/comm/PrinterLink.h"
#include "support/FakeSleeper.h"
#include "support/FakeSpooler.h"

namespace qx7 {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes Slice(const Bytes& job, std::size_t at, std::size_t n) {
    return Bytes(job.begin() + static_cast<std::ptrdiff_t>(at),
                 job.begin() + static_cast<std::ptrdiff_t>(at + n));
}

class JobTest : public ::testing::Test {
  protected:
    test::FakeSpooler spooler;
    test::FakeSleeper sleeper;
    test::SteppingClock clock{0x5A0B0C0D, 7};  // ticks between readings
    PrinterLink link{spooler, sleeper, clock};
};

TEST_F(JobTest, RecordKindTwoJobIsByteExact) {
    ASSERT_EQ(link.BuildInitializeRecord(2), 0);
    const Bytes& job = link.Job();
    ASSERT_EQ(job.size(), 2520u);
    EXPECT_EQ(Slice(job, 0, 2432), Bytes(2432, 0));
    EXPECT_EQ(Slice(job, 2432, 16), (Bytes{0x1B, 0x7C, 0x31, 0x30, 0x40, 0x0A, 0x43, 0x00, 0x5A,
                                           0x0B, 0x0C, 0x0D, 0, 0, 0, 0}));
    EXPECT_EQ(Slice(job, 2448, 16),
              (Bytes{0x23, 0x23, 0x00, 0x16, 0x00, 0x00, 0x00, 0x08, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Slice(job, 2464, 8), (Bytes{0x23, 0x23, 0x00, 0x42, 0x00, 0x00, 0x00, 0x20}));
    EXPECT_EQ(job[2472], 0x02);
    EXPECT_EQ(Slice(job, 2473, 15), Bytes(15, 0));
    const std::string text(job.begin() + 2488, job.begin() + 2504);
    EXPECT_EQ(text, "InitializeRecord");
    // The end packet carries the start packet's stamp although the clock moved on.
    EXPECT_EQ(Slice(job, 2504, 16),
              (Bytes{0x1B, 0x7C, 0x31, 0x30, 0x24, 0, 0, 0, 0x5A, 0x0B, 0x0C, 0x0D, 0, 0, 0, 0}));
    EXPECT_EQ(clock.readings, 1);
}

TEST_F(JobTest, EveryCommandHasItsSizeAndBlockBytes) {
    ASSERT_EQ(link.BuildSetClock(0x01020304), 0);
    ASSERT_EQ(link.JobLength(), 2496u);
    EXPECT_EQ(Slice(link.Job(), 2464, 16),
              (Bytes{0x23, 0x23, 0x00, 0x1D, 0, 0, 0, 0x08, 0x01, 0x02, 0x03, 0x04, 0, 0, 0, 0}));
    ASSERT_EQ(link.SendJob(), kLinkStartDocFailed);  // not connected, but the job is cut back
    ASSERT_EQ(link.JobLength(), 2432u);

    ASSERT_EQ(link.BuildCarriageSpeedStart(), 0);
    ASSERT_EQ(link.JobLength(), 2504u);
    Bytes speed{0x23, 0x23, 0x00, 0x35, 0, 0, 0, 0x10};
    speed.resize(24, 0);
    EXPECT_EQ(Slice(link.Job(), 2464, 24), speed);
    link.SendJob();

    ASSERT_EQ(link.BuildThermistorValue(75), 0);
    ASSERT_EQ(link.JobLength(), 2504u);
    Bytes thermistor{0x23, 0x23, 0x00, 0x36, 0, 0, 0, 0x10, 0x00, 0x4B};
    thermistor.resize(24, 0);
    EXPECT_EQ(Slice(link.Job(), 2464, 24), thermistor);
    link.SendJob();

    ASSERT_EQ(link.BuildThermistorValue(-2), 0);  // only the low 16 bits travel
    EXPECT_EQ(Slice(link.Job(), 2472, 2), (Bytes{0xFF, 0xFE}));
    link.SendJob();

    ASSERT_EQ(link.BuildSetAddress(0x0A000001, 0xFFFFFF00, 0x0A0000FE), 0);
    ASSERT_EQ(link.JobLength(), 2500u);
    EXPECT_EQ(Slice(link.Job(), 2464, 20),
              (Bytes{0x23, 0x23, 0x00, 0x41, 0,    0,    0,    0x0C, 0x0A, 0,
                     0,    0x01, 0xFF, 0xFF, 0xFF, 0x00, 0x0A, 0,    0,    0xFE}));
}

TEST_F(JobTest, BuiltJobsParseBackAndTamperedJobsDoNot) {
    ASSERT_EQ(link.BuildInitializeRecord(5), 0);
    Bytes job = link.Job();
    const auto parsed = ParseCommandJob(job);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->code, kBlockInitializeRecord);
    EXPECT_EQ(parsed->data[0], 5);

    const auto expectError = [](Bytes bytes, JobError expected) {
        JobError error = JobError::kNone;
        EXPECT_FALSE(ParseCommandJob(bytes, &error));
        EXPECT_EQ(error, expected) << JobErrorText(error);
    };
    Bytes bad = job;
    bad[100] = 1;
    expectError(bad, JobError::kPreamble);
    bad = job;
    bad[2432 + 6] = 'D';
    expectError(bad, JobError::kStartPacket);
    bad = job;
    bad[2450] = 0x17;
    expectError(bad, JobError::kLeadBlockBytes);
    bad = job;
    bad[2467] = 0x43;
    expectError(bad, JobError::kUnknownBlock);
    bad = job;
    bad[2490] = 'x';
    expectError(bad, JobError::kBlockData);
    bad = job;
    bad[2504 + 11] ^= 1;  // end packet stamp differs
    expectError(bad, JobError::kEndPacket);
    bad = job;
    bad.push_back(0);
    expectError(bad, JobError::kTrailingBytes);
    expectError(Bytes(job.begin(), job.end() - 1), JobError::kTooShort);
    expectError(Bytes(10, 0), JobError::kTooShort);
}

TEST_F(JobTest, AppendWithoutJobBufferFails) {
    link.DropJobBuffer();
    const unsigned char byte = 1;
    EXPECT_EQ(link.AppendBlock(&byte, 1), kLinkNoJobBufferAppend);
    EXPECT_EQ(link.BuildCarriageSpeedStart(), kLinkNoJobBufferAppend);
}

// CheckReply reads the reply the link collected; the fake spooler hands it over.
class CheckTest : public ::testing::Test {
  protected:
    int Check(const Bytes& reply, std::uint16_t command) {
        spooler.Add("P");
        PrinterLink link(spooler, sleeper, clock);
        EXPECT_EQ(link.Connect("P"), 0);
        spooler.QueueReply(reply);
        EXPECT_EQ(link.CollectReply(1), 0);
        return link.CheckReply(*ReplyHeaderFor(command));
    }
    test::FakeSpooler spooler;
    test::FakeSleeper sleeper;
    test::SteppingClock clock{1000};
};

TEST_F(CheckTest, HeaderAndStatusDecide) {
    EXPECT_EQ(Check(test::FakeSpooler::MakeReply(0x24, 0), kBlockInitializeRecord), 0);
    EXPECT_EQ(Check(test::FakeSpooler::MakeReply(0x24, 1), kBlockInitializeRecord),
              kLinkReplyStatus);
    EXPECT_EQ(Check(test::FakeSpooler::MakeReply(0x24, 0x80000000u), kBlockInitializeRecord),
              kLinkReplyStatus);
    // Another command's answer.
    EXPECT_EQ(Check(test::FakeSpooler::MakeReply(0x24, 0), kBlockSetClock), kLinkReplyFraming);
    EXPECT_EQ(Check(test::FakeSpooler::MakeReply(0x21, 0), kBlockSetClock), 0);
    EXPECT_EQ(Check(test::FakeSpooler::MakeReply(0x28, 0), kBlockCarriageSpeed), 0);
    EXPECT_EQ(Check(test::FakeSpooler::MakeReply(0x29, 0), kBlockThermistor), 0);
    EXPECT_EQ(Check(test::FakeSpooler::MakeReply(0x2D, 0), kBlockSetAddress), 0);
}

TEST_F(CheckTest, FramingFaultsGiveMinusEleven) {
    Bytes reply = test::FakeSpooler::MakeReply(0x24, 0);
    reply[4] = '$';  // an end packet first
    EXPECT_EQ(Check(reply, kBlockInitializeRecord), kLinkReplyFraming);
    reply = test::FakeSpooler::MakeReply(0x24, 0);
    reply[5] = 0x0D;
    EXPECT_EQ(Check(reply, kBlockInitializeRecord), kLinkReplyFraming);
    reply = test::FakeSpooler::MakeReply(0x24, 0);
    reply[23] = 0x14;  // another data length
    EXPECT_EQ(Check(reply, kBlockInitializeRecord), kLinkReplyFraming);
}

TEST(CheckReplyTest, NothingCollectedFailsFraming) {
    test::FakeSpooler spooler;
    test::FakeSleeper sleeper;
    test::SteppingClock clock{1};
    const PrinterLink link(spooler, sleeper, clock);
    EXPECT_EQ(link.CheckSetClockReply(), kLinkReplyFraming);
}

}  // namespace
}  // namespace qx7
