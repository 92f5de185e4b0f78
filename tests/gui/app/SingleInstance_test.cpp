// The per-user lock that keeps a second copy from starting, whatever a crash or another
// program left in its place; and the command line read before Qt starts.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fstream>

#include "core/text/StringTable.h"
#include "gui/app/SingleInstance.h"
#include "gui/app/Startup.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7::test {
namespace {

using gui::InstanceLock;
using gui::SingleInstance;

QString Q(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string Text(LanguageId language, int number) {
    std::string text;
    LoadLocalString(language, number, text);
    return text;
}

class SingleInstanceTest : public ::testing::Test {
  protected:
    void SetUp() override { ::chmod(dir.Path().c_str(), 0700); }
    std::string LockFile() const { return dir.File(gui::kInstanceLockName); }
    QString Folder() const { return Q(dir.Path().string()); }

    TempDir dir;
};

TEST_F(SingleInstanceTest, OnlyTheFirstHolderRunsUntilItEnds) {
    {
        SingleInstance first(Folder());
        ASSERT_EQ(first.Acquire(), InstanceLock::kAcquired);
        EXPECT_TRUE(QFileInfo::exists(first.LockPath()));
        SingleInstance second(Folder());
        EXPECT_EQ(second.Acquire(), InstanceLock::kAlreadyRunning);
        EXPECT_EQ(second.Acquire(), InstanceLock::kAlreadyRunning);
        EXPECT_EQ(second.SocketPath(), Folder() + "/QX7SERVICETOOL.socket");
    }
    SingleInstance third(Folder());
    EXPECT_EQ(third.Acquire(), InstanceLock::kAcquired);
    // The file names its holder, for people looking.
    std::ifstream in(LockFile());
    long pid = 0;
    in >> pid;
    EXPECT_EQ(pid, ::getpid());
}

TEST_F(SingleInstanceTest, ALockHeldForLongStillCounts) {
    SingleInstance first(Folder());
    ASSERT_EQ(first.Acquire(), InstanceLock::kAcquired);
    timeval times[2] = {};
    ::gettimeofday(&times[0], nullptr);
    times[0].tv_sec -= 3600;
    times[1] = times[0];
    ASSERT_EQ(::utimes(LockFile().c_str(), times), 0);
    SingleInstance second(Folder());
    EXPECT_EQ(second.Acquire(), InstanceLock::kAlreadyRunning);
}

// Whatever stands in the lock file's place, no copy holds it: the next start takes it over.
TEST_F(SingleInstanceTest, ABrokenOrStaleLockIsTakenOver) {
    const auto write = [&](const std::string& bytes) {
        std::filesystem::remove_all(LockFile());
        std::ofstream(LockFile(), std::ios::binary) << bytes;
    };
    // Another process's pid: alive, but it holds no lock on the file.
    const std::string cases[] = {"", "\x01\xff garbage\n\n", std::to_string(::getppid()) + "\n",
                                 "99999999\nhost\napp\n"};
    for (const std::string& bytes : cases) {
        write(bytes);
        SingleInstance instance(Folder());
        EXPECT_EQ(instance.Acquire(), InstanceLock::kAcquired) << bytes;
    }
    // An empty folder, a dangling link and a pipe (which must not make the start wait).
    std::filesystem::remove_all(LockFile());
    std::filesystem::create_directory(LockFile());
    {
        SingleInstance instance(Folder());
        EXPECT_EQ(instance.Acquire(), InstanceLock::kAcquired);
        EXPECT_TRUE(std::filesystem::is_regular_file(LockFile()));
    }
    std::filesystem::remove(LockFile());
    std::filesystem::create_symlink(dir.File("nowhere"), LockFile());
    {
        SingleInstance instance(Folder());
        EXPECT_EQ(instance.Acquire(), InstanceLock::kAcquired);
        EXPECT_FALSE(std::filesystem::exists(dir.File("nowhere")));
    }
    std::filesystem::remove(LockFile());
    ASSERT_EQ(::mkfifo(LockFile().c_str(), 0600), 0);
    {
        SingleInstance instance(Folder());
        EXPECT_EQ(instance.Acquire(), InstanceLock::kAcquired);
    }
}

// What cannot be used is named with its path and the cause, in the user's language.
TEST_F(SingleInstanceTest, AnUnusableFolderOrLockIsNamed) {
    const auto failure = [](const std::string& folder, LanguageId language) {
        SingleInstance instance(Q(folder));
        EXPECT_EQ(instance.Acquire(), InstanceLock::kFailed) << folder;
        return instance.FailureText(language).toStdString();
    };
    const std::string prefix = Text(kEnglish, gui::kMsgLockNotMade);
    const std::string lead = prefix.substr(0, prefix.find("%1"));

    const std::string open = dir.File("open");
    std::filesystem::create_directory(open);
    ::chmod(open.c_str(), 0777);
    EXPECT_EQ(failure(open, kEnglish),
              lead + open + ": other users can write in the folder (mode 0777)");
    const std::string japanese = failure(open, kJapanese);
    EXPECT_NE(japanese.find(open), std::string::npos) << japanese;
    EXPECT_NE(japanese.find("0777"), std::string::npos) << japanese;
    EXPECT_EQ(japanese.find("Internal"), std::string::npos) << japanese;

    const std::string file = dir.File("plain");
    std::ofstream(file) << "x";
    EXPECT_EQ(failure(file, kEnglish), lead + file + ": this is not a folder");
    EXPECT_NE(failure(dir.File("missing"), kEnglish).find(dir.File("missing") + ": "),
              std::string::npos);

    const std::string crowded = dir.File("crowded");
    std::filesystem::create_directories(crowded + "/" + gui::kInstanceLockName + "/inside");
    ::chmod(crowded.c_str(), 0700);
    EXPECT_EQ(failure(crowded, kEnglish),
              lead + crowded + "/" + gui::kInstanceLockName +
                  ": a folder that holds files stands in the lock file's place");
}

TEST_F(SingleInstanceTest, TheDefaultFolderIsTheUsersRuntimeFolder) {
    {
        ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path().string());
        SingleInstance instance;
        EXPECT_EQ(instance.LockPath(), Folder() + "/QX7SERVICETOOL.lock");
    }
    // Without one, a private folder of the user's in the temporary folder, as Qt's own.
    ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
    ScopedEnv temporary("TMPDIR", dir.Path().string());
    SingleInstance instance;
    EXPECT_TRUE(instance.Folder().startsWith(Folder() + "/runtime-"))
        << instance.Folder().toStdString();
    EXPECT_EQ(instance.Acquire(), InstanceLock::kAcquired);
    EXPECT_EQ(QFileInfo(instance.Folder()).permissions() & 0x0077, 0);
}

TEST(StartCommandTest, OptionsAnywhereAndTheLogsBytesKept) {
    using Action = gui::StartCommand::Action;
    const auto parse = [](std::vector<std::string> arguments) {
        return gui::ParseStartCommand("qx7-service-tool", arguments);
    };
    const gui::StartCommand help = parse({"-demo", "--help"});
    EXPECT_EQ(help.action, Action::kHelp);
    for (const char* option : {"--service", "--browse", "--open-log", "--version", "-demo"}) {
        EXPECT_NE(help.text.find(option), std::string::npos) << option;
    }
    const gui::StartCommand version = parse({"--version"});
    EXPECT_EQ(version.action, Action::kVersion);
    EXPECT_EQ(version.text.rfind("qx7-service-tool ", 0), 0u) << version.text;

    const std::string latin1 = "/media/usb/caf\xe9.log";
    gui::StartCommand run = parse({"-DEMO", latin1, "--service"});
    EXPECT_EQ(run.action, Action::kRun);
    EXPECT_EQ(run.options.logFile, latin1);
    EXPECT_TRUE(run.options.serviceMode);
    EXPECT_FALSE(run.options.browseOnly);
    run = parse({"--browse", latin1, "-demo"});
    EXPECT_TRUE(run.options.browseOnly);
    EXPECT_EQ(run.options.logFile, latin1);
    run = parse({"--browse", "-demo"});
    EXPECT_EQ(run.options.logFile, "-demo");
    EXPECT_TRUE(parse({"--open-log"}).options.chooseLog);
    // Qt's own options and their values are Qt's.
    run = parse({"-platform", "offscreen", "-style", "fusion", "a.zlg"});
    EXPECT_EQ(run.options.logFile, "a.zlg");
    EXPECT_EQ(parse({"--", "-demo"}).options.logFile, "-demo");
    // The log of --browse is required.
    const gui::StartCommand missing = parse({"--browse"});
    EXPECT_EQ(missing.action, Action::kUsage);
    EXPECT_NE(missing.text.find("--browse"), std::string::npos) << missing.text;

    // As Qt holds the arguments (program path first).
    EXPECT_TRUE(gui::ParseGuiOptions({"/opt/x/qx7-service-tool", "-demo", "--service"})
                    .serviceMode);
    EXPECT_FALSE(gui::ParseGuiOptions({"--service"}).serviceMode);
    EXPECT_FALSE(gui::ParseGuiOptions({"tool", "--services", "-service"}).serviceMode);
}

}  // namespace
}  // namespace qx7::test
