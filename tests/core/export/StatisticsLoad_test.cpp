// Opening a log for the statistics: the record list from a stream, special files refused at
// once, and compressed logs read through a private copy that nobody else sees.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <filesystem>
#include <vector>

#include "core/export/StatisticsFiles.h"
#include "core/log/LogFileAccess.h"
#include "core/log/LogList.h"
#include "loggen/LogBuilder.h"
#include "platform/SystemLocalTime.h"
#include "support/LogEntryBytes.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

namespace fs = std::filesystem;
using test::EntryBytes;

[[maybe_unused]] std::size_t EntriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class StatisticsLoadTest : public ::testing::Test {
  protected:
    // A FIFO without a writer used to block the loading for ever: a watchdog ends the test
    // process instead of letting it hang, and /dev/zero used to be read without end.
    void SetUp() override {
        QX7_SKIP_UNLESS_PINNED(tz);
#ifndef _WIN32
        ::alarm(120);
#endif
    }
#ifndef _WIN32
    void TearDown() override {
        ::alarm(0);
    }
#endif

    std::string Log() const {
        return "QX7LG1XX" + std::string(28, '0') + EntryBytes(100, 0x00010000) +
               EntryBytes(200, 0x91000000) + EntryBytes(300, 0x12600000);
    }

    test::ScopedTimeZone tz{"UTC"};
    test::TempDir dir;
    test::TempDir temporaries;
    test::ScopedEnv tmpdir{"TMPDIR", temporaries.Path().string()};
    SystemLocalTime localTime;
    CLogList records;
};

TEST_F(StatisticsLoadTest, TheRecordListReadsAStreamWholeAndOutlivesIt) {
    test::WriteFile(dir.File("p1.log"), Log());
    std::FILE* file = std::fopen(dir.File("p1.log").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    // The stream's position does not matter, and the list keeps reading after it is closed.
    ASSERT_EQ(std::fseek(file, 36 + 4, SEEK_SET), 0);
    EXPECT_EQ(records.Load(file, localTime), 0);
    std::fclose(file);
    ASSERT_EQ(records.GetCount(), 3U);
    std::vector<std::uint32_t> codes;
    for (const CLogRecord& record : records) {
        for (const std::uint32_t code : {0x00010000U, 0x91000000U, 0x12600000U}) {
            if (record.IsCode(code)) {
                codes.push_back(code);
            }
        }
    }
    EXPECT_EQ(codes, (std::vector<std::uint32_t>{0x00010000U, 0x91000000U, 0x12600000U}));
}

#ifndef _WIN32  // FIFOs, links or /proc: Linux only
TEST_F(StatisticsLoadTest, FoldersFifosAndDevicesAreRefusedAtOnce) {
    ASSERT_EQ(::mkfifo(dir.File("fifo.zlg").c_str(), 0600), 0);
    for (const std::string& path :
         {dir.File("fifo.zlg"), std::string("/dev/zero"), dir.Path().string()}) {
        EXPECT_EQ(records.Load(path, localTime), kLogNotRegularFile) << path;
        EXPECT_EQ(LoadStatisticsRecords(path, records, localTime), kLogNotRegularFile) << path;
        EXPECT_TRUE(records.IsEmpty());
    }
}
#endif

#ifndef _WIN32  // FIFOs, links or /proc: Linux only
TEST_F(StatisticsLoadTest, CompressedLogsLeaveNoFileBesideThemOrInTheTemporaryFolder) {
    test::WriteFile(dir.File("p1.zlg"), loggen::Compress(Log()));
    ASSERT_EQ(LoadStatisticsRecords(dir.File("p1.zlg"), records, localTime), 0);
    EXPECT_EQ(records.GetCount(), 3U);
    EXPECT_EQ(EntriesIn(dir.Path()), 1U);
    EXPECT_EQ(EntriesIn(temporaries.Path()), 0U);

    // In a folder where nobody can create a file (/proc/self/fd) the log is read all the same.
    std::FILE* held = std::fopen(dir.File("p1.zlg").c_str(), "rb");
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(LoadStatisticsRecords("/proc/self/fd/" + std::to_string(::fileno(held)), records,
                                    localTime),
              0);
    std::fclose(held);
    EXPECT_EQ(records.GetCount(), 3U);

    // A temporary folder that cannot take the copy gives -2 and no records.
    const test::ScopedEnv missing("TMPDIR", dir.File("missing"));
    EXPECT_EQ(LoadStatisticsRecords(dir.File("p1.zlg"), records, localTime), -2);
    EXPECT_TRUE(records.IsEmpty());
}
#endif

}  // namespace
}  // namespace qx7
