#include "core/base/AtomicOutputFile.h"

#ifndef _WIN32
#include <fcntl.h>
#endif
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <thread>
#include <vector>

#include "core/base/SignalCleanup.h"
#include "support/TempDir.h"

// Permissions, links, FIFOs, fork and signals: Linux only; tests/platform/win32 covers Windows.
#ifndef _WIN32

namespace qx7 {
namespace {

namespace fs = std::filesystem;
using qx7::test::FileNames;
using qx7::test::ModeOf;

// Every case runs with unnamed temporaries (where the file system has them, as the temporary
// folders of test machines do) and with the named fallback.
class AtomicOutputFileTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override { AtomicOutputFile::UseNamedTemporaries(GetParam()); }
    void TearDown() override { AtomicOutputFile::UseNamedTemporaries(false); }

    test::TempDir dir;
};

TEST_P(AtomicOutputFileTest, TargetAppearsOnlyOnCommit) {
    const std::string target = dir.File("out.txt");
    AtomicOutputFile file;
    ASSERT_EQ(file.Open(target, ExistingTarget::kKeep), 0);
    ASSERT_TRUE(file.Write("line\r\n"));
    EXPECT_FALSE(fs::exists(target));
    // Only the named fallback shows a (hidden, short) name while writing.
    EXPECT_EQ(FileNames(dir.Path()).size(), GetParam() ? 1U : 0U);
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(test::ReadFile(target), "line\r\n");
    EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"out.txt"});
}

TEST_P(AtomicOutputFileTest, AbandonedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    const std::string target = dir.File("out.txt");
    test::WriteFile(target, "old");
    {
        AtomicOutputFile file;
        ASSERT_EQ(file.Open(target, ExistingTarget::kReplace), 0);
        file.Write("half");
    }
    EXPECT_EQ(test::ReadFile(target), "old");
    EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"out.txt"});
}

// Large outputs are handed to the disk while they are written; that must change nothing of
// what appears, of what an abandoned output leaves, or of how soon either ends.
TEST_P(AtomicOutputFileTest, LargeOutputsSyncedWhileWrittenCommitWholeOrLeaveNothing) {
    const std::string target = dir.File("big.txt");
    test::WriteFile(target, "old");
    std::string piece(1 << 20, 'x');
    for (std::size_t i = 0; i < piece.size(); i += 64) {
        piece[i] = static_cast<char>('a' + i / 64 % 26);
    }
    constexpr int kPieces = 24;  // three times the amount that starts a sync
    {
        AtomicOutputFile abandoned;
        ASSERT_EQ(abandoned.Open(target, ExistingTarget::kReplace), 0);
        for (int i = 0; i < kPieces; ++i) {
            ASSERT_TRUE(abandoned.Write(piece));
            if (i % 8 == 7) {
                std::fflush(abandoned.Stream());
                std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a sync starts
            }
        }
    }
    EXPECT_EQ(test::ReadFile(target), "old");
    EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"big.txt"});

    AtomicOutputFile file;
    ASSERT_EQ(file.Open(target, ExistingTarget::kReplace), 0);
    for (int i = 0; i < kPieces; ++i) {
        ASSERT_TRUE(file.Write(piece));
        if (i % 8 == 7) {
            std::fflush(file.Stream());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ASSERT_TRUE(file.Commit());
    const std::string written = test::ReadFile(target);
    ASSERT_EQ(written.size(), kPieces * piece.size());
    for (int i = 0; i < kPieces; ++i) {
        ASSERT_TRUE(written.compare(static_cast<std::size_t>(i) * piece.size(), piece.size(),
                                    piece) == 0)
            << "piece " << i;
    }
    EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"big.txt"});
}

TEST_P(AtomicOutputFileTest, KeepNeverReplacesAFileThereAtOpenOrAppearingBeforeCommit) {
    const std::string target = dir.File("out.txt");
    test::WriteFile(target, "mine");
    AtomicOutputFile refused;
    EXPECT_EQ(refused.Open(target, ExistingTarget::kKeep), EEXIST);

    const std::string later = dir.File("later.txt");
    AtomicOutputFile file;
    ASSERT_EQ(file.Open(later, ExistingTarget::kKeep), 0);
    file.Write("new");
    test::WriteFile(later, "appeared meanwhile");
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(file.Error(), EEXIST);
    EXPECT_EQ(test::ReadFile(later), "appeared meanwhile");
    EXPECT_EQ(test::ReadFile(target), "mine");
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"later.txt", "out.txt"}));
}

TEST_P(AtomicOutputFileTest, RacingWritersToOneNewNameWithoutReplacingLeaveOneWholeFile) {
    const std::string target = dir.File("race.csv");
    constexpr std::size_t kWriters = 8;
    std::vector<std::string> contents;
    for (std::size_t i = 0; i < kWriters; ++i) {
        contents.push_back(std::string(200000, static_cast<char>('a' + static_cast<int>(i))) +
                           "\r\n");
    }
    std::atomic<std::size_t> ready{0};
    std::vector<int> committed(kWriters, -1);
    std::vector<int> errors(kWriters, 0);
    std::vector<std::thread> writers;
    for (std::size_t i = 0; i < kWriters; ++i) {
        writers.emplace_back([&, i] {
            AtomicOutputFile file;
            if (file.Open(target, ExistingTarget::kKeep) != 0 || !file.Write(contents[i])) {
                return;
            }
            // All publish at once: none of them finds the name taken before publishing.
            ready.fetch_add(1);
            while (ready.load() < kWriters) {
                std::this_thread::yield();
            }
            committed[i] = file.Commit() ? 1 : 0;
            errors[i] = file.Error();
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    std::size_t winner = kWriters;
    for (std::size_t i = 0; i < kWriters; ++i) {
        ASSERT_NE(committed[i], -1) << "writer " << i << " could not open";
        if (committed[i] == 1) {
            EXPECT_EQ(winner, kWriters) << "two writers published";
            winner = i;
        } else {
            EXPECT_EQ(errors[i], EEXIST);
        }
    }
    ASSERT_NE(winner, kWriters);
    EXPECT_EQ(test::ReadFile(target), contents[winner]);
    EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"race.csv"});
}

TEST_P(AtomicOutputFileTest, NamesUpToTheLongestValidOneWork) {
    for (const ExistingTarget existing : {ExistingTarget::kKeep, ExistingTarget::kReplace}) {
        const std::string target = dir.File(std::string(251, 'n') + ".csv");
        AtomicOutputFile file;
        ASSERT_EQ(file.Open(target, existing), 0);
        file.Write("x");
        ASSERT_TRUE(file.Commit()) << file.Error();
        EXPECT_EQ(test::ReadFile(target), "x");
        fs::remove(target);
    }
    AtomicOutputFile tooLong;
    EXPECT_EQ(tooLong.Open(dir.File(std::string(256, 'n')), ExistingTarget::kKeep), ENAMETOOLONG);
    EXPECT_TRUE(FileNames(dir.Path()).empty());
}

TEST_P(AtomicOutputFileTest, ReplacingKeepsPermissionsAndOwnerAndANewFileGetsTheUsualMode) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const std::string fresh = dir.File("fresh.txt");
    AtomicOutputFile created;
    ASSERT_EQ(created.Open(fresh, ExistingTarget::kKeep), 0);
    ASSERT_TRUE(created.Commit());
    EXPECT_EQ(ModeOf(fresh), 0666 & ~mask);

    const std::string target = dir.File("private.txt");
    for (const mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{04755}}) {
        test::WriteFile(target, "old");
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);
        const bool root = ::geteuid() == 0;
        if (root) {
            ASSERT_EQ(::chown(target.c_str(), 4321, 4322), 0);
        }
        AtomicOutputFile file;
        ASSERT_EQ(file.Open(target, ExistingTarget::kReplace), 0);
        file.Write("new");
        ASSERT_TRUE(file.Commit());
        EXPECT_EQ(test::ReadFile(target), "new");
        EXPECT_EQ(ModeOf(target), mode & 0777) << std::oct << mode;  // no set-id bits on data
        if (root) {
            struct stat info {};
            ASSERT_EQ(::stat(target.c_str(), &info), 0);
            EXPECT_EQ(info.st_uid, 4321U);
            EXPECT_EQ(info.st_gid, 4322U);
        }
    }
}

TEST_P(AtomicOutputFileTest, ReplacesALinkItselfNotItsTargetAndKeepRefusesALink) {
    const std::string victim = dir.File("victim.txt");
    test::WriteFile(victim, "keep me");
    const std::string link = dir.File("out.txt");
    ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0);
    AtomicOutputFile file;
    ASSERT_EQ(file.Open(link, ExistingTarget::kReplace), 0);
    file.Write("new");
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(test::ReadFile(victim), "keep me");
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(test::ReadFile(link), "new");

    // A dangling link is a name that exists: nothing is created where it points.
    const std::string dangling = dir.File("dangling.txt");
    ASSERT_EQ(::symlink(dir.File("nowhere.txt").c_str(), dangling.c_str()), 0);
    AtomicOutputFile kept;
    EXPECT_EQ(kept.Open(dangling, ExistingTarget::kKeep), EEXIST);
    const std::string late = dir.File("late.txt");
    ASSERT_EQ(kept.Open(late, ExistingTarget::kKeep), 0);
    ASSERT_EQ(::symlink(dir.File("nowhere.txt").c_str(), late.c_str()), 0);
    EXPECT_FALSE(kept.Commit());
    EXPECT_FALSE(fs::exists(dir.File("nowhere.txt")));
    EXPECT_TRUE(fs::is_symlink(late));
}

TEST_P(AtomicOutputFileTest, OnlyRegularFilesAndLinksAreReplaced) {
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    AtomicOutputFile file;
    EXPECT_EQ(file.Open(fifo, ExistingTarget::kReplace), EPERM);
    EXPECT_EQ(file.Open(dir.Path().string() + "/", ExistingTarget::kReplace), EISDIR);
    fs::create_directory(dir.File("folder"));
    EXPECT_EQ(file.Open(dir.File("folder"), ExistingTarget::kReplace), EISDIR);

    // A pipe that takes the name while the file is written is not replaced either.
    const std::string late = dir.File("late");
    ASSERT_EQ(file.Open(late, ExistingTarget::kReplace), 0);
    file.Write("data");
    ASSERT_EQ(::mkfifo(late.c_str(), 0600), 0);
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(file.Error(), EPERM);
    EXPECT_TRUE(fs::is_fifo(late));

    std::vector<std::string> expected = {"folder", "late", "pipe"};
    if (::geteuid() == 0) {  // only root makes device nodes
        const std::string device = dir.File("null");
        ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        EXPECT_EQ(file.Open(device, ExistingTarget::kReplace), EPERM);
        EXPECT_TRUE(fs::is_character_file(device));
        expected.insert(expected.begin() + 2, "null");
    }
    EXPECT_EQ(FileNames(dir.Path()), expected);
}

TEST_P(AtomicOutputFileTest, MissingFolderIsAnError) {
    test::WriteFile(dir.File("plain"), "");
    AtomicOutputFile file;
    EXPECT_EQ(file.Open(dir.File("plain") + "/out.txt", ExistingTarget::kKeep), ENOTDIR);
    EXPECT_EQ(file.Open(dir.File("none") + "/out.txt", ExistingTarget::kKeep), ENOENT);
    EXPECT_FALSE(file.Commit());
}

// A child process writes an output and waits; the signal must end it (with its status showing
// the signal) and leave the folder as it was, the replaced file included.
TEST_P(AtomicOutputFileTest, EndSignalsLeaveNothingBehind) {
    const std::string target = dir.File("out.csv");
    test::WriteFile(target, "before");
    std::vector<int> signals(std::begin(kEndSignals), std::end(kEndSignals));
    if (!GetParam()) {
        signals.push_back(SIGKILL);  // nothing to clean up: the file has no name yet
    }
    for (const int signal : signals) {
        SCOPED_TRACE(signal);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            for (const int end : kEndSignals) {
                std::signal(end, SIG_DFL);  // not ignored, whatever runs the tests
            }
            RemoveTemporariesOnEndSignals();
            AtomicOutputFile file;
            if (file.Open(target, ExistingTarget::kReplace) != 0 ||
                !file.Write(std::string(100000, 'x')) || std::fflush(file.Stream()) != 0 ||
                ::write(ready[1], "r", 1) != 1) {
                ::_exit(3);
            }
            for (;;) {
                ::pause();
            }
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        EXPECT_EQ(FileNames(dir.Path()).size(), GetParam() ? 2U : 1U);
        ASSERT_EQ(::kill(child, signal), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"out.csv"});
        EXPECT_EQ(test::ReadFile(target), "before");
    }
}

INSTANTIATE_TEST_SUITE_P(Temporaries, AtomicOutputFileTest, ::testing::Values(false, true),
                         [](const auto& param) { return param.param ? "Named" : "Unnamed"; });

TEST(SignalCleanupTest, TheTableHasAFixedSizeAndReleasedSlotsAreReused) {
    std::vector<int> slots;
    for (int i = 0; i < kTemporarySlots; ++i) {
        slots.push_back(RegisterTemporary(AT_FDCWD, "x"));
        ASSERT_GE(slots.back(), 0);
    }
    EXPECT_EQ(RegisterTemporary(AT_FDCWD, "x"), -1);
    UnregisterTemporary(slots[5]);
    EXPECT_EQ(RegisterTemporary(AT_FDCWD, "x"), slots[5]);
    EXPECT_EQ(RegisterTemporary(AT_FDCWD, std::string(kTemporaryNameBytes, 'n').c_str()), -1);
    for (const int slot : slots) {
        UnregisterTemporary(slot);
    }
}

TEST(SignalCleanupTest, AnIgnoredSignalStaysIgnored) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGHUP, SIG_IGN);  // as for a command started with nohup
        std::signal(SIGTERM, SIG_DFL);
        RemoveTemporariesOnEndSignals();
        struct sigaction hup {};
        struct sigaction term {};
        ::sigaction(SIGHUP, nullptr, &hup);
        ::sigaction(SIGTERM, nullptr, &term);
        ::_exit(hup.sa_handler == SIG_IGN && term.sa_handler != SIG_DFL ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace qx7

#endif  // _WIN32
