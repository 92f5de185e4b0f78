#include "core/app/LogFileChoice.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>

#include "core/app/QVJServToolApp.h"
#include "core/base/PathText.h"
#include "loggen/LogBuilder.h"
#include "support/FakeSleeper.h"
#include "support/RecordingMessageSink.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

class LogFileChoiceTest : public ::testing::Test {
  protected:
    LogFileChoiceTest() { app.GoNext(178); }

    test::TempDir dir;
    test::RecordingMessageSink sink;
    CQVJServToolApp app{sink};
    test::SteppingClock clock{1700000000};
};

#ifndef _WIN32  // FIFOs, links or /proc: Linux only
TEST_F(LogFileChoiceTest, EmptyOrUnopenableNamesStayAndAreKept) {
    EXPECT_EQ(LogFileNext(app, ""), -1);
    EXPECT_EQ(LogFileNext(app, dir.File("missing.log")), -1);
    EXPECT_EQ(app.GetLogFileName(), dir.File("missing.log"));  // kept for the way back
    // A folder, a pipe and a device open on some systems, but none of them is a log file.
    ASSERT_EQ(::mkfifo(dir.File("pipe.log").c_str(), 0600), 0);
    EXPECT_EQ(LogFileNext(app, dir.Path().string()), -1);
    EXPECT_EQ(LogFileNext(app, dir.File("pipe.log")), -1);
    EXPECT_EQ(LogFileNext(app, "/dev/null"), -1);
    // A name whose parent is a regular file.
    test::WriteFile(dir.File("plain"), "x");
    EXPECT_EQ(LogFileNext(app, dir.File("plain") + "/a.log"), -1);
    EXPECT_EQ(sink.shown, (std::vector<std::string>{
                              "Please input the Log File Name. (-11)",
                              "Open file failed. Check file name. (-10)",
                              "Open file failed. Check file name. (-10)",
                              "Open file failed. Check file name. (-10)",
                              "Open file failed. Check file name. (-10)",
                              "Open file failed. Check file name. (-10)",
                          }));
    EXPECT_EQ(app.History(), std::vector<int>{178});
}
#endif

#ifndef _WIN32  // FIFOs, links or /proc: Linux only
TEST_F(LogFileChoiceTest, AnyReadableFileGoesOnWhateverItsForm) {
    test::WriteFile(dir.File("not a log.txt"), "hello");
    EXPECT_EQ(LogFileNext(app, dir.File("not a log.txt")), 225);
    std::filesystem::create_symlink(dir.File("not a log.txt"), dir.File("link.log"));
    EXPECT_EQ(LogFileNext(app, dir.File("link.log")), 225);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(app.History(), (std::vector<int>{178, 225, 225}));
}
#endif

TEST_F(LogFileChoiceTest, OnlyOneLocalFileMayBeDropped) {
    std::string edited = "/old/name.log";
    const std::string longPath = "/logs/" + std::string(300, 'a') + ".zlg";
    EXPECT_TRUE(TakeDroppedLogFile({{true, longPath}}, app.GetMessages(), edited));
    EXPECT_EQ(edited, longPath);  // taken whole, however long

    EXPECT_FALSE(
        TakeDroppedLogFile({{true, "/a.log"}, {true, "/b.log"}}, app.GetMessages(), edited));
    EXPECT_FALSE(
        TakeDroppedLogFile({{false, "https://example.com/a.log"}}, app.GetMessages(), edited));
    EXPECT_FALSE(TakeDroppedLogFile({}, app.GetMessages(), edited));
    EXPECT_EQ(edited, longPath);
    EXPECT_EQ(sink.shown, std::vector<std::string>(3, "Please drop only one file. (-12)"));
}

TEST_F(LogFileChoiceTest, ViewerButtonsFollowTheLogsForm) {
    const std::string plain = loggen::ContainerBuilder().SavedAt("201403151345").End().Plain();
    test::WriteFile(dir.File("c.log"), plain);
    test::WriteFile(dir.File("c.zlg"), loggen::Compress(plain));
    test::WriteFile(dir.File("bare.bin"), std::string(64, '\0'));
    std::string damaged = loggen::Compress(plain);
    damaged.resize(damaged.size() / 2);
    test::WriteFile(dir.File("damaged.zlg"), damaged);

    const auto buttons = [&](const std::string& name) {
        const LogViewerButtons b = ChooseLogViewerButtons(dir.File(name), clock);
        EXPECT_EQ(b.showSettings, b.showFileInfo);
        return b.showSettings;
    };
    EXPECT_TRUE(buttons("c.log"));
    EXPECT_TRUE(buttons("c.zlg"));
    EXPECT_FALSE(buttons("bare.bin"));
    EXPECT_TRUE(buttons("damaged.zlg"));
    EXPECT_TRUE(buttons("missing.log"));
    // The decompression's temporary files are gone again.
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 4u);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(LogFileChoiceTest, BrowseStartsInTheProgramFolderOnlyWhenItHoldsLogs) {
    const std::string program = dir.File("bin") + "/";
    const std::string home = dir.File("home");
    std::filesystem::create_directories(program);
    std::filesystem::create_directories(home);
    test::WriteFile(program + "qx7-service-tool", "program");
    // A folder named like a log is no log.
    std::filesystem::create_directories(program + "old.log");

    EXPECT_EQ(LogBrowseStart("", program, home), home);
    EXPECT_EQ(LogBrowseStart("p1.zlg", program, home), home + kPathSeparator + "p1.zlg");
    // Without a home folder the program folder stays, logs or not.
    EXPECT_EQ(LogBrowseStart("p1.zlg", program, ""), program + "p1.zlg");
    // An absolute name stands for itself, wherever the logs are.
#ifdef _WIN32
    const std::string absolute = "C:\\logs\\p1.log";
#else
    const std::string absolute = "/var/logs/p1.log";
#endif
    EXPECT_EQ(LogBrowseStart(absolute, program, home), absolute);

    test::WriteFile(program + "P2.ZLG", "log");
    EXPECT_EQ(LogBrowseStart("", program, home), program);
    EXPECT_EQ(LogBrowseStart("p1.zlg", program, home), program + "p1.zlg");
    // A program folder that cannot be read holds no logs.
    EXPECT_EQ(LogBrowseStart("", dir.File("missing") + "/", home), home);
}

}  // namespace
}  // namespace qx7
