// The built program as a user starts it: one copy a user, a second copy says so in its
// language and leaves the first running.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <QFile>
#include <QString>
#include <QTest>
#include <filesystem>
#include <string>

#include "core/app/StringTable.h"
#include "gui/app/SingleInstance.h"
#include "support/ChildProcess.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7::test {
namespace {

std::string Entry(LanguageId language, int number) {
    std::string text;
    LoadLocalString(language, number, text);
    return text;
}

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

TEST_F(ServiceToolProgram, ASecondCopyShowsMessage389InItsLanguageAndEnds) {
    ChildProcess first(QX7_SERVICE_TOOL_PATH, {}, dir.File("first.err"));
    // The lock file is made first and then names its holder.
    ASSERT_TRUE(QTest::qWaitFor([&] { return LockHolder(lockPath) > 0; }, 10000));
    const pid_t holder = LockHolder(lockPath);

    const ProgramResult english = StartSecond("C");
    EXPECT_EQ(english.exitCode, 1);
    EXPECT_NE(english.err.find(Entry(kEnglish, gui::kMsgAlreadyStarted)), std::string::npos)
        << english.err;

    const ProgramResult japanese = StartSecond("ja_JP.UTF-8");
    EXPECT_EQ(japanese.exitCode, 1);
    EXPECT_NE(japanese.err.find(Entry(kJapanese, gui::kMsgAlreadyStarted)), std::string::npos)
        << japanese.err;
    EXPECT_NE(Entry(kJapanese, gui::kMsgAlreadyStarted), Entry(kEnglish, gui::kMsgAlreadyStarted));

    // The first copy runs on and still holds its lock.
    EXPECT_EQ(::kill(holder, 0), 0);
    EXPECT_EQ(LockHolder(lockPath), holder);
    gui::SingleInstance third(QString::fromStdString(runtime.string()));
    EXPECT_EQ(third.Acquire(), gui::InstanceLock::kAlreadyRunning);
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
