#include "core/output/ExportOutput.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>

#include "core/output/OutputFile.h"
#include "core/text/StringTable.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

namespace fs = std::filesystem;

TEST(ExportOutputTest, TheOverwriteQuestionIsThePathAndString382InTheLanguage) {
    EXPECT_EQ(OverwriteQuestion(kEnglish, "/logs/p1.zlg.txt"),
              "/logs/p1.zlg.txt\nalready exists. Do you want to overwrite? ");
    std::string japanese;
    ASSERT_EQ(LoadLocalString(kJapanese, kMsgAlreadyExists, japanese), 0);
    EXPECT_EQ(OverwriteQuestion(kJapanese, "/logs/p1.zlg.txt"), "/logs/p1.zlg.txt\n" + japanese);
    EXPECT_STREQ(kOverwriteCaption, "QX-7 Service Tool");
}

#ifndef _WIN32  // FIFOs, links or /proc: Linux only
TEST(ExportOutputTest, AnythingOfTheNameCountsAsExistingButOnlyFilesAndLinksMayBeReplaced) {
    test::TempDir dir;
    const std::string log = dir.File("p1.log");
    test::WriteFile(log, "log");
    const std::string file = dir.File("p1.log.txt");
    test::WriteFile(file, "old");
    const std::string folder = dir.File("folder.txt");
    fs::create_directory(folder);
    const std::string dangling = dir.File("dangling.txt");
    fs::create_symlink(dir.File("nowhere"), dangling);
    const std::string toLog = dir.File("to-log.txt");
    fs::create_symlink(log, toLog);
    const std::string hardLog = dir.File("hard.txt");
    fs::create_hard_link(log, hardLog);
    const std::string pipe = dir.File("pipe.txt");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);

    EXPECT_FALSE(OutputPathExists(dir.File("missing.txt")));
    for (const std::string& path : {file, folder, dangling, toLog, hardLog, pipe}) {
        EXPECT_TRUE(OutputPathExists(path)) << path;
    }

    EXPECT_EQ(CheckOutput(dir.File("missing.txt"), log).cause, "");
    EXPECT_EQ(CheckOutput(file, log).cause, "");
    EXPECT_EQ(CheckOutput(dangling, log).cause, "");
    EXPECT_EQ(CheckOutput(folder, log).cause, "is a folder");
    // The log itself, by its own name, through a link or under a second name, is never an
    // output.
    for (const std::string& same : {log, toLog, hardLog}) {
        EXPECT_EQ(CheckOutput(same, log).cause, "is the log being read; choose another output")
            << same;
    }
    EXPECT_EQ(CheckOutput(pipe, log).cause.rfind("is not a regular file", 0), 0u);
}
#endif

TEST(ExportOutputTest, FailureCausesNameTheErrorAndAWriteWithoutOneIsAnIoError) {
    EXPECT_EQ(CannotCreateCause(ENOTDIR), "cannot create: Not a directory");
    EXPECT_EQ(CannotWriteCause(ENOSPC), "cannot write: No space left on device");
    EXPECT_EQ(CannotWriteCause(0), "cannot write: Input/output error");
    EXPECT_EQ(ReadFailedCause(16384), "read error after 16384 entries");
}

}  // namespace
}  // namespace qx7
