// The copy of a compressed log read at offsets while it is inflated: the bytes and the answers
// of the copy inflated before reading, with each inflater, and nothing left behind.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/log/Inflate.h"
#include "core/log/LogDecompress.h"
#include "core/log/LogFileAccess.h"
#include "loggen/LogBuilder.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

namespace fs = std::filesystem;

std::size_t EntriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Bytes that compress, but not to nothing.
std::string Pattern(std::size_t size) {
    std::string bytes;
    bytes.reserve(size);
    std::uint32_t state = 3;
    while (bytes.size() < size) {
        state = state * 1103515245U + 12345U;
        bytes += "record " + std::to_string((state >> 16) % 7000) + ";";
    }
    bytes.resize(size);
    return bytes;
}

class InflatingCopyTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        if (std::string(GetParam()) == "isa-l" && !Inflate::HasIsal()) {
            GTEST_SKIP() << "built without ISA-L";
        }
    }
    void TearDown() override {
        EXPECT_EQ(EntriesIn(temporaries.Path()), 0U);
        EXPECT_EQ(EntriesIn("/proc/self/fd"), descriptors);
    }

    // The gzip stream `stream` (what follows the magic) opened just past the magic.
    std::FILE* Source(const std::string& stream, const std::string& name = "p1.zlg") {
        const std::string path = logs.File(name);
        test::WriteFile(path, "QX7LG1ZL" + stream);
        std::FILE* source = std::fopen(path.c_str(), "rb");
        EXPECT_NE(source, nullptr);
        std::fseek(source, 8, SEEK_SET);
        return source;
    }

    // DecompressContainer's answer and errno for the same stream.
    int AnswerAtOnce(const std::string& stream, std::uint64_t limit = kMaxInflatedBytes) {
        std::FILE* source = Source(stream, "p2.zlg");
        std::FILE* out = nullptr;
        const int answer = DecompressContainer(source, out, nullptr, limit);
        if (out != nullptr) {
            std::fclose(out);
        }
        std::fclose(source);
        return answer;
    }

    // Everything the copy reads from `offset` on, in pieces of `piece` bytes.
    static std::string ReadFrom(const InflatingCopy& copy, std::uint64_t offset,
                                std::size_t piece, std::int64_t& last) {
        std::string read;
        std::vector<char> buffer(piece);
        while ((last = copy.ReadAt(buffer.data(), buffer.size(), offset + read.size())) > 0) {
            read.append(buffer.data(), static_cast<std::size_t>(last));
        }
        return read;
    }

    test::TempDir logs;
    test::TempDir temporaries;
    test::ScopedEnv tmpdir{"TMPDIR", temporaries.Path().string()};
    test::ScopedEnv inflater{"QX7_INFLATER", std::string(GetParam())};
    std::size_t descriptors = EntriesIn("/proc/self/fd");
};

INSTANTIATE_TEST_SUITE_P(Inflaters, InflatingCopyTest, ::testing::Values("isa-l", "zlib"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                             return std::string(param.param) == "zlib" ? "Zlib" : "Isal";
                         });

TEST_P(InflatingCopyTest, ReadsAtOffsetsWhileItGrowsGiveTheWholeCopy) {
    const std::string plain = Pattern(3 << 20);
    InflatingCopy copy;
    ASSERT_EQ(copy.Start(Source(loggen::Compress(plain).substr(8) + "trailing")), 0);
    // From the start while the inflate runs, then from the middle, in odd pieces.
    std::int64_t last = -2;
    const std::string whole = ReadFrom(copy, 0, 100003, last);
    EXPECT_EQ(last, 0);
    EXPECT_TRUE(whole == plain) << whole.size();
    EXPECT_TRUE(ReadFrom(copy, 1234567, 4099, last) == plain.substr(1234567));
    int error = -1;
    EXPECT_EQ(copy.Wait(&error), 0);
    EXPECT_EQ(error, 0);
    // The copy itself reads the same for readers of their own.
    PositionalReader reader;
    ASSERT_TRUE(reader.Open(copy.Copy()));
    char bytes[16];
    ASSERT_EQ(reader.ReadAt(bytes, sizeof bytes, 2000000), 16);
    EXPECT_EQ(std::string(bytes, sizeof bytes), plain.substr(2000000, 16));
}

TEST_P(InflatingCopyTest, AFailedInflateEndsTheReadsInErrorAndAnswersAsAtOnce) {
    const std::string gz = loggen::Compress(Pattern(1 << 20)).substr(8);
    std::string badCheck = gz;
    badCheck[badCheck.size() - 6] = static_cast<char>(badCheck[badCheck.size() - 6] ^ 0x01);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"cut in the middle", gz.substr(0, gz.size() / 2)},
        {"wrong check value", badCheck},
        {"not gzip at all", "plain bytes"},
        {"nothing", ""},
    };
    for (const auto& [what, stream] : cases) {
        InflatingCopy copy;
        ASSERT_EQ(copy.Start(Source(stream)), 0) << what;
        std::int64_t last = 0;
        ReadFrom(copy, 0, 65536, last);
        EXPECT_EQ(last, -1) << what;
        EXPECT_EQ(copy.Wait(), -5) << what;
        EXPECT_EQ(AnswerAtOnce(stream), -5) << what;
    }
}

TEST_P(InflatingCopyTest, TheLimitEndsTheInflateAsTooLarge) {
    const std::string gz = loggen::Compress(Pattern(1 << 20)).substr(8);
    InflatingCopy copy;
    ASSERT_EQ(copy.Start(Source(gz), nullptr, 300000), 0);
    std::int64_t last = 0;
    const std::string read = ReadFrom(copy, 0, 65536, last);
    EXPECT_EQ(last, -1);
    EXPECT_LE(read.size(), 300000U);
    EXPECT_EQ(copy.Wait(), kLogInflatesTooLarge);
    EXPECT_EQ(AnswerAtOnce(gz, 300000), kLogInflatesTooLarge);
}

TEST_P(InflatingCopyTest, ACopyThatCannotBeMadeAnswersAtOnceAndDroppingOneUnreadStopsIt) {
    {
        const test::ScopedEnv missing("TMPDIR", logs.File("missing"));
        InflatingCopy copy;
        int error = 0;
        EXPECT_EQ(copy.Start(Source("x"), &error), -2);
        EXPECT_EQ(error, ENOENT);
        EXPECT_EQ(copy.Wait(), -2);
        char byte = 0;
        EXPECT_EQ(copy.ReadAt(&byte, 1, 0), -1);
    }
    // 256 MiB of one byte: a small stream that takes a while to inflate. Going out of scope
    // stops it and leaves neither file nor descriptor (checked on tear-down).
    InflatingCopy copy;
    ASSERT_EQ(copy.Start(Source(loggen::Compress(std::string(256 << 20, 'a'), 1).substr(8))), 0);
    char first[8];
    ASSERT_EQ(copy.ReadAt(first, sizeof first, 0), 8);
    EXPECT_EQ(std::string(first, sizeof first), "aaaaaaaa");
}

}  // namespace
}  // namespace qx7
#endif
