#include "core/log/LogDecompress.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#include <zlib.h>
#include "loggen/LogBuilder.h"

#include <cerrno>
#include <csignal>
#include <filesystem>

#include "core/log/Inflate.h"
#include "core/log/LogFileAccess.h"
#include "core/log/LogOpening.h"

#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

// Counts descriptors in /proc and limits file sizes: Linux only; tests/platform/win32 covers the
// temporary on Windows.
#ifndef _WIN32

namespace qx7 {
namespace {

namespace fs = std::filesystem;

// The gzip stream of a compressed container, without its magic.
std::string GzipStream(const std::string& plain) {
    return loggen::Compress(plain).substr(8);
}

std::size_t EntriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

std::size_t OpenDescriptors() {
    return EntriesIn("/proc/self/fd");
}

std::string ReadAll(std::FILE* file) {
    std::string bytes;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.append(chunk, got);
    }
    return bytes;
}

// The temporaries go to a folder of the test's own, where anything left would show. Every case
// runs with each inflater (the parameter), which must give the same bytes and answers.
class LogDecompressTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        if (std::string(GetParam()) == "isa-l" && !Inflate::HasIsal()) {
            GTEST_SKIP() << "built without ISA-L";
        }
        ASSERT_EQ(InflaterName(), GetParam());
    }

    // Runs DecompressContainer on a file whose magic is followed by `stream`; the inflated
    // bytes land in `inflated`, the system's cause of a failure in `error`.
    int Decompress(const std::string& stream, std::string* inflated = nullptr,
                   int* error = nullptr) {
        const std::string path = logs.File("p1.zlg");
        test::WriteFile(path, "QX7LG1ZL" + stream);
        std::FILE* source = std::fopen(path.c_str(), "rb");
        EXPECT_NE(source, nullptr);
        std::fseek(source, 8, SEEK_SET);
        std::FILE* out = nullptr;
        int cause = -1;
        const int result = DecompressContainer(source, out, &cause);
        if (error != nullptr) {
            *error = cause;
        }
        std::fclose(source);
        EXPECT_EQ(EntriesIn(logs.Path()), 1U) << "a file appeared beside the log";
        EXPECT_EQ(result == 0, out != nullptr);
        if (out != nullptr) {
            struct stat info {};
            EXPECT_EQ(::fstat(::fileno(out), &info), 0);
            EXPECT_EQ(info.st_nlink, 0U) << "the inflated copy has a name";
            EXPECT_EQ(info.st_mode & 077, 0U);
            if (inflated != nullptr) {
                *inflated = ReadAll(out);
            }
            std::fclose(out);
        }
        return result;
    }

    void TearDown() override {
        EXPECT_EQ(EntriesIn(temporaries.Path()), 0U);
        EXPECT_EQ(OpenDescriptors(), descriptors);
    }

    test::TempDir logs;
    test::TempDir temporaries;
    test::ScopedEnv tmpdir{"TMPDIR", temporaries.Path().string()};
    test::ScopedEnv inflater{"QX7_INFLATER", std::string(GetParam())};
    std::size_t descriptors = OpenDescriptors();
};

INSTANTIATE_TEST_SUITE_P(Inflaters, LogDecompressTest, ::testing::Values("isa-l", "zlib"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                             return std::string(param.param) == "zlib" ? "Zlib" : "Isal";
                         });

TEST_P(LogDecompressTest, InflatesIntoAnUnnamedFileReadFromItsStart) {
    const std::string plain = "QX7LG1XX" + std::string(200000, 'x') + "end";
    std::string inflated;
    EXPECT_EQ(Decompress(GzipStream(plain), &inflated), 0);
    EXPECT_EQ(inflated, plain);
}

TEST_P(LogDecompressTest, MembersAndTrailingBytesAreTakenAsTheGzipReaderTakesThem) {
    std::string inflated;
    // A second member continues the content.
    EXPECT_EQ(Decompress(GzipStream("QX7LG1XXone") + GzipStream("two"), &inflated), 0);
    EXPECT_EQ(inflated, "QX7LG1XXonetwo");
    // Bytes after the last member that begin no other one are ignored, a lone 0x1F too.
    EXPECT_EQ(Decompress(GzipStream("QX7LG1XXone") + "trailing junk", &inflated), 0);
    EXPECT_EQ(inflated, "QX7LG1XXone");
    EXPECT_EQ(Decompress(GzipStream("QX7LG1XXone") + "\x1F", &inflated), 0);
    EXPECT_EQ(inflated, "QX7LG1XXone");
}

TEST_P(LogDecompressTest, DamagedTruncatedEmptyOrForeignStreamsGiveMinus5) {
    const std::string gz = GzipStream("QX7LG1XX" + std::string(100000, 'y'));
    std::string flipped = gz;
    flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x55);
    std::string badCheck = gz;
    badCheck[badCheck.size() - 6] = static_cast<char>(badCheck[badCheck.size() - 6] ^ 0x01);
    std::string badLength = gz;
    badLength[badLength.size() - 4] = static_cast<char>(badLength[badLength.size() - 4] ^ 0x01);
    std::string badMethod = gz;
    badMethod[2] = 7;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"cut in the middle", gz.substr(0, gz.size() / 2)},
        {"cut inside the trailer", gz.substr(0, gz.size() - 3)},
        {"cut inside the header", gz.substr(0, 5)},
        {"flipped byte", flipped},
        {"wrong check value", badCheck},
        {"wrong length", badLength},
        {"not deflate", badMethod},
        {"gzip magic only", "\x1F\x8B"},
        {"not gzip at all", "plain bytes, no gzip"},
        {"nothing after the magic", ""},
        {"one byte", "\x1F"},
        {"a stream of nothing", GzipStream("")},
        {"second member cut short", gz + gz.substr(0, gz.size() / 2)},
        {"second member damaged", gz + badCheck},
        {"second member cut inside its header", gz + gz.substr(0, 5)},
    };
    for (const auto& [what, stream] : cases) {
        EXPECT_EQ(Decompress(stream), -5) << what;
    }
}

TEST_P(LogDecompressTest, InflatingBeyondTheLimitIsRefused) {
    // A small stream of zeros that inflates to one byte more than allowed.
    z_stream stream{};
    ASSERT_EQ(deflateInit2(&stream, 1, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY), Z_OK);
    const std::vector<unsigned char> zeros(1 << 20, 0);
    std::string gz;
    std::vector<unsigned char> out(1 << 16);
    std::uint64_t remaining = kMaxInflatedBytes + 1;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        const std::size_t take =
            static_cast<std::size_t>(std::min<std::uint64_t>(remaining, zeros.size()));
        stream.next_in = const_cast<unsigned char*>(zeros.data());
        stream.avail_in = static_cast<uInt>(take);
        remaining -= take;
        do {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            status = deflate(&stream, remaining == 0 ? Z_FINISH : Z_NO_FLUSH);
            gz.append(reinterpret_cast<const char*>(out.data()), out.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    // Too large, which the user can understand, not damaged.
    int error = -1;
    EXPECT_EQ(Decompress(gz, nullptr, &error), kLogInflatesTooLarge);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(OpenFailureCause(kLogInflatesTooLarge, 0),
              "is too large to be a log (it inflates to over 1 GiB)");
}

TEST_P(LogDecompressTest, ATemporaryFolderThatCannotHoldTheCopyGivesMinus2WithTheCause) {
    const std::string gz = GzipStream("QX7LG1XXfresh");
    int error = 0;
    {
        const test::ScopedEnv missing("TMPDIR", temporaries.File("missing"));
        EXPECT_EQ(Decompress(gz, nullptr, &error), -2);
        EXPECT_EQ(error, ENOENT);
        EXPECT_EQ(OpenFailureCause(-2, error), "cannot create a temporary file in " +
                                                   temporaries.File("missing") +
                                                   ": No such file or directory (-2)");
    }
    const test::TempDir other;
    test::WriteFile(other.File("not-a-folder"), "");
    {
        const test::ScopedEnv file("TMPDIR", other.File("not-a-folder"));
        EXPECT_EQ(Decompress(gz, nullptr, &error), -2);
        EXPECT_EQ(error, ENOTDIR);
    }
}

TEST_P(LogDecompressTest, AReadErrorOfTheSourceGivesMinus3) {
    // Reading a folder through a stream fails with EISDIR.
    std::FILE* source = std::fopen(logs.Path().c_str(), "rb");
    ASSERT_NE(source, nullptr);
    std::FILE* out = nullptr;
    int error = 0;
    EXPECT_EQ(DecompressContainer(source, out, &error), -3);
    EXPECT_EQ(error, EISDIR);
    EXPECT_EQ(out, nullptr);
    std::fclose(source);
}

TEST_P(LogDecompressTest, AShortWriteToTheTemporaryGivesMinus6) {
    const std::string gz = GzipStream("QX7LG1XX" + std::string(1 << 20, 'z'));
    // In a child: a file size limit makes the writing fail partway.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{65536, 65536};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int error = 0;
        ::_exit(Decompress(gz, nullptr, &error) == -6 && error == EFBIG ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(TemporaryFolderTest, TmpdirWhenSetElseTmp) {
    {
        const test::ScopedEnv unset("TMPDIR", std::nullopt);
        EXPECT_EQ(TemporaryFolder(), "/tmp");
    }
    {
        const test::ScopedEnv empty("TMPDIR", std::string());
        EXPECT_EQ(TemporaryFolder(), "/tmp");
    }
    const test::ScopedEnv set("TMPDIR", "/var/tmp/x");
    EXPECT_EQ(TemporaryFolder(), "/var/tmp/x");
}

TEST(TemporaryFolderTest, BothWaysOfCreatingLeaveNoNameBehind) {
    const test::TempDir folder;
    for (const bool unnamed : {true, false}) {
        std::FILE* file = unnamed ? CreateUnnamedTemporary(folder.Path().string())
                                  : CreateAndUnlinkTemporary(folder.Path().string());
        ASSERT_NE(file, nullptr) << unnamed;
        EXPECT_EQ(EntriesIn(folder.Path()), 0U) << unnamed;
        struct stat info {};
        ASSERT_EQ(::fstat(::fileno(file), &info), 0);
        EXPECT_EQ(info.st_nlink, 0U);
        EXPECT_EQ(info.st_mode & 077, 0U);
        ASSERT_GE(std::fputs("written and read back", file), 0);
        std::rewind(file);
        EXPECT_EQ(ReadAll(file), "written and read back");
        std::fclose(file);
    }
    EXPECT_EQ(CreateAndUnlinkTemporary(folder.File("missing")), nullptr);
    EXPECT_EQ(CreateUnnamedTemporary(folder.File("missing")), nullptr);
}

}  // namespace
}  // namespace qx7

#endif  // _WIN32
