// Core's file interface on Windows: UTF-8 names, outputs that appear only when complete,
// private temporaries, 64-bit positions.

#include <gtest/gtest.h>

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/base/AtomicOutputFile.h"
#include "core/base/FileSystem.h"
#include "core/base/PathText.h"
#include "core/base/SignalCleanup.h"
#include "core/log/LogDecompress.h"
#include "core/log/LogFileAccess.h"
#include "core/log/QXLogFile.h"
#include "platform/SystemLocalTime.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

const std::string kJapaneseLog = "\xE3\x83\xAD\xE3\x82\xB0.zlg";  // "ログ.zlg"

std::string SampleLog() {
    const char* data = std::getenv("QX7_TEST_DATA");
    return test::ReadFile(std::string(data != nullptr ? data : ".") +
                          "/../../res/samples/sample.zlg");
}

int EntryCount(const std::string& path) {
    const SystemLocalTime clock;
    CQXLogFile reader(clock);
    if (reader.Open(path) != 1 || !reader.OpenLogData()) {
        return -1;
    }
    CQXLogEntry entry;
    int count = 0;
    while (reader.ReadEntry(entry) == 1) {
        ++count;
    }
    return count;
}

TEST(Win32FilesTest, AJapaneseFileNameOpensAsALog) {
    test::TempDir dir;
    const std::string log = SampleLog();
    ASSERT_FALSE(log.empty());
    const std::string path = dir.File(kJapaneseLog);
    test::WriteFile(path, log);
    EXPECT_TRUE(std::filesystem::exists(PathFromUtf8(path)));

    int answer = 1;
    std::FILE* file = OpenLogFile(path, answer);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(answer, 0);
    std::fclose(file);

    // Its entries are the same as under a plain name.
    test::WriteFile(dir.File("plain.zlg"), log);
    EXPECT_GT(EntryCount(path), 0);
    EXPECT_EQ(EntryCount(path), EntryCount(dir.File("plain.zlg")));
}

TEST(Win32FilesTest, PathsAreLookedAtWithEitherSeparator) {
    test::TempDir dir;
    test::WriteFile(dir.File("a.log"), "x");
    std::string forward = dir.File("a.log");
    for (char& c : forward) {
        c = c == '\\' ? '/' : c;
    }
    EXPECT_EQ(LookAtPath(forward), PathKind::kRegularFile);
    EXPECT_EQ(LookThroughPath(Utf8FromPath(dir.Path())), PathKind::kFolder);
    int error = 0;
    EXPECT_EQ(LookAtPath(dir.File("none.log"), &error), PathKind::kMissing);
    EXPECT_EQ(error, ENOENT);
    EXPECT_TRUE(SameFile(forward, dir.File("a.log")));
    test::WriteFile(dir.File("b.log"), "x");
    EXPECT_FALSE(SameFile(dir.File("a.log"), dir.File("b.log")));
    bool notRegular = false;
    EXPECT_EQ(OpenRegularFileForReading(Utf8FromPath(dir.Path()), notRegular), nullptr);
    EXPECT_TRUE(notRegular);
}

TEST(Win32FilesTest, AnOutputAppearsOnlyOnCommitAndKeepsOrReplacesAsAsked) {
    test::TempDir dir;
    const std::string target = dir.File("\xE5\x87\xBA\xE5\x8A\x9B.txt");  // "出力.txt"
    AtomicOutputFile out;
    ASSERT_EQ(out.Open(target, ExistingTarget::kKeep), 0);
    ASSERT_TRUE(out.Write("line\r\n"));
    EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(target)));
    ASSERT_TRUE(out.Commit());
    EXPECT_EQ(test::ReadFile(target), "line\r\n");      // binary: no CR CR LF
    EXPECT_EQ(test::FileNames(dir.Path()).size(), 1U);  // no temporary left

    AtomicOutputFile again;
    EXPECT_EQ(again.Open(target, ExistingTarget::kKeep), EEXIST);
    ASSERT_EQ(again.Open(target, ExistingTarget::kReplace), 0);
    again.Write("new");
    // A name that appears before Commit is not replaced when keeping.
    AtomicOutputFile late;
    const std::string lateName = dir.File("late.txt");
    ASSERT_EQ(late.Open(lateName, ExistingTarget::kKeep), 0);
    test::WriteFile(lateName, "theirs");
    EXPECT_FALSE(late.Commit());
    EXPECT_EQ(test::ReadFile(lateName), "theirs");
    ASSERT_TRUE(again.Commit());
    EXPECT_EQ(test::ReadFile(target), "new");
    EXPECT_EQ(test::FileNames(dir.Path()).size(), 2U);
}

TEST(Win32FilesTest, AnAbandonedOrFailedOutputLeavesTheOldFileAndNoTemporary) {
    test::TempDir dir;
    const std::string target = dir.File("out.txt");
    test::WriteFile(target, "old");
    {
        AtomicOutputFile out;
        ASSERT_EQ(out.Open(target, ExistingTarget::kReplace), 0);
        out.Write("half");
    }  // abandoned
    EXPECT_EQ(test::ReadFile(target), "old");
    EXPECT_EQ(test::FileNames(dir.Path()), std::vector<std::string>{"out.txt"});

    AtomicOutputFile folder;
    std::filesystem::create_directory(dir.Path() / "sub");
    EXPECT_EQ(folder.Open(dir.File("sub"), ExistingTarget::kReplace), EISDIR);
    AtomicOutputFile missing;
    EXPECT_NE(missing.Open(dir.File("no\\such\\folder.txt"), ExistingTarget::kKeep), 0);
}

TEST(Win32FilesTest, RegisteredTemporariesAreRemovedByTheConsoleHandlersCleanup) {
    test::TempDir dir;
    AtomicOutputFile out;
    ASSERT_EQ(out.Open(dir.File("out.txt"), ExistingTarget::kKeep), 0);
    out.Write("x");
    std::fflush(out.Stream());
    ASSERT_EQ(test::FileNames(dir.Path()).size(), 1U);  // the hidden temporary
    // What Ctrl+C or closing the console does before the program ends.
    RemoveRegisteredTemporaries();
    out.Abandon();
    EXPECT_TRUE(test::FileNames(dir.Path()).empty());
}

TEST(Win32FilesTest, AnUnnamedTemporaryIsGoneWhenClosed) {
    test::TempDir dir;
    const std::string folder = Utf8FromPath(dir.Path());
    std::FILE* file = CreateUnnamedTemporary(folder);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite("abc", 1, 3, file), 3U);
    ASSERT_TRUE(SeekStream(file, 0, SEEK_SET));
    char back[3] = {};
    ASSERT_EQ(std::fread(back, 1, 3, file), 3U);
    EXPECT_EQ(std::string(back, 3), "abc");
    // Nobody else can open it meanwhile.
    for (const auto& name : test::FileNames(dir.Path())) {
        EXPECT_EQ(OpenFile(dir.File(name), "rb"), nullptr) << name;
    }
    std::fclose(file);
    EXPECT_TRUE(test::FileNames(dir.Path()).empty());
    EXPECT_EQ(CreateUnnamedTemporary(dir.File("missing")), nullptr);
}

TEST(Win32FilesTest, PositionsBeyondFourGibibytes) {
    test::TempDir dir;
    const std::string path = dir.File("big.bin");
    std::FILE* file = OpenFile(path, "w+b");
    ASSERT_NE(file, nullptr);
    const std::int64_t beyond = (std::int64_t{1} << 32) + 12;  // past what 32 bits hold
    ASSERT_TRUE(SeekStream(file, beyond, SEEK_SET));
    ASSERT_EQ(std::fwrite("z", 1, 1, file), 1U);
    std::fflush(file);
    EXPECT_EQ(TellStream(file), beyond + 1);
    EXPECT_EQ(StreamFileSize(file), static_cast<std::uint64_t>(beyond + 1));
    PositionalReader reader;
    ASSERT_TRUE(reader.Open(file));
    char byte = 0;
    EXPECT_EQ(reader.ReadAt(&byte, 1, static_cast<std::uint64_t>(beyond)), 1);
    EXPECT_EQ(byte, 'z');
    EXPECT_EQ(reader.ReadAt(&byte, 1, static_cast<std::uint64_t>(beyond + 1)), 0);
    std::fclose(file);
}

}  // namespace
}  // namespace qx7
