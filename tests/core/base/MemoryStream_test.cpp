#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/base/FileSystem.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

std::shared_ptr<const std::vector<unsigned char>> Pattern(std::size_t size) {
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<unsigned char>(i * 7 + i / 256);
    }
    return std::make_shared<const std::vector<unsigned char>>(std::move(bytes));
}

std::string Read(std::FILE* stream, std::size_t count) {
    std::string bytes(count, '\0');
    bytes.resize(std::fread(bytes.data(), 1, count, stream));
    return bytes;
}

struct Closer {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using Stream = std::unique_ptr<std::FILE, Closer>;

// What a reader does with a stream, asked of a memory stream and of a file with the same bytes:
// both must answer alike.
TEST(MemoryStreamTest, ReadsSeeksAndTellsAsAFileWithTheSameBytes) {
    const auto bytes = Pattern(10000);
    test::TempDir dir;
    const std::string path = dir.File("same.bin");
    test::WriteFile(path, std::string(bytes->begin(), bytes->end()));
    const Stream file(OpenFile(path, "rb"));
    const Stream memory(OpenMemoryStream(bytes));
    ASSERT_NE(file, nullptr);
    ASSERT_NE(memory, nullptr);

    for (std::FILE* stream : {file.get(), memory.get()}) {
        SCOPED_TRACE(stream == file.get() ? "file" : "memory");
        EXPECT_EQ(StreamFileSize(stream), 10000U);
        EXPECT_EQ(Read(stream, 20000), std::string(bytes->begin(), bytes->end()));
        EXPECT_NE(std::feof(stream), 0);
        ASSERT_TRUE(SeekStream(stream, 4099, SEEK_SET));
        EXPECT_EQ(Read(stream, 5), std::string(bytes->begin() + 4099, bytes->begin() + 4104));
        EXPECT_EQ(TellStream(stream), 4104);
        ASSERT_TRUE(SeekStream(stream, -3, SEEK_CUR));
        EXPECT_EQ(TellStream(stream), 4101);
        ASSERT_TRUE(SeekStream(stream, -2, SEEK_END));
        EXPECT_EQ(Read(stream, 10), std::string(bytes->end() - 2, bytes->end()));
        // Past the end is a position like any other; reading there finds the end.
        ASSERT_TRUE(SeekStream(stream, 20000, SEEK_SET));
        EXPECT_EQ(TellStream(stream), 20000);
        EXPECT_EQ(Read(stream, 4), "");
        EXPECT_FALSE(SeekStream(stream, -1, SEEK_SET));
        // The size does not depend on the position.
        EXPECT_EQ(StreamFileSize(stream), 10000U);
    }
}

TEST(MemoryStreamTest, NoBytesMakeAnEmptyStreamAndNoneAtAllNoStream) {
    const Stream empty(OpenMemoryStream(std::make_shared<const std::vector<unsigned char>>()));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(StreamFileSize(empty.get()), 0U);
    EXPECT_EQ(Read(empty.get(), 8), "");
    EXPECT_NE(std::feof(empty.get()), 0);
    EXPECT_EQ(OpenMemoryStream(nullptr), nullptr);
}

// The log list keeps reading a memory log after its stream is closed, as it does a file.
TEST(MemoryStreamTest, APositionalReaderKeepsTheBytesAfterTheStreamIsClosed) {
    const auto bytes = Pattern(3000);
    std::FILE* stream = OpenMemoryStream(bytes);
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(SeekStream(stream, 1234, SEEK_SET));
    PositionalReader first;
    ASSERT_TRUE(first.Open(stream));
    std::fclose(stream);

    PositionalReader reader(std::move(first));
    EXPECT_FALSE(first.IsOpen());
    ASSERT_TRUE(reader.IsOpen());
    unsigned char buffer[64] = {};
    // Offsets, not the stream's position, choose the bytes.
    ASSERT_EQ(reader.ReadAt(buffer, 16, 0), 16);
    EXPECT_EQ(std::vector<unsigned char>(buffer, buffer + 16),
              std::vector<unsigned char>(bytes->begin(), bytes->begin() + 16));
    ASSERT_EQ(reader.ReadAt(buffer, sizeof buffer, 2990), 10);
    EXPECT_EQ(std::vector<unsigned char>(buffer, buffer + 10),
              std::vector<unsigned char>(bytes->end() - 10, bytes->end()));
    EXPECT_EQ(reader.ReadAt(buffer, sizeof buffer, 3000), 0);
    EXPECT_EQ(reader.ReadAt(buffer, sizeof buffer, 1ULL << 40), 0);
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(reader.ReadAt(buffer, sizeof buffer, 0), -1);
}

// A closed memory stream leaves nothing behind that a file stream could be taken for.
TEST(MemoryStreamTest, FileStreamsOpenedAfterClosedMemoryStreamsAreFiles) {
    test::TempDir dir;
    const std::string path = dir.File("file.bin");
    test::WriteFile(path, std::string(5, 'x'));
    for (int round = 0; round < 20; ++round) {
        std::fclose(OpenMemoryStream(Pattern(100)));
        const Stream file(OpenFile(path, "rb"));
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(StreamFileSize(file.get()), 5U);
        PositionalReader reader;
        ASSERT_TRUE(reader.Open(file.get()));
        unsigned char buffer[16] = {};
        EXPECT_EQ(reader.ReadAt(buffer, sizeof buffer, 0), 5);
    }
}

}  // namespace
}  // namespace qx7
