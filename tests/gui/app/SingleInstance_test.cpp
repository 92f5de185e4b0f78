// The per-user lock that keeps a second copy from starting.

#include <gtest/gtest.h>
#include <sys/time.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "gui/app/SingleInstance.h"
#include "gui/app/Startup.h"
#include "support/TempDir.h"

namespace qx7::test {
namespace {

using gui::InstanceLock;
using gui::SingleInstance;

TEST(SingleInstanceTest, OnlyTheFirstHolderRunsUntilItEnds) {
    TempDir dir;
    const QString folder = QString::fromStdString(dir.Path().string());
    {
        SingleInstance first(folder);
        ASSERT_EQ(first.Acquire(), InstanceLock::kAcquired);
        EXPECT_TRUE(QFileInfo::exists(first.LockPath()));
        SingleInstance second(folder);
        EXPECT_EQ(second.Acquire(), InstanceLock::kAlreadyRunning);
        EXPECT_TRUE(QFileInfo::exists(first.LockPath()));
    }
    SingleInstance third(folder);
    EXPECT_EQ(third.Acquire(), InstanceLock::kAcquired);
}

TEST(SingleInstanceTest, ALockHeldForLongStillCounts) {
    TempDir dir;
    const QString folder = QString::fromStdString(dir.Path().string());
    SingleInstance first(folder);
    ASSERT_EQ(first.Acquire(), InstanceLock::kAcquired);
    // An hour old: Qt's default would call it stale after 30 seconds.
    const QByteArray path = QFile::encodeName(first.LockPath());
    timeval times[2] = {};
    ::gettimeofday(&times[0], nullptr);
    times[0].tv_sec -= 3600;
    times[1] = times[0];
    ASSERT_EQ(::utimes(path.constData(), times), 0);
    SingleInstance second(folder);
    EXPECT_EQ(second.Acquire(), InstanceLock::kAlreadyRunning);
}

TEST(SingleInstanceTest, AFolderThatCannotHoldTheLockFails) {
    TempDir dir;
    const std::string file = dir.File("plain");
    QFile(QString::fromStdString(file)).open(QIODevice::WriteOnly);
    SingleInstance blocked(QString::fromStdString(file + "/sub"));
    EXPECT_EQ(blocked.Acquire(), InstanceLock::kFailed);
    EXPECT_EQ(blocked.LockPath(), QString::fromStdString(file + "/sub/QX7SERVICETOOL.lock"));
}

TEST(SingleInstanceTest, TheDefaultFolderIsTheUsersRuntimeFolder) {
    SingleInstance instance;
    EXPECT_EQ(instance.LockPath(),
              QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).filePath("QX7SERVICETOOL.lock"));
}

TEST(StartupTest, CommandLineAndServiceOption) {
    const QStringList plain{"/opt/x/qx7-service-tool", "-DEMO"};
    EXPECT_EQ(gui::CommandLineText(plain), "/opt/x/qx7-service-tool -DEMO");
    EXPECT_FALSE(gui::ParseGuiOptions(plain).serviceMode);
    EXPECT_TRUE(
        gui::ParseGuiOptions({"/opt/x/qx7-service-tool", "-demo", "--service"}).serviceMode);
    // The program's own path is no option, and the option is spelt exactly.
    EXPECT_FALSE(gui::ParseGuiOptions({"--service"}).serviceMode);
    EXPECT_FALSE(gui::ParseGuiOptions({"tool", "--services", "-service"}).serviceMode);
}

}  // namespace
}  // namespace qx7::test
