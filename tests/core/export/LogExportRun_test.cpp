// One export from the log's path: its steps in order, what it writes against the export of the
// same entries, and which failure it reports with which cause.

#include "core/export/LogExportRun.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

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

    // A job into a file beside the log, recording the steps as they come.
    LogExportJob Job(bool csv) {
        LogExportJob job;
        job.logPath = dir_.File("p1.zlg");
        job.csv = csv;
        job.outPath = Out();
        job.opened = [this](int entries) { steps_.push_back("opened " + std::to_string(entries)); };
        job.exported = [this] { steps_.emplace_back("exported"); };
        return job;
    }

    std::string Out() const { return dir_.File("out.txt"); }

    test::ScopedTimeZone tz_{"UTC"};
    test::TempDir dir_;
    SystemLocalTime clock_;
    std::vector<std::string> steps_;
};

TEST_F(LogExportRunTest, WritesTheExportOfTheLogsEntriesThenCommits) {
    for (const bool csv : {false, true}) {
        steps_.clear();
        LogExportJob job = Job(csv);
        // The output is published only after the log is closed: not there before.
        job.exported = [this] {
            steps_.emplace_back(std::filesystem::exists(Out()) ? "exported, out there"
                                                               : "exported");
        };
        job.existing = ExistingTarget::kReplace;  // the second round replaces the first
        const LogExportOutcome outcome = ExportLogFile(job, clock_);
        EXPECT_EQ(outcome.failure, LogExportFailure::kNone);
        EXPECT_EQ(outcome.cause, "");
        ASSERT_GT(outcome.counts.entriesRead, 1000);
        const std::string opened = "opened " + std::to_string(outcome.counts.entriesRead);
        EXPECT_EQ(steps_,
                  (std::vector<std::string>{opened, csv ? "exported, out there" : "exported"}));
        const std::string written = test::ReadFile(Out());

        // The same as the export of the entries read by hand.
        CQXLogFile reader(clock_);
        std::string cause;
        ASSERT_TRUE(OpenLogEntries(reader, dir_.File("p1.zlg"), kEnglish, cause)) << cause;
        std::unique_ptr<std::FILE, FileCloser> expected(std::tmpfile());
        const LogTextContext context(kEnglish, clock_);
        ASSERT_EQ(csv ? ExportCsv(reader, expected.get(), context, {})
                      : ExportText(reader, expected.get(), context, {}),
                  kExportOk);
        reader.Close();
        EXPECT_EQ(written, Contents(expected.get()));
    }
}

TEST_F(LogExportRunTest, AStreamOfTheCallersTakesTheExportAndNoFileIsMade) {
    std::unique_ptr<std::FILE, FileCloser> stream(std::tmpfile());
    LogExportJob job = Job(false);
    job.outPath.clear();
    job.stream = stream.get();
    const LogExportOutcome outcome = ExportLogFile(job, clock_);
    EXPECT_EQ(outcome.failure, LogExportFailure::kNone);
    EXPECT_GT(Contents(stream.get()).size(), 1000u);
    EXPECT_EQ(test::FileNames(dir_.Path()), std::vector<std::string>{"p1.zlg"});
}

TEST_F(LogExportRunTest, EachFailureHasItsCause) {
    // A log that is not there: nothing exported, no output left.
    LogExportJob job = Job(false);
    job.logPath = dir_.File("none.log");
    LogExportOutcome outcome = ExportLogFile(job, clock_);
    EXPECT_EQ(outcome.failure, LogExportFailure::kOpen);
    EXPECT_FALSE(outcome.cause.empty());
    EXPECT_TRUE(steps_.empty());
    job.logPath = dir_.Path().string();
    EXPECT_EQ(ExportLogFile(job, clock_).cause, "is a folder, not a log file");
    EXPECT_EQ(test::FileNames(dir_.Path()), std::vector<std::string>{"p1.zlg"});

    // The output is refused before the log is read: the log itself, an existing output kept.
    job = Job(true);
    job.outPath = job.logPath;
    job.existing = ExistingTarget::kReplace;
    outcome = ExportLogFile(job, clock_);
    EXPECT_EQ(outcome.failure, LogExportFailure::kOutput);
    EXPECT_EQ(outcome.output.failure, OutputFailure::kSameAsInput);
    EXPECT_EQ(outcome.cause, "is the log being read; choose another output");
    test::WriteFile(Out(), "old");
    outcome = ExportLogFile(Job(true), clock_);
    EXPECT_EQ(outcome.failure, LogExportFailure::kOutput);
    EXPECT_EQ(outcome.output.failure, OutputFailure::kExists);
    EXPECT_EQ(outcome.cause, CannotCreateCause(EEXIST));
    EXPECT_TRUE(steps_.empty());
    std::filesystem::remove(Out());

    // An output that appears while the export runs is kept: the publish's errno, and the
    // export made nothing of its own.
    job = Job(true);
    job.exported = [this] { test::WriteFile(Out(), "theirs"); };
    outcome = ExportLogFile(job, clock_);
    EXPECT_EQ(outcome.failure, LogExportFailure::kWrite);
    EXPECT_EQ(outcome.writeError, EEXIST);
    EXPECT_EQ(outcome.cause, CannotWriteCause(EEXIST));
    EXPECT_EQ(test::ReadFile(Out()), "theirs");
    std::filesystem::remove(Out());

    // A stopped export is a write failure that publishes nothing.
    steps_.clear();
    job = Job(false);
    job.options.progress = [](int position, int) { return position == 0; };
    outcome = ExportLogFile(job, clock_);
    EXPECT_EQ(outcome.failure, LogExportFailure::kWrite);
    EXPECT_EQ(outcome.cause, CannotWriteCause(0));
    ASSERT_EQ(steps_.size(), 2u);
    EXPECT_EQ(steps_.back(), "exported");
    // Only the log's own files are left: the compressed log's temporary copy went with it, and
    // no output.
    EXPECT_EQ(test::FileNames(dir_.Path()), std::vector<std::string>{"p1.zlg"});
}

}  // namespace
}  // namespace qx7
