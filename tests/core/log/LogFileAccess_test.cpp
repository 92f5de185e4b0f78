#include "core/log/LogFileAccess.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <filesystem>

#include "support/TempDir.h"

// FIFOs, devices, links and descriptor flags are Linux's; tests/platform/win32 covers Windows.
#ifndef _WIN32

namespace qx7 {
namespace {

// A FIFO without a writer would block a plain opening for ever: a watchdog ends the test
// process instead of letting it hang.
class LogFileAccessTest : public ::testing::Test {
  protected:
    void SetUp() override { ::alarm(120); }
    void TearDown() override { ::alarm(0); }
    test::TempDir dir;
};

TEST_F(LogFileAccessTest, RegularFilesAndLinksToThemOpenForBlockingReads) {
    test::WriteFile(dir.File("p1.log"), "QX7LG1XX");
    std::filesystem::create_symlink(dir.File("p1.log"), dir.File("link.log"));
    for (const char* name : {"p1.log", "link.log"}) {
        int answer = 99;
        std::FILE* file = OpenLogFile(dir.File(name), answer);
        ASSERT_NE(file, nullptr) << name;
        EXPECT_EQ(answer, 0);
        EXPECT_EQ(::fcntl(::fileno(file), F_GETFL) & O_NONBLOCK, 0);
        EXPECT_NE(::fcntl(::fileno(file), F_GETFD) & FD_CLOEXEC, 0);
        char magic[8];
        EXPECT_EQ(std::fread(magic, 1, sizeof magic, file), sizeof magic);
        std::fclose(file);
    }
    int answer = 0;
    errno = 0;
    EXPECT_EQ(OpenLogFile(dir.File("missing.log"), answer), nullptr);
    EXPECT_EQ(answer, -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(LogFileAccessTest, FoldersFifosDevicesAndLinksToThemAreRefusedAtOnce) {
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir.File("fifo"), dir.File("fifo.log"));
    for (const std::string& path : {dir.File("fifo"), dir.File("fifo.log"), dir.Path().string(),
                                    std::string("/dev/zero"), std::string("/dev/null")}) {
        int answer = 0;
        EXPECT_EQ(OpenLogFile(path, answer), nullptr) << path;
        EXPECT_EQ(answer, kLogNotRegularFile) << path;
    }
}

}  // namespace
}  // namespace qx7

#endif  // _WIN32
