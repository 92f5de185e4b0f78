// When a save of the statistics files has done what the user asked (the dialog then closes),
// judged on the outcomes real saves give.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/export/StatisticsFiles.h"
#include "platform/SystemLocalTime.h"
#include "support/LogEntryBytes.h"
#include "support/RecordingMessageSink.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

class StatisticsSaveCompletedTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QX7_SKIP_UNLESS_PINNED(tz_);
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
    SystemLocalTime localTime_;
    Utf8PassThrough encoder_;
    test::RecordingMessageSink sink_;
    Messages messages_{kEnglish, sink_};
    CLogList records_;
    StatisticsSaveRequest request_;
    bool allowOverride_ = false;
};

TEST_F(StatisticsSaveCompletedTest, DoneWhenWrittenOrDeclinedOpenAfterAFailure) {
    EXPECT_TRUE(StatisticsSaveCompleted(Save()));
    // Both there and both kept: nothing was written.
    auto result = Save();
    EXPECT_EQ(result.day, StatisticsFileOutcome::kDeclined);
    EXPECT_FALSE(StatisticsSaveCompleted(result));
    // The day file kept as the user said, the job file written: done.
    std::filesystem::remove(dir_.File("p1_J.csv"));
    EXPECT_TRUE(StatisticsSaveCompleted(Save()));

    // A bad name, though the other file was written (the older rule closed here).
    allowOverride_ = true;
    request_.dayFileName = "a:b.csv";
    result = Save();
    EXPECT_EQ(result.day, StatisticsFileOutcome::kBadName);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kWritten);
    EXPECT_FALSE(StatisticsSaveCompleted(result));

    // A file that cannot be created: a folder holds its place.
    std::filesystem::create_directory(dir_.File("p1_D2.csv"));
    request_.dayFileName = "p1_D2.csv";
    result = Save();
    EXPECT_EQ(result.day, StatisticsFileOutcome::kCannotCreate);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kWritten);
    EXPECT_FALSE(StatisticsSaveCompleted(result));
}

}  // namespace
}  // namespace qx7
