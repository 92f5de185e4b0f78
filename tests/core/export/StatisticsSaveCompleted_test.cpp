// When a save of the statistics files has done what the user asked (the dialog then closes),
// judged on the outcomes real saves give.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/export/StatisticsFiles.h"
#include "platform/posix/PosixLocalTime.h"
#include "support/LogEntryBytes.h"
#include "support/RecordingMessageSink.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

class StatisticsSaveCompletedTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto t = test::PrinterSeconds(2015, 3, 1, 8);
        test::WriteFile(dir_.File("p1.log"), "QX7LG1XX" + std::string(28, '0') +
                                                 test::EntryBytes(t, 0x20000000) +
                                                 test::EntryBytes(t + 60, 0x91000000) +
                                                 test::EntryBytes(t + 90, 0x91010000));
        ASSERT_EQ(LoadStatisticsRecords(dir_.File("p1.log"), records_, localTime_), 0);
        request_.folder = dir_.Path().string();
        request_.dayFileName = "p1_D.csv";
        request_.jobFileName = "p1_J.csv";
    }

    StatisticsSaveResult Save() {
        StatisticsOutputContext context{localTime_, encoder_, messages_,
                                        CLogDate(2016, 1, 1, 0, 0, 0, 0), nullptr};
        context.confirmOverride = [this](const std::string&) { return allowOverride_; };
        return SaveStatisticsFiles(records_, request_, context);
    }

    test::ScopedTimeZone tz_{"UTC"};
    test::TempDir dir_;
    PosixLocalTime localTime_;
    Utf8PassThrough encoder_;
    test::RecordingMessageSink sink_;
    Messages messages_{kEnglish, sink_};
    CLogList records_;
    StatisticsSaveRequest request_;
    bool allowOverride_ = false;
};

TEST_F(StatisticsSaveCompletedTest, BothWrittenOrOneWrittenAndTheOtherDeclined) {
    EXPECT_TRUE(StatisticsSaveCompleted(Save()));
    // Both exist now; keeping the day file is the user's choice, the job file is replaced.
    test::WriteFile(dir_.File("p1_D.csv"), "mine");
    std::filesystem::remove(dir_.File("p1_J.csv"));
    const auto result = Save();
    EXPECT_EQ(result.day, StatisticsFileOutcome::kDeclined);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kWritten);
    EXPECT_TRUE(StatisticsSaveCompleted(result));
}

TEST_F(StatisticsSaveCompletedTest, NothingWrittenWhenBothWereDeclined) {
    ASSERT_TRUE(StatisticsSaveCompleted(Save()));
    const auto result = Save();
    EXPECT_EQ(result.day, StatisticsFileOutcome::kDeclined);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kDeclined);
    EXPECT_FALSE(StatisticsSaveCompleted(result));
    // Allowed, both are written again.
    allowOverride_ = true;
    EXPECT_TRUE(StatisticsSaveCompleted(Save()));
}

TEST_F(StatisticsSaveCompletedTest, ABadNameKeepsTheDialogOpenThoughTheOtherWasWritten) {
    request_.dayFileName = "a:b.csv";
    auto result = Save();
    EXPECT_EQ(result.day, StatisticsFileOutcome::kBadName);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kWritten);
    EXPECT_FALSE(StatisticsSaveCompleted(result));

    request_.dayFileName = "p1_D.csv";
    request_.jobFileName = "";
    result = Save();
    EXPECT_EQ(result.day, StatisticsFileOutcome::kWritten);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kBadName);
    EXPECT_FALSE(StatisticsSaveCompleted(result));
}

TEST_F(StatisticsSaveCompletedTest, AFileThatCannotBeCreatedKeepsTheDialogOpen) {
    // The day file's place is taken by a folder, which cannot be replaced by a file.
    std::filesystem::create_directory(dir_.File("p1_D.csv"));
    allowOverride_ = true;
    auto result = Save();
    EXPECT_EQ(result.day, StatisticsFileOutcome::kCannotCreate);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kWritten);
    EXPECT_EQ(result.started, 2);
    EXPECT_FALSE(StatisticsSaveCompleted(result));

    // Neither can be created in a folder that is a file.
    test::WriteFile(dir_.File("file"), "x");
    request_.folder = dir_.File("file");
    result = Save();
    EXPECT_EQ(result.day, StatisticsFileOutcome::kCannotCreate);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kCannotCreate);
    EXPECT_FALSE(StatisticsSaveCompleted(result));
}

}  // namespace
}  // namespace qx7
