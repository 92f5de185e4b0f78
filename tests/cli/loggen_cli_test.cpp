// qx7-loggen run as a user runs it.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "support/TempDir.h"

#ifdef QX7_LOGGEN_PATH

namespace qx7 {
namespace {

int RunLoggen(const std::string& arguments) {
    const std::string command =
        std::string(QX7_LOGGEN_PATH) + " " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(LoggenCliTest, WritesEachFormDeterministically) {
    test::TempDir dir;
    EXPECT_EQ(RunLoggen("--entries 500 --seed 4 -o " + dir.File("a.log")), 0);
    EXPECT_EQ(RunLoggen("--entries 500 --seed 4 -o " + dir.File("b.log")), 0);
    EXPECT_EQ(test::ReadFile(dir.File("a.log")), test::ReadFile(dir.File("b.log")));
    EXPECT_EQ(test::ReadFile(dir.File("a.log")).substr(0, 8), "QX7LG1XX");
    EXPECT_EQ(RunLoggen("--entries 500 --compressed -o " + dir.File("c.zlg")), 0);
    EXPECT_EQ(test::ReadFile(dir.File("c.zlg")).substr(0, 8), "QX7LG1ZL");
    EXPECT_EQ(RunLoggen("--entries 500 --bare --ring-words 1000 -o " + dir.File("d.bin")), 0);
    EXPECT_EQ(test::ReadFile(dir.File("d.bin")).size(), 4000u);
}

TEST(LoggenCliTest, RefusesBadOptionsAndNeverWritesThroughALink) {
    test::TempDir dir;
    EXPECT_NE(RunLoggen("--entries 10 --bare --compressed -o " + dir.File("x.log")), 0);
    EXPECT_EQ(RunLoggen("--entries 10 --start 2014-02-30 -o " + dir.File("x.log")), 2);
    EXPECT_NE(RunLoggen("--entries 10"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.log")));
    test::WriteFile(dir.File("file"), "");
    EXPECT_EQ(RunLoggen("--entries 10 -o " + dir.File("file") + "/x.log"), 1);

    test::WriteFile(dir.File("victim"), "keep");
    ASSERT_EQ(::symlink(dir.File("victim").c_str(), dir.File("link.log").c_str()), 0);
    EXPECT_EQ(RunLoggen("--entries 10 -o " + dir.File("link.log")), 0);
    EXPECT_EQ(test::ReadFile(dir.File("victim")), "keep");
}

TEST(LoggenCliTest, TheShippedSampleIsWhatItsDocumentedCommandMakes) {
    test::TempDir dir;
    ASSERT_EQ(RunLoggen("--entries 3000 --seed 2014 --compressed --no-future -q -o " +
                        dir.File("sample.zlg")),
              0);
    const std::string shipped = test::ReadFile(std::string(QX7_SOURCE_DIR) +
                                               "/res/samples/sample.zlg");
    EXPECT_LT(shipped.size(), 200u * 1024);
    EXPECT_EQ(test::ReadFile(dir.File("sample.zlg")), shipped);
}

}  // namespace
}  // namespace qx7

#endif
