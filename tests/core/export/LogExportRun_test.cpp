// One export from the log's path: its steps in order, what it writes against the export of the
// same entries, and which failure it reports with which cause.

#include "core/export/LogExportRun.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "core/text/Messages.h"
#include "core/output/ExportOutput.h"
#include "core/log/LogOpening.h"
#include "core/log/LogTextContext.h"
#include "core/log/QXLogFile.h"
#include "loggen/Scenario.h"
#include "platform/SystemLocalTime.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string Contents(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string bytes;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, got);
    }
    return bytes;
}

class LogExportRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!tz_.Pinned()) {
            GTEST_SKIP() << "runs where the process starts in its zone";
        }
        loggen::ScenarioOptions options;
        options.entries = 2500;  // more than a thousand: the progress is called midway too
        ASSERT_TRUE(loggen::WriteBytes(dir_.File("p1.zlg"),
                                       loggen::GenerateLog(options, loggen::LogForm::Compressed)));
    }

    // A job into a temporary stream, recording the steps as they come.
    LogExportJob Job(bool csv) {
        LogExportJob job;
        job.logPath = dir_.File("p1.zlg");
        job.csv = csv;
        job.out = out_.get();
        job.opened = [this](int entries) { steps_.push_back("opened " + std::to_string(entries)); };
        job.exported = [this] { steps_.emplace_back("exported"); };
        job.commit = [this] {
            steps_.emplace_back("commit");
            return commitError_ == 0;
        };
        job.commitError = [this] { return commitError_; };
        return job;
    }

    test::ScopedTimeZone tz_{"UTC"};
    test::TempDir dir_;
    SystemLocalTime clock_;
    std::unique_ptr<std::FILE, FileCloser> out_{std::tmpfile()};
    std::vector<std::string> steps_;
    int commitError_ = 0;
};

TEST_F(LogExportRunTest, WritesTheExportOfTheLogsEntriesThenCommits) {
    for (const bool csv : {false, true}) {
        steps_.clear();
        const LogExportOutcome outcome = ExportLogFile(Job(csv), clock_);
        EXPECT_EQ(outcome.failure, LogExportFailure::kNone);
        EXPECT_EQ(outcome.cause, "");
        ASSERT_GT(outcome.counts.entriesRead, 1000);
        const std::string opened = "opened " + std::to_string(outcome.counts.entriesRead);
        EXPECT_EQ(steps_, (std::vector<std::string>{opened, "exported", "commit"}));
        const std::string written = Contents(out_.get());

        // The same as the export of the entries read by hand.
        CollectingMessageSink readerSink;
        const Messages messages(kEnglish, readerSink);
        CQXLogFile reader(messages, clock_);
        std::string cause;
        ASSERT_TRUE(OpenLogEntries(reader, dir_.File("p1.zlg"), readerSink, cause)) << cause;
        std::unique_ptr<std::FILE, FileCloser> expected(std::tmpfile());
        const LogTextContext context(kEnglish, clock_);
        ASSERT_EQ(csv ? ExportCsv(reader, expected.get(), context, {})
                      : ExportText(reader, expected.get(), context, {}),
                  kExportOk);
        reader.Close();
        EXPECT_EQ(written, Contents(expected.get()));
        out_.reset(std::tmpfile());
    }
}

TEST_F(LogExportRunTest, EachFailureHasItsCause) {
    // A log that is not there: nothing exported, nothing committed.
    LogExportJob job = Job(false);
    job.logPath = dir_.File("none.log");
    LogExportOutcome outcome = ExportLogFile(job, clock_);
    EXPECT_EQ(outcome.failure, LogExportFailure::kOpen);
    EXPECT_FALSE(outcome.cause.empty());
    EXPECT_TRUE(steps_.empty());
    job.logPath = dir_.Path().string();
    EXPECT_EQ(ExportLogFile(job, clock_).cause, "is a folder, not a log file");

    // An output that cannot be put in place: the commit's errno.
    commitError_ = EEXIST;
    outcome = ExportLogFile(Job(true), clock_);
    EXPECT_EQ(outcome.failure, LogExportFailure::kWrite);
    EXPECT_EQ(outcome.writeError, EEXIST);
    EXPECT_EQ(outcome.cause, CannotWriteCause(EEXIST));

    // A stopped export is a write failure that commits nothing.
    commitError_ = 0;
    steps_.clear();
    job = Job(false);
    job.options.progress = [](int position, int) { return position == 0; };
    outcome = ExportLogFile(job, clock_);
    EXPECT_EQ(outcome.failure, LogExportFailure::kWrite);
    EXPECT_EQ(outcome.cause, CannotWriteCause(0));
    ASSERT_EQ(steps_.size(), 2u);
    EXPECT_EQ(steps_.back(), "exported");
    // Only the log's own files are left: the compressed log's temporary copy went with it.
    EXPECT_EQ(test::FileNames(dir_.Path()), std::vector<std::string>{"p1.zlg"});
}

}  // namespace
}  // namespace qx7
