#include "core/log/LogAnalysis.h"

#include <gtest/gtest.h>

#include "loggen/LogBuilder.h"
#include "platform/posix/PosixLocalTime.h"
#include "support/LogEntryFeed.h"
#include "support/RecordingMessageSink.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

const LogAnalysisDefinition& Analysis(std::size_t index) { return LogAnalyses()[index]; }

class LogAnalysisTest : public ::testing::Test {
protected:
    test::ScopedTimeZone tz{"UTC"};
    PosixLocalTime clock;
    LogTextContext english{kEnglish, clock};
};

TEST_F(LogAnalysisTest, TableListsTheEightAnalysesThenItsEnd) {
    ASSERT_EQ(LogAnalyses().size(), kLogAnalysisCount + 1);
    EXPECT_STREQ(Analysis(0).name, "All Error log");
    EXPECT_STREQ(Analysis(4).name, "Temparature Warning and Error");
    EXPECT_STREQ(Analysis(6).name, "White Tube cleanning log");
    EXPECT_EQ(LogAnalyses()[kLogAnalysisCount].kind, AnalysisKind::kEnd);
}

TEST_F(LogAnalysisTest, SelectionByTypeAndByCode) {
    CQXLogEntry entry;
    for (int type = 0; type < 8; ++type) {
        entry.type = type;
        EXPECT_EQ(SelectsEntry(Analysis(0), entry), type == 1 || type == 2) << type;
    }
    entry.type = 3;
    for (const std::uint32_t code : {0x00001060u, 0x00001061u, 0x00006160u}) {
        entry.code = code;
        EXPECT_TRUE(SelectsEntry(Analysis(4), entry));
    }
    entry.code = 0x10650000;  // colour tube cleaning is not a white one
    EXPECT_FALSE(SelectsEntry(Analysis(6), entry));
    entry.code = 0x10700000;
    EXPECT_TRUE(SelectsEntry(Analysis(6), entry));
    const LogAnalysisDefinition otherParameter{AnalysisKind::kByType, nullptr, 3, "x"};
    entry.type = 1;
    EXPECT_FALSE(SelectsEntry(otherParameter, entry));
    EXPECT_FALSE(SelectsEntry(LogAnalyses()[kLogAnalysisCount], entry));
}

TEST_F(LogAnalysisTest, NothingSelectedSaysSoOnOneLine) {
    test::VectorEntrySource feed({test::MakeEntry(100, 0x00010000, 4)});
    const auto selection = LoadAnalysisEntries(feed, Analysis(0), 1000);
    EXPECT_EQ(ListAnalysisEntries(selection, 1000, english), "No data found.\r\n");
}

TEST_F(LogAnalysisTest, NewestFirstWithParametersAfterABlank) {
    test::VectorEntrySource feed({test::MakeEntry(0, 0x00001060, 3, test::Words({150})),  // 15.0 C
                                  test::MakeEntry(3600, 0x00010000, 4),
                                  test::MakeEntry(7200, 0x00006160, 1)});
    const auto selection = LoadAnalysisEntries(feed, Analysis(4), 1000);
    EXPECT_EQ(selection.selected, 2);
    const std::string listing = ListAnalysisEntries(selection, 1000, english);
    std::string first;
    std::string second;
    selection.newest[1].FormatTextLine(first, 1, english);
    selection.newest[0].FormatTextLine(second, 2, english);
    EXPECT_EQ(listing, first + "\r\n" + second + " [59 deg F]\r\n");
    EXPECT_EQ(first.substr(0, 30), "000001: 01/01/2000 02:00:00 [0");
}

TEST_F(LogAnalysisTest, MaximumListsOneMoreAndAllListsEverything) {
    std::vector<CQXLogEntry> errors;
    std::vector<CQXLogEntry> sameCode;
    for (std::uint32_t i = 0; i < 1500; ++i) {
        errors.push_back(test::MakeEntry(i, 0x00005000 + i, 2));
        sameCode.push_back(test::MakeEntry(i, 0x00005000, 1));
    }
    test::VectorEntrySource feed(std::move(errors));
    const auto limited = LoadAnalysisEntries(feed, Analysis(0), 1000);
    EXPECT_EQ(limited.selected, 1500);
    EXPECT_EQ(limited.newest.size(), 1001u);  // only what a listing can show is kept
    const std::string listing = ListAnalysisEntries(limited, 1000, english);
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 1001);
    EXPECT_EQ(listing.substr(0, 6), "000001");
    EXPECT_NE(listing.find("[000055DB]"), std::string::npos);  // the newest, code 0x5000 + 1499
    EXPECT_NE(listing.find("001001: "), std::string::npos);
    EXPECT_EQ(listing.find("001002: "), std::string::npos);

    test::VectorEntrySource again(std::move(sameCode));
    const auto all = LoadAnalysisEntries(again, Analysis(0), kNoLimit);
    const std::string everything = ListAnalysisEntries(all, kNoLimit, english);
    EXPECT_EQ(std::count(everything.begin(), everything.end(), '\n'), 1500);
}

TEST_F(LogAnalysisTest, RunOnFilesListsContainersAndBareLogsAndNothingForUnreadable) {
    test::TempDir dir;
    test::RecordingMessageSink sink;
    const Messages messages(kEnglish, sink);
    loggen::Ring ring(64);
    ring.Write(loggen::EntrySpec{10, 0, 4, 0, 0x00010000, {}});
    ring.Write(loggen::EntrySpec{20, 0, 2, 0, 0x00002070, {}});
    const std::string container = loggen::ContainerBuilder().LogData(ring).End().Plain();
    ASSERT_TRUE(loggen::WriteBytes(dir.File("p1.zlg"), loggen::Compress(container)));
    ASSERT_TRUE(loggen::WriteBytes(dir.File("bare.bin"), ring.Bytes()));
    for (const char* name : {"p1.zlg", "bare.bin"}) {
        const std::string listing =
            RunLogAnalysis(dir.File(name), Analysis(7), 1000, messages, english);
        EXPECT_EQ(listing.substr(0, 51), "000001: 01/01/2000 00:00:20 [00002070] (ERR) \"Obstr")
            << name;
    }
    EXPECT_EQ(RunLogAnalysis(dir.File("missing"), Analysis(0), 1000, messages, english), "");
    EXPECT_FALSE(std::filesystem::exists(dir.File("p1.zlg.qvl")));
}

}  // namespace
}  // namespace qx7
