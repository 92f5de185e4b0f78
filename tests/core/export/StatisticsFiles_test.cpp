#include "core/export/StatisticsFiles.h"

#include <gtest/gtest.h>

#include "loggen/LogBuilder.h"

#include <filesystem>

#ifndef _WIN32
#include "support/LimitedRun.h"
#endif

#include "core/text/StringTable.h"
#include "core/base/PathText.h"
#include "core/export/StatisticsCodes.h"
#include "platform/SystemLocalTime.h"
#include "support/LogEntryBytes.h"
#include "support/RecordingMessageSink.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

using namespace stats;
using test::EntryBytes;

const std::string kDayHeader =
    "date,print,menu test print,print sum,inkK,inkM,inkC,inkY,inkW1,inkW2,inkW3,inkW4,inkCMYK,"
    "inkW,autopurge,purgeK,purgeM,purgeC,purgeY,Job,powerON,cancel,MntParts\r\n";
const std::string kJobHeader =
    "clock,name,comment,print,printtime(ave),worktime,purgeK,purgeM,purgeC,purgeY,total time,"
    "cancel,inkK,inkM,inkC,inkY,inkW1,inkW2,inkW3,inkW4,inkCMYK,inkW,machinemode,platen,"
    "resolution,highlight,mask,blackink,wgrad,multipass,transcolor,saturation,contrast,"
    "inkvolume,1way,ArpDate\r\n";

class StatisticsFilesTest : public ::testing::Test {
  protected:
    std::string OneJobLog() const {
        const auto t = test::PrinterSeconds(2015, 3, 1, 8);
        return "QX7LG1XX" + std::string(28, '0') + EntryBytes(t, kJobStart) +
               EntryBytes(t + 60, kPrintStarted) +
               EntryBytes(t + 90, kPrintFinished, test::DotCountParams({1000000})) +
               EntryBytes(t + 3 * 86400, kPowerOn);
    }
    StatisticsOutputContext Context() {
        StatisticsOutputContext context{localTime_, encoder_, messages_,
                                        CLogDate(2016, 1, 1, 0, 0, 0, 0), nullptr};
        context.confirmOverride = [this](const std::string& path) {
            asked_.push_back(path);
            return allowOverride_;
        };
        return context;
    }
    StatisticsSaveRequest Request(const std::string& log) {
        test::WriteFile(dir_.File("p1.log"), log);
        EXPECT_EQ(LoadStatisticsRecords(dir_.File("p1.log"), records_, localTime_), 0);
        StatisticsSaveRequest request;
        request.folder = dir_.Path().string();
        request.dayFileName = "p1_D.csv";
        request.jobFileName = "p1_J.csv";
        return request;
    }

    void SetUp() override { QX7_SKIP_UNLESS_PINNED(tz_); }

    test::ScopedTimeZone tz_{"UTC"};
    test::TempDir dir_;
    SystemLocalTime localTime_;
    Utf8PassThrough encoder_;
    test::RecordingMessageSink sink_;
    Messages messages_{kEnglish, sink_};
    CLogList records_;
    std::vector<std::string> asked_;
    bool allowOverride_ = false;
};

TEST_F(StatisticsFilesTest, WritesBothFilesByteForByte) {
    auto request = Request(OneJobLog());
    request.comment = "shop 1, March";
    const auto result = SaveStatisticsFiles(records_, request, Context());
    EXPECT_EQ(result.day, StatisticsFileOutcome::kWritten);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kWritten);
    const std::string zeros =
        ",0,0,0,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,"
        "0.000000,0.000000,0,0,0,0,0,0,0,0,0\r\n";
    EXPECT_EQ(test::ReadFile(dir_.File("p1_D.csv")),
              "shop 1, March\r\n" + kDayHeader +
                  "3/1/2015,1,0,1,0.015000,0.000000,0.000000,0.000000,0.000000,0.000000,"
                  "0.000000,0.000000,0.015000,0.000000,0,0,0,0,0,1,0,0,0\r\n" +
                  "3/2/2015" + zeros + "3/3/2015" + zeros +
                  "3/4/2015,0,0,0,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,"
                  "0.000000,0.000000,0.000000,0.000000,0,0,0,0,0,0,1,0,0\r\n");
    EXPECT_EQ(test::ReadFile(dir_.File("p1_J.csv")),
              "shop 1, March\r\n" + kJobHeader +
                  "3/1/2015 8:00,\"\",\"\",1,0:00:30,0:01:30,0,0,0,0,0:01:30,0,0.015000,"
                  "0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.015000,"
                  "0.000000,,,1200,0,0,0,0,0,,0,0,0,0,\r\n");
    EXPECT_TRUE(sink_.shown.empty());
}

TEST_F(StatisticsFilesTest, SemicolonsChangeSeparatorsOnly) {
    auto request = Request(OneJobLog());
    request.semicolon = true;
    request.comment = "a,b";
    SaveStatisticsFiles(records_, request, Context());
    const std::string day = test::ReadFile(dir_.File("p1_D.csv"));
    EXPECT_EQ(day.substr(0, 40), "a,b\r\ndate;print;menu test print;print su");
    EXPECT_NE(day.find("3/1/2015;1;0;1;0.015000;0.000000;"), std::string::npos);
    EXPECT_EQ(day.find(",", 5), std::string::npos);
}

TEST_F(StatisticsFilesTest, EmptyRangeGivesHeadersOnly) {
    auto request = Request(OneJobLog());
    request.range = MakeDateRange({2015, 3, 5}, {2015, 3, 4});  // start one day after the end
    SaveStatisticsFiles(records_, request, Context());
    EXPECT_EQ(test::ReadFile(dir_.File("p1_D.csv")), kDayHeader);
    EXPECT_EQ(test::ReadFile(dir_.File("p1_J.csv")), kJobHeader);
    request.range = MakeDateRange({2015, 3, 1}, {2015, 3, 1});  // exactly that day
    allowOverride_ = true;
    SaveStatisticsFiles(records_, request, Context());
    EXPECT_EQ(test::ReadFile(dir_.File("p1_D.csv")).substr(kDayHeader.size(), 15),
              "3/1/2015,1,0,1,");
}

TEST_F(StatisticsFilesTest, ForbiddenCharactersAndUncreatableFiles) {
    auto request = Request(OneJobLog());
    request.dayFileName = "p1:D.csv";
    auto result = SaveStatisticsFiles(records_, request, Context());
    EXPECT_EQ(result.day, StatisticsFileOutcome::kBadName);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kWritten);  // the other file is still written
    ASSERT_EQ(sink_.shown.size(), 1U);
    EXPECT_EQ(sink_.shown[0], result.dayPath + " access denied. (-60)");
    for (const char c : std::string("\\/*?\"<>|")) {
        EXPECT_FALSE(IsUsableFileName(std::string("a") + c + "b"));
    }
    EXPECT_FALSE(IsUsableFileName(""));
    EXPECT_TRUE(IsUsableFileName("p1 D (2).csv"));

    // A folder that is a regular file: neither can be created.
    sink_.shown.clear();
    test::WriteFile(dir_.File("plain"), "x");
    request.folder = dir_.File("plain");
    request.dayFileName = "d.csv";
    request.jobFileName = "";
    result = SaveStatisticsFiles(records_, request, Context());
    EXPECT_EQ(result.day, StatisticsFileOutcome::kCannotCreate);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kBadName);
    ASSERT_EQ(sink_.shown.size(), 2U);
    EXPECT_EQ(sink_.shown[0], dir_.File("plain") + kPathSeparator + "d.csv access denied. (-62)");
    EXPECT_EQ(sink_.shown[1], dir_.File("plain") + kPathSeparator + " access denied. (-61)");
    request.dayFileName = "";
    request.jobFileName = "j.csv";
    sink_.shown.clear();
    SaveStatisticsFiles(records_, request, Context());
    EXPECT_EQ(sink_.shown.back(),
              dir_.File("plain") + kPathSeparator + "j.csv access denied. (-63)");
}

TEST_F(StatisticsFilesTest, ExistingFilesAreKeptUnlessAllowed) {
    auto request = Request(OneJobLog());
    test::WriteFile(dir_.File("p1_D.csv"), "mine");
#ifdef _WIN32
    test::WriteFile(dir_.File("p1_J.csv"), "mine");  // links need privileges on Windows
#else
    std::filesystem::create_symlink(dir_.File("target.txt"), dir_.File("p1_J.csv"));
#endif
    test::WriteFile(dir_.File("target.txt"), "keep");
    auto result = SaveStatisticsFiles(records_, request, Context());
    EXPECT_EQ(result.day, StatisticsFileOutcome::kDeclined);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kDeclined);
    EXPECT_EQ(asked_.size(), 2U);
    EXPECT_EQ(test::ReadFile(dir_.File("p1_D.csv")), "mine");
    allowOverride_ = true;
    result = SaveStatisticsFiles(records_, request, Context());
    EXPECT_EQ(result.started, 2);
    EXPECT_EQ(test::ReadFile(dir_.File("p1_D.csv")).substr(0, 4), "date");
    // The link itself is replaced; the file it pointed to is untouched.
    EXPECT_EQ(test::ReadFile(dir_.File("target.txt")), "keep");
    EXPECT_FALSE(std::filesystem::is_symlink(dir_.File("p1_J.csv")));
    EXPECT_NE(test::ReadFile(dir_.File("p1_J.csv")), "mine");
    EXPECT_EQ(OverrideQuestion("/x/a.csv"),
              "/x/a.csv already exists.\nDo you want to override it?");
}

TEST_F(StatisticsFilesTest, TheLogItselfIsRefusedAsEitherFileEvenWhenReplacingIsAllowed) {
    auto request = Request(OneJobLog());
    request.logPath = dir_.File("p1.log");
    const std::string log = test::ReadFile(request.logPath);
    allowOverride_ = true;
    std::string fileIoError;
    ASSERT_EQ(LoadLocalString(kEnglish, kMsgFileIoError, fileIoError), 0);
    const std::string because = "(is the log being read; choose another output)";

    // The log by its own name as the day file: refused before any question; the job file is
    // still written.
    request.dayFileName = "p1.log";
    auto result = SaveStatisticsFiles(records_, request, Context());
    EXPECT_EQ(result.day, StatisticsFileOutcome::kCannotCreate);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kWritten);
    EXPECT_EQ(result.started, 1);
    EXPECT_FALSE(StatisticsSaveCompleted(result));
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(sink_.shown, std::vector<std::string>{fileIoError + " (-62)" + because});
    EXPECT_EQ(test::ReadFile(request.logPath), log);

    // As the job file, by another name: a link to it, or the log's own path written otherwise.
    sink_.shown.clear();
    request.dayFileName = "p1_D.csv";
#ifndef _WIN32
    std::filesystem::create_symlink(request.logPath, dir_.File("link.csv"));
    request.jobFileName = "link.csv";
    result = SaveStatisticsFiles(records_, request, Context());
    EXPECT_EQ(result.day, StatisticsFileOutcome::kWritten);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kCannotCreate);
    EXPECT_EQ(sink_.shown, std::vector<std::string>{fileIoError + " (-63)" + because});
    EXPECT_TRUE(std::filesystem::is_symlink(dir_.File("link.csv")));
    EXPECT_EQ(test::ReadFile(request.logPath), log);
    sink_.shown.clear();
#endif
    request.folder = dir_.File(".");
    request.jobFileName = "p1.log";
    result = SaveStatisticsFiles(records_, request, Context());
    EXPECT_EQ(result.job, StatisticsFileOutcome::kCannotCreate);
    EXPECT_EQ(sink_.shown, std::vector<std::string>{fileIoError + " (-63)" + because});
    EXPECT_EQ(test::ReadFile(request.logPath), log);
    // Only the day files were questioned, never the log.
    for (const std::string& path : asked_) {
        EXPECT_EQ(path.find("p1.log"), std::string::npos) << path;
    }
}

TEST_F(StatisticsFilesTest, CompressedLogsAreReadFromATemporaryCopyThatLeavesNothing) {
    const std::string plain = OneJobLog();
    test::WriteFile(dir_.File("p1.zlg"), loggen::Compress(plain));
    ASSERT_EQ(LoadStatisticsRecords(dir_.File("p1.zlg"), records_, localTime_), 0);
    EXPECT_EQ(records_.GetCount(), 4U);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 1);
    // A damaged stream or a missing file: no records, no message, nothing left behind.
    test::WriteFile(dir_.File("bad.zlg"), loggen::Compress(plain).substr(0, 28));
    EXPECT_LT(LoadStatisticsRecords(dir_.File("bad.zlg"), records_, localTime_), 0);
    EXPECT_TRUE(records_.IsEmpty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 2);
    EXPECT_EQ(LoadStatisticsRecords(dir_.File("none.log"), records_, localTime_), -1);
    // A bare log (no magic) is read as it is.
    test::WriteFile(dir_.File("bare.bin"), plain.substr(36));
    EXPECT_EQ(LoadStatisticsRecords(dir_.File("bare.bin"), records_, localTime_), 0);
    EXPECT_EQ(records_.GetCount(), 4U);
    EXPECT_TRUE(sink_.shown.empty());
}

TEST(StatisticsNamesTest, DefaultNamesFolderAndRangeSuffix) {
    EXPECT_EQ(MakeRangeSuffix(false, {2014, 3, 5}, {2015, 2, 16}), ".csv");
    const std::string suffix = MakeRangeSuffix(true, {2014, 3, 5}, {2015, 2, 16});
    EXPECT_EQ(suffix, "_2014_0305-2015_0216.csv");
    EXPECT_EQ(DefaultDayFileName("/logs/p1.zlg", suffix), "p1_D_2014_0305-2015_0216.csv");
    EXPECT_EQ(DefaultJobFileName("/logs/p1.zlg", suffix), "p1_J_2014_0305-2015_0216.csv");
    EXPECT_EQ(DefaultDayFileName("/logs/p1.zlg", ".csv"), "p1_D.csv");
    EXPECT_EQ(DefaultDayFileName("/logs.d/archive.tar.gz", ".csv"), "archive.tar_D.csv");
    EXPECT_EQ(DefaultJobFileName("noext", ".csv"), "noext_J.csv");
    EXPECT_EQ(DefaultStatisticsFolder("/logs/p1.zlg", "/cwd"), "/logs");
    EXPECT_EQ(DefaultStatisticsFolder("/p1.zlg", "/cwd"), "/");
    EXPECT_EQ(DefaultStatisticsFolder("p1.zlg", "/cwd"), "/cwd");
    EXPECT_EQ(StatisticsFilePath("/", "p1_D.csv"), std::string("/") + kPathSeparator + "p1_D.csv");
}

TEST(StatisticsNamesTest, RangeInputAndDates) {
    EXPECT_TRUE(IsValidRangeInput({2004, 1, 1}, {2099, 12, 31}));
    EXPECT_TRUE(IsValidRangeInput({2004, 1, 1}, {2026, 6, 30}));  // this year and beyond 2020
    EXPECT_FALSE(IsValidRangeInput({2003, 1, 1}, {2015, 1, 1}));
    EXPECT_FALSE(IsValidRangeInput({2004, 1, 1}, {2100, 1, 1}));
    EXPECT_FALSE(IsValidRangeInput({2004, 0, 1}, {2015, 1, 1}));
    EXPECT_FALSE(IsValidRangeInput({2004, 1, 1}, {2015, 1, 32}));
    const auto range = MakeDateRange({2015, 2, 28}, {2015, 2, 28});
    EXPECT_TRUE(range.on);
    EXPECT_EQ(range.start, CLogDate(2015, 2, 28, 0, 0, 0, 0));
    EXPECT_EQ(range.end, CLogDate(2015, 3, 1, 0, 0, 0, 0));
}

#ifndef _WIN32
// A file that cannot be completed (a full disk, a file-size limit) is named with its cause, as
// the export names it, not as access denied; nothing is published. A file-size limit in a child
// stands in for the full disk: the same path through the writer, with the cause EFBIG.
TEST_F(StatisticsFilesTest, AFileThatCannotBeCompletedIsReportedWithItsCause) {
    StatisticsSaveRequest request = Request(OneJobLog());
    std::string fileIoError;
    ASSERT_EQ(LoadLocalString(kEnglish, kMsgFileIoError, fileIoError), 0);
    EXPECT_TRUE(test::PassesUnderFileSizeLimit(16, [&] {
        const auto result = SaveStatisticsFiles(records_, request, Context());
        const bool failed = result.day == StatisticsFileOutcome::kCannotCreate &&
                            result.job == StatisticsFileOutcome::kCannotCreate;
        const std::string day = StatisticsFilePath(request.folder, request.dayFileName);
        const std::string job = StatisticsFilePath(request.folder, request.jobFileName);
        const std::vector<std::string> expected = {
            fileIoError + " (-62)(" + day + ": cannot write: File too large)",
            fileIoError + " (-63)(" + job + ": cannot write: File too large)"};
        return failed && sink_.shown == expected;
    }));
    EXPECT_EQ(test::FileNames(dir_.Path()), std::vector<std::string>{"p1.log"});
}
#endif

}  // namespace
}  // namespace qx7
