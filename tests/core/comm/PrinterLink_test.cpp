#include "core/comm/PrinterLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "support/FakeSleeper.h"
#include "support/FakeSpooler.h"

namespace qx7 {
namespace {

using Bytes = std::vector<unsigned char>;
using test::ScriptedRead;

ScriptedRead Chunk(const Bytes& payload, std::uint32_t status = kSpoolSuccess,
                   std::uint32_t reported = 516) {
    ScriptedRead read{status, reported, Bytes(516, 0xEE)};
    std::fill(read.bytes.begin() + 4, read.bytes.end(), 0);
    std::copy_n(payload.begin(), std::min<std::size_t>(payload.size(), 512),
                read.bytes.begin() + 4);
    return read;
}

ScriptedRead Short(std::uint32_t reported = 0) {
    return {kSpoolSuccess, reported, {}};
}

const Bytes kMarker{0x1B, 0x7C, 0x31, 0x30, 0x24};

Bytes FakeReplyWithMarker() {
    return test::FakeSpooler::MakeReply(0x24, 0);
}

class LinkTest : public ::testing::Test {
  protected:
    LinkTest() { spooler.Add("QX"); }
    void ConnectLink() { ASSERT_EQ(link.Connect("QX"), 0); }

    test::FakeSpooler spooler;
    test::FakeSleeper sleeper;
    test::SteppingClock clock{1700000000};
    PrinterLink link{spooler, sleeper, clock};
};

// --- readiness ---------------------------------------------------------------------------------

TEST_F(LinkTest, ConnectReadsTheReadyValueWithFullAccess) {
    spooler.printers[0].ready = {kSpoolSuccess, 4, {0x00, 0x7F, 0xFF, 0x01}};
    EXPECT_EQ(link.Connect("QX"), 0);
    EXPECT_EQ(spooler.lastAccess, 0xF000Cu);
    EXPECT_EQ(spooler.Count("read QvMatCheck"), 1);

    spooler.printers[0].ready = {kSpoolSuccess, 4, {0x01, 0, 0, 0}};
    EXPECT_EQ(link.Connect("QX"), kLinkNotReady);
    EXPECT_TRUE(link.HasPrinterHandle());  // stays open until the link goes
    spooler.printers[0].ready = {kSpoolNotReady, 0, {0, 0, 0, 0}};
    EXPECT_EQ(link.Connect("QX"), kLinkNotReady);
    spooler.printers[0].ready = {kSpoolSuccess, 0, {}};  // success without a byte
    EXPECT_EQ(link.Connect("QX"), kLinkNotReady);
    EXPECT_EQ(spooler.openHandles, 1);  // reconnecting closed the earlier handles
}

TEST_F(LinkTest, UnopenablePrinterIsNotAskedAnything) {
    EXPECT_EQ(link.Connect("missing"), kLinkNotReady);
    spooler.printers[0].opens = false;
    EXPECT_EQ(link.Connect("QX"), kLinkNotReady);
    EXPECT_EQ(link.Connect(""), kLinkNotReady);
    EXPECT_EQ(spooler.Count("read QvMatCheck"), 0);
    EXPECT_FALSE(link.HasPrinterHandle());
}

TEST_F(LinkTest, IsReadyPrinterAlwaysClosesAgain) {
    EXPECT_TRUE(link.IsReadyPrinter("QX"));
    spooler.printers[0].ready.bytes[0] = 2;
    EXPECT_FALSE(link.IsReadyPrinter("QX"));
    EXPECT_EQ(spooler.openHandles, 0);
    EXPECT_FALSE(link.HasPrinterHandle());
}

TEST_F(LinkTest, DestructionClosesThePrinter) {
    {
        PrinterLink other(spooler, sleeper, clock);
        ASSERT_EQ(other.Connect("QX"), 0);
        EXPECT_EQ(spooler.openHandles, 1);
    }
    EXPECT_EQ(spooler.openHandles, 0);
}

// --- the listing's filter, for a listing and for a printer named by the user -----------------

TEST(PrinterFilterTest, DriverThenFileOutputNameThenFilePort) {
    const auto verdict = [](const char* name, const char* driver, const char* port) {
        return FilterPrinterRecord(PrinterRecord{name, driver, port});
    };
    EXPECT_EQ(verdict("QX", "Quorvel QX-7 Series", "USB001"), PrinterVerdict::kListed);
    EXPECT_EQ(verdict("QX", "Quorvel QX-7", "FILE:2"), PrinterVerdict::kListed);
    EXPECT_EQ(verdict("QX fileoutput", "Quorvel QX-7", "USB001"), PrinterVerdict::kListed);
    EXPECT_EQ(verdict("Office", "Generic PCL 6", "USB001"), PrinterVerdict::kOtherDriver);
    EXPECT_EQ(verdict("QX", "quorvel qx-7", "USB001"), PrinterVerdict::kOtherDriver);
    EXPECT_EQ(verdict("QX FileOutput", "Quorvel QX-7", "USB001"), PrinterVerdict::kFileOutputName);
    EXPECT_EQ(verdict("QX", "Quorvel QX-7", "FILE:"), PrinterVerdict::kFilePort);
    // The first test that fails names the reason.
    EXPECT_EQ(verdict("FileOutput", "Generic", "FILE:"), PrinterVerdict::kOtherDriver);
    EXPECT_EQ(verdict("FileOutput", "Quorvel QX-7", "FILE:"), PrinterVerdict::kFileOutputName);
}

TEST_F(LinkTest, JudgePrinterGivesTheListingsReasonAndOpensOnlyWhatItWouldList) {
    spooler.Add("Office", "Generic PCL 6");
    spooler.Add("QX file", "Quorvel QX-7", "FILE:");
    spooler.Add("QX FileOutput");
    spooler.Add("QX off").ready.bytes[0] = 1;
    ASSERT_EQ(link.EnumeratePrinters(), 0);
    PrinterRecord record;
    EXPECT_EQ(link.JudgePrinter("Nobody", &record), PrinterVerdict::kUnknown);
    EXPECT_EQ(link.JudgePrinter("qx"), PrinterVerdict::kUnknown);  // names are case-sensitive
    EXPECT_EQ(link.JudgePrinter("Office", &record), PrinterVerdict::kOtherDriver);
    EXPECT_EQ(record.driverName, "Generic PCL 6");
    EXPECT_EQ(link.JudgePrinter("QX file", &record), PrinterVerdict::kFilePort);
    EXPECT_EQ(record.portName, "FILE:");
    EXPECT_EQ(link.JudgePrinter("QX FileOutput"), PrinterVerdict::kFileOutputName);
    EXPECT_TRUE(spooler.calls.size() == 1 && spooler.calls[0] == "enum");  // nothing opened

    EXPECT_EQ(link.JudgePrinter("QX off"), PrinterVerdict::kNotReady);
    EXPECT_EQ(link.JudgePrinter("QX", &record), PrinterVerdict::kListed);
    EXPECT_EQ(record.name, "QX");
    EXPECT_EQ(spooler.Count("read QvMatCheck"), 2);
    EXPECT_EQ(spooler.openHandles, 0);
    EXPECT_TRUE(spooler.jobs.empty());
}

TEST_F(LinkTest, NameTheSpoolerListsTwiceIsAskedAndListedOnce) {
    spooler.printers.push_back(spooler.printers[0]);
    spooler.Add("Other QX");
    ASSERT_EQ(link.EnumeratePrinters(), 0);
    std::vector<std::string> list;
    EXPECT_EQ(link.ListQxPrinters(list), 0);
    EXPECT_EQ(list, (std::vector<std::string>{"Other QX", "QX"}));
    EXPECT_EQ(spooler.Count("read QvMatCheck"), 2);
}

TEST_F(LinkTest, ReadsOfEachAfterTheDeadlineOpenNothing) {
    spooler.Add("Second");
    const auto reads = spooler.ReadValueOfEach({"QX", "Second"}, kPrinterAllAccess, kReadyValueName,
                                               kReadyValueSize, std::chrono::steady_clock::now());
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_FALSE(reads[0].opened || reads[1].opened);
    EXPECT_FALSE(IsReadyAnswer(reads[0]));
    EXPECT_EQ(spooler.Count("open QX") + spooler.Count("open Second"), 0);

    // In time: each opened with full access, read and closed, in order.
    const auto later = spooler.ReadValueOfEach(
        {"QX", "missing", "Second"}, kPrinterAllAccess, kReadyValueName, kReadyValueSize,
        std::chrono::steady_clock::now() + std::chrono::seconds(60));
    ASSERT_EQ(later.size(), 3u);
    EXPECT_TRUE(IsReadyAnswer(later[0]));
    EXPECT_FALSE(later[1].opened);
    EXPECT_TRUE(IsReadyAnswer(later[2]));
    EXPECT_EQ(spooler.lastAccess, kPrinterAllAccess);
    EXPECT_EQ(spooler.openHandles, 0);
}

// --- sending -----------------------------------------------------------------------------------

TEST_F(LinkTest, SendJobWritesOneRawDocumentAndResetsTheJob) {
    ConnectLink();
    ASSERT_EQ(link.BuildSetClock(42), 0);
    const Bytes built = link.Job();
    EXPECT_EQ(link.SendJob(), 0);
    ASSERT_EQ(spooler.jobs.size(), 1u);
    EXPECT_EQ(spooler.jobs[0], built);
    EXPECT_EQ(link.JobLength(), 2432u);
    const std::vector<std::string> tail(spooler.calls.end() - 5, spooler.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"startdoc QX Data RAW", "startpage", "write",
                                              "endpage", "enddoc"}));
    // The preamble is reused: the next job starts right behind it again, still zero.
    ASSERT_EQ(link.BuildCarriageSpeedStart(), 0);
    EXPECT_EQ(link.JobLength(), 2504u);
    EXPECT_TRUE(std::all_of(link.Job().begin(), link.Job().begin() + 2432,
                            [](unsigned char b) { return b == 0; }));
}

TEST_F(LinkTest, SendJobFailuresEndWhatWasStartedAndResetTheJob) {
    ConnectLink();
    spooler.startDocFails = true;
    link.BuildCarriageSpeedStart();
    EXPECT_EQ(link.SendJob(), kLinkStartDocFailed);
    EXPECT_EQ(link.JobLength(), 2432u);
    EXPECT_EQ(spooler.Count("enddoc"), 0);

    spooler.startDocFails = false;
    spooler.startPageFails = true;
    link.BuildCarriageSpeedStart();
    EXPECT_EQ(link.SendJob(), kLinkStartPageFailed);
    EXPECT_EQ(link.JobLength(), 2432u);
    EXPECT_EQ(spooler.Count("enddoc"), 1);
    EXPECT_EQ(spooler.Count("write"), 0);

    spooler.startPageFails = false;
    spooler.writeFails = true;
    link.BuildCarriageSpeedStart();
    EXPECT_EQ(link.SendJob(), kLinkWriteFailed);
    EXPECT_EQ(link.JobLength(), 2432u);
    EXPECT_EQ(spooler.Count("endpage"), 1);
    EXPECT_EQ(spooler.Count("enddoc"), 2);

    // Failures of ending are not reported.
    spooler.writeFails = false;
    spooler.endPageFails = true;
    link.BuildCarriageSpeedStart();
    EXPECT_EQ(link.SendJob(), 0);

    link.DropJobBuffer();
    EXPECT_EQ(link.SendJob(), kLinkNoJobBufferSend);
    EXPECT_EQ(spooler.Count("startdoc QX Data RAW"), 4);
}

// --- collecting --------------------------------------------------------------------------------

TEST_F(LinkTest, ReplyInFirstCycleTakesOneWait) {
    ConnectLink();
    Bytes payload(105, 0x11);
    std::copy(kMarker.begin(), kMarker.end(), payload.begin() + 100);
    spooler.QueueRead(Chunk(payload));
    EXPECT_EQ(link.CollectReply(1), 0);
    EXPECT_EQ(sleeper.calls, 1);
    EXPECT_EQ(sleeper.totalMilliseconds, 500);
    EXPECT_EQ(link.Reply().size(), 512u);
    EXPECT_EQ(spooler.replyReadCount, 1);
}

TEST_F(LinkTest, SilentPrinterCostsSixCyclesAndMinusThirtyOne) {
    ConnectLink();
    for (int i = 0; i < 6; ++i) {
        spooler.QueueRead(Short(static_cast<std::uint32_t>(i * 100)));  // all below 516
    }
    EXPECT_EQ(link.CollectReply(1), kLinkNoReply);
    EXPECT_EQ(sleeper.calls, 6);
    EXPECT_EQ(sleeper.totalMilliseconds, 3000);
    EXPECT_TRUE(link.Reply().empty());
}

TEST_F(LinkTest, ChunkWithoutMarkerThenShortReadEndsWithWhatCame) {
    ConnectLink();
    spooler.QueueRead(Chunk(Bytes(512, 0x22)));
    spooler.QueueRead(Short());
    EXPECT_EQ(link.CollectReply(1), 0);
    EXPECT_EQ(link.Reply().size(), 512u);
    EXPECT_EQ(sleeper.calls, 1);
    EXPECT_EQ(spooler.replyReadCount, 2);  // the second read came at once
}

TEST_F(LinkTest, MarkerSplitOverChunksAndAtTheVeryEndIsFound) {
    ConnectLink();
    Bytes first(512, 0x33);
    std::copy(kMarker.begin(), kMarker.begin() + 2, first.end() - 2);
    Bytes second(512, 0x44);
    std::copy(kMarker.begin() + 2, kMarker.end(), second.begin());
    spooler.QueueRead(Chunk(first));
    spooler.QueueRead(Chunk(second));
    spooler.QueueRead(Chunk(Bytes(512, 0x55)));  // never read: the marker is complete
    EXPECT_EQ(link.CollectReply(1), 0);
    EXPECT_EQ(link.Reply().size(), 1024u);
    EXPECT_EQ(spooler.replyReadCount, 2);

    PrinterLink again(spooler, sleeper, clock);
    ASSERT_EQ(again.Connect("QX"), 0);
    spooler.replyReads.clear();
    Bytes last(512, 0x66);
    std::copy(kMarker.begin(), kMarker.end(), last.end() - 5);
    spooler.QueueRead(Chunk(last));
    spooler.QueueRead(Chunk(Bytes(512, 0x77)));
    EXPECT_EQ(again.CollectReply(1), 0);
    EXPECT_EQ(again.Reply().size(), 512u);
}

TEST_F(LinkTest, TwoMarkersAreAwaitedWhenAskedFor) {
    ConnectLink();
    Bytes first(512, 0);
    std::copy(kMarker.begin(), kMarker.end(), first.begin() + 10);
    Bytes second(512, 0);
    std::copy(kMarker.begin(), kMarker.end(), second.begin() + 10);
    spooler.QueueRead(Chunk(first));
    spooler.QueueRead(Chunk(second));
    EXPECT_EQ(link.CollectReply(2), 0);
    EXPECT_EQ(link.Reply().size(), 1024u);
}

TEST_F(LinkTest, ReadErrorStaysMinusTwentySevenEvenWhenTheReplyComesLater) {
    ConnectLink();
    spooler.QueueRead({kSpoolMoreData, 600, {}});
    spooler.QueueRead(Short());
    spooler.QueueRead(Chunk(FakeReplyWithMarker()));
    EXPECT_EQ(link.CollectReply(1), kLinkReadFailed);
    EXPECT_EQ(sleeper.calls, 3);
    EXPECT_EQ(link.Reply().size(), 512u);
}

TEST_F(LinkTest, ReadErrorAndNothingElseGivesMinusThirtyOne) {
    ConnectLink();
    spooler.QueueRead({kSpoolMoreData, 600, {}});
    EXPECT_EQ(link.CollectReply(1), kLinkNoReply);
    EXPECT_EQ(sleeper.calls, 6);
}

TEST_F(LinkTest, ReadErrorInsideABurstKeepsWhatCameAndStopsTheCycle) {
    ConnectLink();
    spooler.QueueRead(Chunk(Bytes(512, 1)));
    spooler.QueueRead({kSpoolMoreData, 516, {}});
    EXPECT_EQ(link.CollectReply(1), kLinkReadFailed);
    EXPECT_EQ(link.Reply().size(), 512u);
    EXPECT_EQ(sleeper.calls, 1);
}

TEST_F(LinkTest, OversizedReportCopiesNoMoreThanTheBuffer) {
    ConnectLink();
    ScriptedRead lying = Chunk(FakeReplyWithMarker(), kSpoolSuccess, 70000);
    spooler.QueueRead(lying);
    EXPECT_EQ(link.CollectReply(1), 0);
    EXPECT_EQ(link.Reply().size(), 512u);
}

TEST_F(LinkTest, EndlessFullChunksStopAtTheCycleBound) {
    ConnectLink();
    for (int i = 0; i < kMaxChunksPerCycle + 10; ++i) {
        spooler.QueueRead(Chunk(Bytes(512, 0x20)));
    }
    EXPECT_EQ(link.CollectReply(1), 0);
    EXPECT_EQ(link.Reply().size(), static_cast<std::size_t>(kMaxChunksPerCycle) * 512u);
    EXPECT_EQ(sleeper.calls, 1);
}

TEST_F(LinkTest, EachCollectionStartsAFreshReply) {
    ConnectLink();
    spooler.QueueRead(Chunk(FakeReplyWithMarker()));
    ASSERT_EQ(link.CollectReply(1), 0);
    EXPECT_EQ(link.CollectReply(1), kLinkNoReply);
    EXPECT_TRUE(link.Reply().empty());
}

}  // namespace
}  // namespace qx7
