// The built program as a user starts it: one copy a user; a second start hands its log to the
// running copy or brings it forward, and says so in its language only where it cannot; no
// display, no crash.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <QFile>
#include <QString>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "core/app/LogFileChoice.h"
#include "core/app/SecondStart.h"
#include "core/app/StartupDecision.h"
#include "core/text/StringTable.h"
#include "gui/app/Startup.h"
#include "gui/app/SingleInstance.h"
#include "support/ChildProcess.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7::test {
namespace {

// The process id a lock file names (Qt writes it on the first line).
pid_t LockHolder(const std::string& lockPath) {
    QFile file(QString::fromStdString(lockPath));
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    return static_cast<pid_t>(file.readLine().trimmed().toLong());
}

class ServiceToolProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(runtime);
        ::chmod(runtime.c_str(), 0700);
    }

    // The second copy, its messages on standard error, in the language of the locale given.
    ProgramResult StartSecond(const std::string& locale) {
        return RunProgram(QX7_SERVICE_TOOL_PATH, {},
                          {{"QX7_MESSAGES_TO_STDERR", "1"}, {"LC_ALL", locale}});
    }

    TempDir dir;
    std::filesystem::path runtime = dir.Path() / "runtime";
    std::string lockPath = (runtime / gui::kInstanceLockName).string();
    ScopedEnv runtimeDir{"XDG_RUNTIME_DIR", runtime.string()};
    ScopedEnv configDir{"XDG_CONFIG_HOME", (dir.Path() / "config").string()};
    ScopedEnv spoolDir{"QX7_SPOOL_DIR", (dir.Path() / "spool").string()};
    ScopedEnv platform{"QT_QPA_PLATFORM", "offscreen"};
};

TEST_F(ServiceToolProgram, ASecondStartBringsTheRunningCopyForwardAndEnds) {
    ChildProcess first(QX7_SERVICE_TOOL_PATH, {}, dir.File("first.err"));
    // The lock file is made first and then names its holder.
    ASSERT_TRUE(QTest::qWaitFor([&] { return LockHolder(lockPath) > 0; }, 10000));
    const pid_t holder = LockHolder(lockPath);

    for (const char* locale : {"C", "ja_JP.UTF-8"}) {
        const ProgramResult second = StartSecond(locale);
        EXPECT_EQ(second.exitCode, 0) << second.err;
        EXPECT_EQ(second.err, "") << locale;
    }

    // The first copy runs on and still holds its lock: the printer stays one copy's.
    EXPECT_EQ(::kill(holder, 0), 0);
    EXPECT_EQ(LockHolder(lockPath), holder);
    gui::SingleInstance third(QString::fromStdString(runtime.string()));
    EXPECT_EQ(third.Acquire(), gui::InstanceLock::kAlreadyRunning);
}

// A double-click on a log, or --browse LOG, while the window runs: the running copy takes the
// log on its road (here one that cannot be opened, so that it says so where a test can read).
TEST_F(ServiceToolProgram, ASecondStartHandsItsLogToTheRunningCopy) {
    ScopedEnv messages("QX7_MESSAGES_TO_STDERR", "1");
    ScopedEnv locale("LC_ALL", "C");
    ChildProcess first(QX7_SERVICE_TOOL_PATH, {}, dir.File("first.err"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return LockHolder(lockPath) > 0; }, 10000));
    const std::string missing = dir.File("gone-caf\xe9.zlg");
    const ProgramResult second = RunProgram(QX7_SERVICE_TOOL_PATH, {missing},
                                            {{"QX7_MESSAGES_TO_STDERR", "1"}, {"LC_ALL", "C"}});
    EXPECT_EQ(second.exitCode, 0) << second.err;
    std::string text;
    LoadLocalString(kEnglish, kMsgOpenFileFailed, text);
    const std::string shown = text + " (-10)";
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return ReadFile(dir.File("first.err")).find(shown) != std::string::npos; }, 20000))
        << ReadFile(dir.File("first.err"));
    const ProgramResult browse = RunProgram(QX7_SERVICE_TOOL_PATH, {"--browse", missing},
                                            {{"QX7_MESSAGES_TO_STDERR", "1"}});
    EXPECT_EQ(browse.exitCode, 0) << browse.err;
}

// Message 389 where the running copy does not answer (here a lock held by the test itself),
// naming the program as it is called here.
TEST_F(ServiceToolProgram, Message389WhenTheRunningCopyCannotBeReached) {
    gui::SingleInstance holder(QString::fromStdString(runtime.string()));
    ASSERT_EQ(holder.Acquire(), gui::InstanceLock::kAcquired);
    ProgramResult english;
    ProgramResult japanese;
    std::thread other([&] { japanese = StartSecond("ja_JP.UTF-8"); });
    english = StartSecond("C");
    other.join();
    EXPECT_EQ(english.exitCode, 1);
    EXPECT_NE(english.err.find("qx7-service-tool has already started."), std::string::npos)
        << english.err;
    EXPECT_EQ(japanese.exitCode, 1);
    EXPECT_NE(japanese.err.find(AlreadyStartedText(kJapanese, "qx7-service-tool")),
              std::string::npos)
        << japanese.err;
    EXPECT_EQ(english.err.find(".exe"), std::string::npos);
    EXPECT_EQ(japanese.err.find(".exe"), std::string::npos);
}

// Whatever a crash left where the lock goes, the window starts.
TEST_F(ServiceToolProgram, ABrokenLockDoesNotBlockTheWindow) {
    std::filesystem::create_directory(lockPath);
    ChildProcess first(QX7_SERVICE_TOOL_PATH, {}, dir.File("first.err"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return LockHolder(lockPath) > 0; }, 10000))
        << ReadFile(dir.File("first.err"));
}

TEST_F(ServiceToolProgram, ARuntimeFolderOthersCanWriteInIsNamed) {
    ::chmod(runtime.c_str(), 0777);
    const ProgramResult start = StartSecond("C");
    EXPECT_EQ(start.exitCode, 1);
    EXPECT_NE(
        start.err.find(runtime.string() + ": other users can write in the folder (mode 0777)"),
        std::string::npos)
        << start.err;
    EXPECT_EQ(start.err.find("(-281)"), std::string::npos);
}

// --help and --version need no display; without one the program says so in one line.
TEST_F(ServiceToolProgram, WithoutADisplayHelpWorksAndAStartSaysWhy) {
    ScopedEnv noX("DISPLAY", std::nullopt);
    ScopedEnv noWayland("WAYLAND_DISPLAY", std::nullopt);
    ScopedEnv noPlatform("QT_QPA_PLATFORM", std::nullopt);
    const ProgramResult help = RunProgram(QX7_SERVICE_TOOL_PATH, {"--help"});
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_NE(help.out.find("--open-log"), std::string::npos) << help.out;
    const ProgramResult version = RunProgram(QX7_SERVICE_TOOL_PATH, {"-demo", "--version"});
    EXPECT_EQ(version.exitCode, 0) << version.err;
    EXPECT_EQ(version.out.rfind("qx7-service-tool ", 0), 0u) << version.out;

    const ProgramResult start = RunProgram(QX7_SERVICE_TOOL_PATH, {}, {{"LC_ALL", "C"}});
    EXPECT_EQ(start.exitCode, 2);
    EXPECT_EQ(start.err,
              "qx7-service-tool: Cannot open a window: no display is set (DISPLAY or "
              "WAYLAND_DISPLAY).\n");
    const ProgramResult japanese =
        RunProgram(QX7_SERVICE_TOOL_PATH, {}, {{"LC_ALL", "ja_JP.UTF-8"}});
    EXPECT_EQ(japanese.exitCode, 2);
    EXPECT_NE(japanese.err.find("DISPLAY"), std::string::npos);
    EXPECT_EQ(std::count(japanese.err.begin(), japanese.err.end(), '\n'), 1);
    const ProgramResult usage = RunProgram(QX7_SERVICE_TOOL_PATH, {"--browse"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("--browse"), std::string::npos);
}

// The desktop entry: valid, and every action a command line the program takes.
TEST(DesktopEntryTest, ActionsReachEveryRoadAndTheEntryIsValid) {
    const std::string entry = ReadFile(QX7_DESKTOP_ENTRY_PATH);
    ASSERT_FALSE(entry.empty());
    EXPECT_NE(entry.find("\nActions=service;open-log;\n"), std::string::npos);
    const auto value = [&](const std::string& group, const std::string& key) {
        const std::size_t at = entry.find("[" + group + "]\n");
        if (at == std::string::npos) {
            return std::string();
        }
        const std::size_t end = entry.find("\n[", at + 1);
        const std::size_t line = entry.find("\n" + key + "=", at);
        if (line == std::string::npos || line > end) {
            return std::string();
        }
        const std::size_t from = line + key.size() + 2;
        return entry.substr(from, entry.find('\n', from) - from);
    };
    const auto options = [&](const std::string& group) {
        const std::vector<std::string> words = SplitCommandLine(value(group, "Exec"));
        EXPECT_FALSE(words.empty());
        EXPECT_EQ(words.front(), "qx7-service-tool");
        const gui::StartCommand command = gui::ParseStartCommand(
            "qx7-service-tool", std::vector<std::string>(words.begin() + 1, words.end()));
        EXPECT_EQ(command.action, gui::StartCommand::Action::kRun);
        return command.options;
    };
    EXPECT_TRUE(options("Desktop Action service").serviceMode);
    EXPECT_TRUE(options("Desktop Action open-log").chooseLog);
    EXPECT_EQ(value("Desktop Action service", "Name"), "Service mode");
    EXPECT_EQ(value("Desktop Action open-log", "Name"), "Open a saved log…");
    EXPECT_FALSE(value("Desktop Action service", "Name[ja]").empty());
    EXPECT_FALSE(value("Desktop Action open-log", "Name[ja]").empty());

    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "desktop-file-validate is not installed";
    }
    const ProgramResult check =
        RunProgram("/bin/sh", {"-c", "desktop-file-validate \"$0\"", QX7_DESKTOP_ENTRY_PATH});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    EXPECT_EQ(check.out + check.err, "");
}

TEST_F(ServiceToolProgram, TheLockOfACopyThatDiedIsTakenOver) {
    {
        ChildProcess first(QX7_SERVICE_TOOL_PATH, {}, dir.File("first.err"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return LockHolder(lockPath) > 0; }, 10000));
        first.Stop(SIGKILL);
    }
    ASSERT_TRUE(std::filesystem::exists(lockPath));
    gui::SingleInstance next(QString::fromStdString(runtime.string()));
    EXPECT_EQ(next.Acquire(), gui::InstanceLock::kAcquired);
}

}  // namespace
}  // namespace qx7::test
