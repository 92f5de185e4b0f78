// What the log reader refuses to open, and how large a file it takes as a bare log.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>

#include "core/log/LogFileAccess.h"
#include "core/log/LogOpening.h"
#include "core/log/QXLogFile.h"
#include "loggen/LogBuilder.h"
#include "support/FixedNowLocalTime.h"
#include "support/TempDir.h"

// FIFOs and sparse files made with POSIX calls: Linux only; tests/platform/win32 covers Windows.
#ifndef _WIN32

namespace qx7 {
namespace {

class QXLogFileOpenTest : public ::testing::Test {
  protected:
    // A FIFO without a writer used to block the opening for ever: a watchdog ends the test
    // process instead of letting it hang.
    void SetUp() override { ::alarm(120); }
    void TearDown() override { ::alarm(0); }

    test::TempDir dir;
    test::FixedNowLocalTime clock{test::kPrinterEpoch + 480000000};
};

TEST_F(QXLogFileOpenTest, OnlyRegularFilesAreLogs) {
    ASSERT_EQ(::mkfifo(dir.File("fifo.zlg").c_str(), 0600), 0);
    CQXLogFile reader(clock);
    for (const std::string& path :
         {dir.File("fifo.zlg"), std::string("/dev/zero"), dir.Path().string()}) {
        EXPECT_EQ(reader.Open(path), kLogNotRegularFile) << path;
        EXPECT_FALSE(reader.OpenRawLog(path)) << path;
        EXPECT_TRUE(reader.Report().Empty()) << path;
        std::string header;
        EXPECT_EQ(reader.ReadHeaderText(path, header), kLogNotRegularFile) << path;
        EXPECT_FALSE(reader.Close()) << path;
    }
}

TEST_F(QXLogFileOpenTest, FileSizeTellsABareLogTooLargeForTheReader) {
    // A sparse file costs no disk.
    const std::string path = dir.File("huge.bin");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(3ULL << 30)), 0);
    ::close(fd);
    CQXLogFile reader(clock);
    EXPECT_EQ(reader.FileSize(), 0U);
    ASSERT_EQ(reader.Open(path), 0);
    EXPECT_EQ(reader.FileSize(), 3ULL << 30);
    EXPECT_GE(reader.FileSize(), kMaxLogDataBytes);
    EXPECT_FALSE(reader.OpenRawLog(path));

    // For a compressed log it is the size of the inflated container.
    const std::string plain =
        loggen::ContainerBuilder().LogData(std::string(4000, '\0')).End().Plain();
    test::WriteFile(dir.File("p1.zlg"), loggen::Compress(plain));
    ASSERT_EQ(reader.Open(dir.File("p1.zlg")), 1);
    EXPECT_EQ(reader.FileSize(), plain.size());
    reader.Close();
    EXPECT_EQ(reader.FileSize(), 0U);
}

// The reader tells why it could not open, for the front end to word: the system's cause, or
// a container that ends within its header (it exists: damaged, not missing).
TEST_F(QXLogFileOpenTest, OpenFailuresCarryTheirCause) {
    CQXLogFile reader(clock);
    EXPECT_EQ(reader.Open(dir.File("missing.log")), -1);
    EXPECT_EQ(reader.OpenError(), ENOENT);
    EXPECT_EQ(OpenFailureCause(-1, reader.OpenError()), "cannot open: No such file or directory");
    std::string header;
    EXPECT_EQ(reader.ReadHeaderText(dir.File("missing.log"), header), -1);
    EXPECT_EQ(reader.OpenError(), ENOENT);

    for (const std::string& bytes :
         {std::string("QX7LG1XX"), std::string("QX7LG1XX1234"), loggen::Compress("QX7LG1XX")}) {
        test::WriteFile(dir.File("cut.zlg"), bytes);
        EXPECT_EQ(reader.ReadHeaderText(dir.File("cut.zlg"), header), kLogHeaderCut);
        EXPECT_EQ(reader.OpenError(), 0);
        reader.Close();
    }
    EXPECT_EQ(OpenFailureCause(kLogHeaderCut, 0),
              "is damaged: it ends within its header and holds no log entries");
    // A successful open leaves no cause from an earlier failure.
    test::WriteFile(dir.File("bare.bin"), std::string(64, '\0'));
    EXPECT_EQ(reader.Open(dir.File("bare.bin")), 0);
    EXPECT_EQ(reader.OpenError(), 0);
    EXPECT_TRUE(reader.Report().Empty());
}

}  // namespace
}  // namespace qx7

#endif  // _WIN32
