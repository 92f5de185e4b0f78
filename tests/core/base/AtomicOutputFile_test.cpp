#include "core/base/AtomicOutputFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/TempDir.h"

namespace qx7 {
namespace {

std::size_t FilesIn(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

TEST(AtomicOutputFileTest, TargetAppearsOnlyOnCommit) {
    test::TempDir dir;
    const std::string target = dir.File("out.txt");
    AtomicOutputFile file;
    ASSERT_EQ(file.Open(target, ExistingTarget::kReplace), 0);
    ASSERT_TRUE(file.Write("line\r\n"));
    EXPECT_FALSE(std::filesystem::exists(target));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(test::ReadFile(target), "line\r\n");
    EXPECT_EQ(FilesIn(dir.Path()), 1u);
}

TEST(AtomicOutputFileTest, AbandonedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    test::TempDir dir;
    const std::string target = dir.File("out.txt");
    test::WriteFile(target, "old");
    {
        AtomicOutputFile file;
        ASSERT_EQ(file.Open(target, ExistingTarget::kReplace), 0);
        file.Write("half");
    }
    EXPECT_EQ(test::ReadFile(target), "old");
    EXPECT_EQ(FilesIn(dir.Path()), 1u);
}

TEST(AtomicOutputFileTest, ReplacesALinkItselfNotItsTarget) {
    test::TempDir dir;
    const std::string victim = dir.File("victim.txt");
    test::WriteFile(victim, "keep me");
    const std::string link = dir.File("out.txt");
    ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0);
    AtomicOutputFile file;
    ASSERT_EQ(file.Open(link, ExistingTarget::kReplace), 0);
    file.Write("new");
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(test::ReadFile(victim), "keep me");
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadFile(link), "new");
}

TEST(AtomicOutputFileTest, MissingFolderIsAnError) {
    test::TempDir dir;
    test::WriteFile(dir.File("plain"), "");
    AtomicOutputFile file;
    EXPECT_NE(file.Open(dir.File("plain") + "/out.txt", ExistingTarget::kKeep), 0);
    EXPECT_FALSE(file.Commit());
}

}  // namespace
}  // namespace qx7
