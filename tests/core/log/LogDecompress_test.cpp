#include "core/log/LogDecompress.h"

#include <gtest/gtest.h>

#include "loggen/LogBuilder.h"
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/TempDir.h"

namespace qx7 {
namespace {

// The gzip stream of a compressed container, without its magic.
std::string GzipStream(const std::string& plain) { return loggen::Compress(plain).substr(8); }

// Runs DecompressContainer on a file whose magic is followed by `stream`.
int Decompress(const test::TempDir& dir, const std::string& stream) {
    const std::string path = dir.File("p1.zlg");
    test::WriteFile(path, "QX7LG1ZL" + stream);
    std::FILE* source = std::fopen(path.c_str(), "rb");
    std::fseek(source, 8, SEEK_SET);
    const int result = DecompressContainer(source, path);
    std::fclose(source);
    return result;
}

TEST(LogDecompressTest, InflatesBesideTheLogAndRemovesTheCopy) {
    test::TempDir dir;
    const std::string plain = "QX7LG1XX" + std::string(5000, 'x');
    EXPECT_EQ(Decompress(dir, GzipStream(plain)), 0);
    EXPECT_EQ(test::ReadFile(dir.File("p1.zlg.qvl")), plain);
    EXPECT_FALSE(std::filesystem::exists(dir.File("p1.zlg.tjg")));
}

TEST(LogDecompressTest, DamagedStreamsFailAndLeaveNothing) {
    test::TempDir dir;
    const std::string gz = GzipStream("QX7LG1XX" + std::string(100000, 'y'));
    // Cut short, damaged in the middle, not gzip at all.
    EXPECT_LT(Decompress(dir, gz.substr(0, gz.size() / 2)), 0);
    std::string corrupted = gz;
    corrupted[corrupted.size() / 2] = static_cast<char>(corrupted[corrupted.size() / 2] ^ 0x55);
    EXPECT_LT(Decompress(dir, corrupted), 0);
    EXPECT_EQ(Decompress(dir, "plain bytes, no gzip"), -5);
    EXPECT_EQ(Decompress(dir, ""), -5);
    EXPECT_FALSE(std::filesystem::exists(dir.File("p1.zlg.qvl")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("p1.zlg.tjg")));
}

TEST(LogDecompressTest, NeverFollowsALinkPlacedWhereTheTemporaryGoes) {
    test::TempDir dir;
    const std::string victim = dir.File("victim.txt");
    test::WriteFile(victim, "keep me");
    ASSERT_EQ(::symlink(victim.c_str(), dir.File("p1.zlg.tjg").c_str()), 0);
    EXPECT_EQ(Decompress(dir, GzipStream("QX7LG1XX")), -2);
    EXPECT_EQ(test::ReadFile(victim), "keep me");
    ASSERT_EQ(::unlink(dir.File("p1.zlg.tjg").c_str()), 0);
    ASSERT_EQ(::symlink(victim.c_str(), dir.File("p1.zlg.qvl").c_str()), 0);
    EXPECT_EQ(Decompress(dir, GzipStream("QX7LG1XX")), -8);
    EXPECT_EQ(test::ReadFile(victim), "keep me");
}

TEST(LogDecompressTest, FolderThatCannotHoldTheCopyGivesMinus2) {
    test::TempDir dir;
    test::WriteFile(dir.File("file"), "");
    const std::string path = dir.File("file") + "/p1.zlg";
    std::FILE* source = std::fopen(dir.File("file").c_str(), "rb");
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(DecompressContainer(source, path), -2);
    std::fclose(source);
}

TEST(LogDecompressTest, LeftoverTemporaryOfOurOwnIsReplaced) {
    test::TempDir dir;
    test::WriteFile(dir.File("p1.zlg.qvl"), "stale");
    EXPECT_EQ(Decompress(dir, GzipStream("QX7LG1XXfresh")), 0);
    EXPECT_EQ(test::ReadFile(dir.File("p1.zlg.qvl")), "QX7LG1XXfresh");
}

}  // namespace
}  // namespace qx7
