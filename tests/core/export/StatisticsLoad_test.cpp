// Opening a log for the statistics: the record list from a stream, special files refused at
// once, and compressed logs read through a private copy that nobody else sees.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/export/StatisticsFiles.h"
#include "core/log/Inflate.h"
#include "core/log/LogDecompress.h"
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

#ifndef _WIN32  // the inflate while reading: Linux only
// The records are counted while the copy is inflated: a log that inflates badly still answers
// as when the copy was complete first, with no records, with either inflater; a good one gives
// all its records.
TEST_F(StatisticsLoadTest, ACompressedLogAnswersAsItsInflateWhileItsRecordsAreCounted) {
    std::string many;
    for (std::uint32_t i = 0; i < 200000; ++i) {
        many += EntryBytes(100 + i, 0x91000000 + i % 5);
    }
    const std::string plain = "QX7LG1XX" + std::string(28, '0') + many;
    const std::string zlg = loggen::Compress(plain);
    std::string badCheck = zlg;
    badCheck[badCheck.size() - 6] = static_cast<char>(badCheck[badCheck.size() - 6] ^ 0x01);
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"cut in the middle", zlg.substr(0, zlg.size() / 2)},
        {"cut in the trailer", zlg.substr(0, zlg.size() - 2)},
        {"wrong check value", badCheck},
        {"magic only", "QX7LG1ZL"},
        {"not gzip after the magic", "QX7LG1ZL" + many},
    };
    for (const char* inflater : {"isa-l", "zlib"}) {
        if (std::string(inflater) == "isa-l" && !Inflate::HasIsal()) {
            continue;
        }
        const test::ScopedEnv chosen("QX7_INFLATER", std::string(inflater));
        test::WriteFile(dir.File("good.zlg"), zlg);
        ASSERT_EQ(LoadStatisticsRecords(dir.File("good.zlg"), records, localTime), 0) << inflater;
        EXPECT_EQ(records.GetCount(), 200000U) << inflater;
        std::size_t walked = 0;
        for (const CLogRecord& record : records) {
            EXPECT_EQ(record.GetCode(), 0x91000000 + walked % 5);
            ++walked;
        }
        EXPECT_EQ(walked, 200000U) << inflater;
        for (const auto& [what, bytes] : damaged) {
            test::WriteFile(dir.File("bad.zlg"), bytes);
            std::FILE* source = std::fopen(dir.File("bad.zlg").c_str(), "rb");
            ASSERT_NE(source, nullptr);
            std::fseek(source, 8, SEEK_SET);
            std::FILE* out = nullptr;
            const int atOnce = DecompressContainer(source, out);
            std::fclose(source);
            ASSERT_NE(atOnce, 0) << what;
            int error = -1;
            EXPECT_EQ(LoadStatisticsRecords(dir.File("bad.zlg"), records, localTime, &error),
                      atOnce)
                << inflater << ": " << what;
            EXPECT_EQ(error, 0) << what;
            EXPECT_TRUE(records.IsEmpty()) << what;
        }
        EXPECT_EQ(EntriesIn(temporaries.Path()), 0U);
    }
}
#endif

}  // namespace
}  // namespace qx7
