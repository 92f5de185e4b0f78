// When the statistics files replace a file: only after the override question's yes, and never
// a file that appears while they are written.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "core/export/StatisticsFiles.h"
#include "platform/SystemLocalTime.h"
#include "support/LogEntryBytes.h"
#include "support/RecordingMessageSink.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

// Passes UTF-8 through and, on its first line, puts a file at `path`: another program saving
// under that name while the statistics are being written.
class AppearingFileEncoder final : public ITextEncoder {
  public:
    explicit AppearingFileEncoder(std::string path) : path_(std::move(path)) {}
    std::string FromUtf8(std::string_view utf8) const override {
        if (!appeared_) {
            test::WriteFile(path_, "theirs");
            appeared_ = true;
        }
        return std::string(utf8);
    }
    std::string Name() const override { return "UTF-8"; }

  private:
    std::string path_;
    mutable bool appeared_ = false;
};

class StatisticsReplaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QX7_SKIP_UNLESS_PINNED(tz_);
        const auto t = test::PrinterSeconds(2015, 3, 1, 8);
        test::WriteFile(dir_.File("p1.log"), "QX7LG1XX" + std::string(28, '0') +
                                                 test::EntryBytes(t, stats::kJobStart) +
                                                 test::EntryBytes(t + 86400, stats::kPowerOn));
        ASSERT_EQ(LoadStatisticsRecords(dir_.File("p1.log"), records_, localTime_), 0);
        request_.folder = dir_.Path().string();
        request_.dayFileName = "p1_D.csv";
        request_.jobFileName = "p1_J.csv";
    }

    StatisticsSaveResult Save(const ITextEncoder& encoder, bool allow) {
        StatisticsOutputContext context{localTime_, encoder, messages_,
                                        CLogDate(2016, 1, 1, 0, 0, 0, 0), nullptr};
        context.confirmOverride = [this, allow](const std::string& path) {
            asked_.push_back(path);
            return allow;
        };
        return SaveStatisticsFiles(records_, request_, context);
    }

    test::ScopedTimeZone tz_{"UTC"};
    test::TempDir dir_;
    SystemLocalTime localTime_;
    test::RecordingMessageSink sink_;
    Messages messages_{kEnglish, sink_};
    CLogList records_;
    StatisticsSaveRequest request_;
    std::vector<std::string> asked_;
};

TEST_F(StatisticsReplaceTest, AFileAppearingWhileWrittenIsKeptAndReported) {
    const std::string day = dir_.File("p1_D.csv");
    const AppearingFileEncoder encoder(day);
    const auto result = Save(encoder, true);
    EXPECT_TRUE(asked_.empty());  // it was not there when asked
    EXPECT_EQ(result.day, StatisticsFileOutcome::kCannotCreate);
    EXPECT_EQ(result.job, StatisticsFileOutcome::kWritten);
    EXPECT_EQ(test::ReadFile(day), "theirs");
    ASSERT_EQ(sink_.shown.size(), 1U);
    EXPECT_EQ(sink_.shown[0], day + " access denied. (-62)");
}

TEST_F(StatisticsReplaceTest, AllowedReplacingKeepsThePermissions) {
    const std::string day = dir_.File("p1_D.csv");
    test::WriteFile(day, "mine");
#ifndef _WIN32
    ASSERT_EQ(::chmod(day.c_str(), 0640), 0);
#endif
    const Utf8PassThrough encoder;
    EXPECT_EQ(Save(encoder, false).day, StatisticsFileOutcome::kDeclined);
    EXPECT_EQ(test::ReadFile(day), "mine");
    EXPECT_EQ(Save(encoder, true).day, StatisticsFileOutcome::kWritten);
    EXPECT_EQ(test::ReadFile(day).substr(0, 5), "date,");
#ifndef _WIN32  // permission bits are Linux's
    struct stat info {};
    ASSERT_EQ(::stat(day.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640U);
#endif
    EXPECT_EQ(asked_, (std::vector<std::string>{day, day, dir_.File("p1_J.csv")}));
}

}  // namespace
}  // namespace qx7
